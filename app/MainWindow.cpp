#include "MainWindow.h"

#include "AboutDlg2g.h"
#include "StatusFeed.h"
#include "StatusPoller.h"
#include "AppStatusBar.h"
#include "BoxPlacement.h"
#include "DisplayLoss.h"
#include "CamStatusBar.h"
#include "EventDisplay.h"
#include "FreqStatusBar.h"
#include "RadioStatusBar.h"
#include "TrackingStatusBar.h"
#include "WindowLayout.h"
#include "AccessControlDialog.h"
#include "BackendVersionReader.h"
#include "CommandFile.h"
#include "ConnectionLostBox.h"
#include "IOManagerUdpTcp.h"
#include "PrivateFiles.h"
#include "ControllerConnector.h"
#include "MainAppMessageReceiver.h"
#include "PlainTextBox.h"
#include "ModuleHost.h"
#include "ExportSystemInformation.h"
#include "ModuleInterface.h"
#include "SearchHardwareDlg.h"
#include "ServiceDialog.h"
#include "HelpCommandLine.h"
#include "Theme.h"
#include "ToolButton.h"
#include "Version.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDockWidget>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <QWhatsThis>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

const char Standard[] = "standard";
const char Sender[] = "QUORIX4";

} // namespace

MainWindow::MainWindow(const QString &commandLine, QWidget *parent, Qt::WindowFlags flags)
    : QMainWindow(parent, flags)
    , m_commandLine(commandLine)
{
    setObjectName(QStringLiteral("MainWindow"));
    // Boxes of the start-up come before this window is shown.
    BoxPlacement::install();
    connect(this, &MainWindow::sendOpenMessageBox, this, &MainWindow::displayMessageBox, Qt::QueuedConnection);

    buildPaths();
    // An earlier version left the per-user folder readable by everyone.
    PrivateFiles::restrictTree(PrivateFiles::userRoot());
    readPreferences();
    m_options = CommandLine::Options();
    m_options.hostText = m_prefs.lastHostName;
    CommandLine::parse(commandLine, m_options);
    if (m_options.help) {
        HelpCommandLine help(this);
        help.exec();
        endProcess();
    }

    connectController();

    m_channel->setReplyTimeout(m_prefs.externalCommandTimeoutUs);
    m_versions = BackendVersionReader::read(*m_channel);
    createActions();
    createMenus();
    createToolBars();
    loadModules();
    readControllerIdentity();

    createStatusPoller();

    placeMenus();
    sendStartupMessages();

    m_receiver = new MainAppMessageReceiver(this);
    m_channel->addMessageReceiver("GlobalEvent", m_receiver);
    m_channel->addMessageReceiver("Main_Window", m_receiver);
    connect(m_receiver, &MainAppMessageReceiver::receiveConfigurationChanged, this, &MainWindow::onReceiveConfigurationChanged);
    connect(m_receiver, &MainAppMessageReceiver::receiveAppReadyToShutdown, this, &MainWindow::onReceiveAppReadyToShutdown);
    connect(m_receiver, &MainAppMessageReceiver::receiveSetOnlyDisplay, this, &MainWindow::setOnlyDisplay);
    connect(m_receiver, &MainAppMessageReceiver::receiveInertialChanged, this, &MainWindow::onReceiveInertialChanged);
    connect(m_receiver, &MainAppMessageReceiver::receiveMonitor2dTabChanged, this, &MainWindow::onReceiveMonitor2dTabChanged);
    connect(m_receiver, &MainAppMessageReceiver::receiveMonitor2dMostActiveChanged, this,
            &MainWindow::onReceiveMonitor2dMostActiveChanged);
    connect(m_receiver, &MainAppMessageReceiver::receiveOpenBodyCalDialog, this, &MainWindow::onReceiveOpenBodyCalDialog);
    connect(m_receiver, &MainAppMessageReceiver::receiveOpenBodyAdjustmentDialog, this,
            &MainWindow::onReceiveOpenBodyAdjustmentDialog);
    connect(m_receiver, &MainAppMessageReceiver::receiveOpenHybridBodyCalDialog, this,
            &MainWindow::onReceiveOpenHybridBodyCalibrationDialog);
    connect(m_receiver, &MainAppMessageReceiver::receiveCloseHybridBodyCalDialog, this,
            &MainWindow::onReceiveCloseHybridBodyCalibrationDialog);
    connect(m_receiver, &MainAppMessageReceiver::receiveCloseBodyCalDialog, this, &MainWindow::onReceiveCloseBodyCalDialog);
    connect(m_receiver, &MainAppMessageReceiver::receiveCloseBodyAdjustmentDialog, this,
            &MainWindow::onReceiveCloseBodyAdjustmentDialog);

    checkForOldFrontend();
    notify_body_admin();
    startMeasurementIfAsked();
    if (m_prefs.darkTheme)
        Theme::applyDark(qApp);
    updateInertialToolBar();

    auto *remembering = new QTimer(this);
    connect(remembering, &QTimer::timeout, this, &MainWindow::rememberSettings);
    remembering->start(RememberSettingsMs);
}

MainWindow::~MainWindow()
{
    DisplayLoss::forget();
    // Child actions die after this body, when the list they would clean up is gone.
    for (QAction *action : findChildren<QAction *>())
        disconnect(action, &QObject::destroyed, this, &MainWindow::cleanupMeaInactiveAction);
    m_meaInactive.clear();
    if (m_statusPoller)
        m_statusPoller->stop();
    if (m_eventDisplay)
        m_eventDisplay->stop();
    // The bars and the event display outlive this body as children; they must
    // not reach the channel after it is gone.
    detachStatusBars();
    if (m_channel && m_eventDisplay)
        m_channel->removeMessageReceiver(Standard, m_eventDisplay);
    if (m_channel && m_receiver) {
        m_channel->removeMessageReceiver("GlobalEvent", m_receiver);
        m_channel->removeMessageReceiver("Main_Window", m_receiver);
    }
    delete m_receiver;
    m_receiver = nullptr;
    // Modules are torn down while the channel they were given still exists.
    m_moduleHost.reset();
    m_channel.reset();
}

void MainWindow::endProcess()
{
    std::exit(0);
}

void MainWindow::buildPaths()
{
    m_appDir = QCoreApplication::applicationDirPath();
    m_configDir = Preferences::configDir();
    m_preferencesFile = Preferences::currentFile();
    m_logsDir = Preferences::logsDir();
}

void MainWindow::readPreferences()
{
    Preferences::adoptOlderSettings();
    const QString warning = m_prefs.read();
    // Every box from here on, the early ones included, shows in the user's theme.
    if (m_prefs.darkTheme)
        Theme::applyDark(qApp);
    if (!warning.isEmpty())
        QMessageBox::warning(this, Preferences::readWarningTitle(), warning, QMessageBox::Ok);
}

void MainWindow::writePreferences()
{
    const QString warning = m_prefs.write();
    if (!warning.isEmpty())
        QMessageBox::warning(this, Preferences::writeWarningTitle(), warning, QMessageBox::Ok);
}

void MainWindow::openMessageBox(int type, QString title, QString text)
{
    emit sendOpenMessageBox(type, title, text);
}

// Plain text: the channel's boxes show the Controller's replies. A box asked
// for while a command waits for its reply opens once the reply is in, and a
// box that stands already is not stacked a second time.
void MainWindow::displayMessageBox(int severance, QString title, QString msg)
{
    if (m_channel && m_channel->isWaitingOnThisThread()) {
        QTimer::singleShot(50, this, [this, severance, title, msg] { displayMessageBox(severance, title, msg); });
        return;
    }
    const QString key = title + QLatin1Char('\n') + msg;
    if (m_standingBoxes.contains(key))
        return;
    m_standingBoxes.insert(key);
    if (severance == 1)
        PlainTextBox::warning(this, title, msg);
    else if (severance == 2)
        PlainTextBox::critical(this, title, msg);
    else
        PlainTextBox::information(this, title, msg);
    m_standingBoxes.remove(key);
}

// --- Connecting --------------------------------------------------------------

// Every way to the Controller, with its password and identity rules, is the
// connector's; the window gets a channel that holds full access, or ends.
void MainWindow::connectController()
{
    ControllerConnector connector(m_prefs, m_options, this, this);
    ControllerConnector::Connection connection = connector.run();
    if (!connection.channel)
        endProcess();
    m_channel = std::move(connection.channel);
    m_dataPort = connection.dataPort;
    m_connectedAddress = connection.address;
    initialiseController();
    if (connection.throughDialog)
        CommandFile::run(m_channel.get(), m_appDir, this);
}

void MainWindow::initialiseController()
{
    char reply[IOManager::BufferSize];
    m_channel->prepareNextCommand(false, 10000, false);
    m_channel->sendCommand(reply, "quorix2 init");
    createEventDisplay();
    m_appStatusBar = new AppStatusBar(m_channel.get(), this);
    setStatusBar(m_appStatusBar);

    m_channel->setParameter("output net %s udp my_ip %hu", "chmon", m_dataPort);
    m_channel->sendCommand(reply, "quorix2 get output net %s", "chmon");
    m_channel->setParameter("output active %s ts yes", "chmon");
    m_channel->setParameter("output active %s 3d yes", "chmon");
    m_channel->setParameter("output active %s 6d yes", "chmon");
    m_channel->setParameter("output active %s 2dmon yes", "chmon");
    statusBar()->showMessage(tr("Initialization complete."), 2000);
}

void MainWindow::readControllerIdentity()
{
    if (!m_versions.protocol.isAtLeast(1, 1))
        return;
    struct Query {
        const char *parameter;
        QString *value;
        const char *error;
    } queries[] = {
        {"system ethernet_mac", &m_prefs.lastMac, QT_TR_NOOP("Error: Unable to get MAC address of controller")},
        {"system controller_serial", &m_prefs.lastSerial, QT_TR_NOOP("Error: Unable to get system serial")},
        {"system model", &m_prefs.lastModel, QT_TR_NOOP("Error: Unable to get system model")},
    };
    for (const Query &q : queries) {
        char value[IOManager::BufferSize] = "";
        if (m_channel->getString(value, "%s", q.parameter) == 0) {
            *q.value = QString::fromLatin1(value);
        } else {
            q.value->clear();
            m_channel->sendMessage(Standard, Sender, 1, tr(q.error).toLatin1().constData());
        }
    }
    // Kept at once: a Reconnect or a crash must not fall back to another Controller's identity.
    writePreferences();
}

void MainWindow::startMeasurementIfAsked()
{
    if (!m_options.measureAfterStart)
        return;
    QThread::msleep(100);
    bool ok = false;
    const QString state = StatusPoller::queryState(m_channel.get(), &ok);
    if (!ok) {
        QMessageBox::critical(this, tr("Command Error"), tr("No contact to Controller"));
        return;
    }
    if (state == QLatin1String("none") || state == QLatin1String("err"))
        toggleMeasurement();
}

void MainWindow::updateInertialToolBar()
{
    if (!m_inertialToolBar)
        return;
    int sensors = 0;
    const bool show = m_versions.protocol.isAtLeast(1, 12)
        && m_channel->getInt(&sensors, "inertial number_of_sensors") == 0 && sensors >= 1;
    m_inertialToolBar->setVisible(show);
}

// --- Menus and tool bars -----------------------------------------------------

QMenu *MainWindow::addMenu(const QString &title, int key, int step)
{
    auto *menu = new QMenu(title, this);
    for (int i = 1; i <= 9; ++i) {
        QAction *separator = menu->addSeparator();
        separator->setData(step * i);
    }
    m_menusByKey.insert(key, menu);
    m_menusByTitle.insert(title, menu);
    connect(menu, &QMenu::aboutToShow, this, &MainWindow::onMenuAboutToShow_update);
    return menu;
}

// Menus stay sorted by the actions' keys; an action goes before the first
// one with a greater key.
void MainWindow::insertAction(QMenu *menu, QAction *action, int key)
{
    action->setData(key);
    for (QAction *existing : menu->actions()) {
        if (existing->data().toInt() > key) {
            menu->insertAction(existing, action);
            return;
        }
    }
    menu->addAction(action);
}

void MainWindow::addMeasurementInactive(QAction *action)
{
    m_meaInactive.append(action);
    connect(action, &QObject::destroyed, this, &MainWindow::cleanupMeaInactiveAction);
}

void MainWindow::cleanupMeaInactiveAction()
{
    m_meaInactive.removeAll(static_cast<QAction *>(sender()));
}

void MainWindow::createActions()
{
    const QString model = m_versions.model;
    const ControllerVersion &protocol = m_versions.protocol;

    if (protocol.isAtLeast(1, 24)) {
        m_passwordAction = new QAction(tr("&Password"), this);
        m_passwordAction->setWhatsThis(tr("Set or clear password"));
        m_passwordAction->setStatusTip(tr("Set or clear password to protect access to this controller"));
        connect(m_passwordAction, &QAction::triggered, this, [this] {
            AccessControlDialog dialog(m_channel.get(), this);
            dialog.update_and_exec();
        });
    }

    m_startStopAction = new QAction(tr("&Start"), this);
    m_startStopAction->setObjectName(QStringLiteral("actionStartStop"));
    m_startStopAction->setShortcut(QKeySequence(tr("M")));
    // A held M is one press: the key's auto-repeat would start and stop the
    // measurement many times a second.
    m_startStopAction->setAutoRepeat(false);
    m_startStopAction->setStatusTip(tr("Start or stop measurement"));
    m_startStopAction->setWhatsThis(tr("Start or stop measurement"));
    connect(m_startStopAction, &QAction::triggered, this, &MainWindow::toggleMeasurement);

    if (model != QLatin1String("QUORIX_PC")) {
        m_shutdownAction = new QAction(model == QLatin1String("KESTRALINE3") ? tr("C&ontroller shut down")
                                                                             : tr("C&ontroller standby"), this);
        m_shutdownAction->setStatusTip(tr("Shut down the Controller to standby mode"));
        m_shutdownAction->setWhatsThis(tr("Shut down the Controller to standby mode"));
        connect(m_shutdownAction, &QAction::triggered, this, &MainWindow::onSystemShutdown);
        if (model != QLatin1String("KESTRALINE")) {
            m_rebootAction = new QAction(tr("Controller &reboot"), this);
            m_rebootAction->setStatusTip(tr("Reboot the Controller"));
            m_rebootAction->setWhatsThis(tr("Reboot the Controller"));
            connect(m_rebootAction, &QAction::triggered, this, &MainWindow::apply_bqc_reboot);
        }
    }

    m_quitAction = new QAction(tr("&Quit"), this);
    m_quitAction->setObjectName(QStringLiteral("actionQuit"));
    m_quitAction->setShortcut(QKeySequence(tr("Q")));
    m_quitAction->setStatusTip(tr("Quit QUORIX4"));
    m_quitAction->setWhatsThis(tr("Quit QUORIX4"));
    connect(m_quitAction, &QAction::triggered, this, &QWidget::close);

    if (protocol.isAtLeast(1, 11) && model != QLatin1String("KESTRALINE")) {
        m_searchHardwareAction = new QAction(tr("Search &hardware"), this);
        m_searchHardwareAction->setShortcut(QKeySequence(tr("F2")));
        m_searchHardwareAction->setStatusTip(tr("Search hardware like new camera or new radio controller"));
        m_searchHardwareAction->setWhatsThis(tr("Search hardware like new camera or new radio controller"));
        connect(m_searchHardwareAction, &QAction::triggered, this, &MainWindow::apply_search_hardware);
    }

    m_defaultLayoutAction = new QAction(tr("&Set to default"), this);
    m_defaultLayoutAction->setStatusTip(tr("Set to default display"));
    m_defaultLayoutAction->setWhatsThis(tr("Set to default display"));
    connect(m_defaultLayoutAction, &QAction::triggered, this, &MainWindow::apply_default_layout);

    m_darkThemeAction = new QAction(tr("&Dark theme"), this);
    m_darkThemeAction->setCheckable(true);
    m_darkThemeAction->setChecked(m_prefs.darkTheme);
    m_darkThemeAction->setStatusTip(tr("Dark or bright colours, applied at once and kept"));
    m_darkThemeAction->setWhatsThis(tr("Dark or bright colours, applied at once and kept"));
    connect(m_darkThemeAction, &QAction::toggled, this, &MainWindow::setDarkTheme);

    m_whatsThisAction = QWhatsThis::createAction(this);
    m_whatsThisAction->setWhatsThis(tr("You've just found out what this is!"));

    m_serviceAction = new QAction(tr("&Service and Guides"), this);
    m_serviceAction->setStatusTip(tr("Get service from Z.E.L. or view QUORIX4 guides"));
    m_serviceAction->setWhatsThis(tr("Get service from Z.E.L. or view QUORIX4 guides"));
    connect(m_serviceAction, &QAction::triggered, this, &MainWindow::openServiceDialog);
    // The export belongs to the service dialog; it lives in a library of its own.
    ServiceDialog::setExportRunner([](QWidget *parent, IOManager *channel, BackendVersions *versions,
                                      const QDateTime &lastFrontendUpdate, const QString &versionFeAndModules) {
        ExportSystemInformation dialog(parent, channel, versions);
        dialog.setFrontendUpdateDate(lastFrontendUpdate);
        dialog.setFrontendVersion(versionFeAndModules);
        dialog.update_and_exec();
    });

    m_aboutAction = new QAction(tr("&QUORIX4"), this);
    m_aboutAction->setShortcut(QKeySequence(tr("F1")));
    m_aboutAction->setToolTip(tr("Show the detailed information of QUORIX4"));
    m_aboutAction->setWhatsThis(tr("Show the detailed information of QUORIX4"));
    connect(m_aboutAction, &QAction::triggered, this, &MainWindow::openAboutDialog);

    m_aboutQtAction = new QAction(tr("About &Qt"), this);
    m_aboutQtAction->setToolTip(tr("Show the detailed information of the Qt licence (LGPL)"));
    m_aboutQtAction->setWhatsThis(tr("Show the detailed information of the Qt licence (LGPL)"));
    connect(m_aboutQtAction, &QAction::triggered, qApp, &QApplication::aboutQt);
}

void MainWindow::createMenus()
{
    QMenu *quorix = addMenu(tr("&QUORIX4"), 100, 100);
    if (m_passwordAction) {
        insertAction(quorix, m_passwordAction, 17);
        addMeasurementInactive(m_passwordAction);
    }
    insertAction(quorix, m_startStopAction, 110);
    if (m_shutdownAction)
        insertAction(quorix, m_shutdownAction, 210);
    if (m_rebootAction)
        insertAction(quorix, m_rebootAction, 220);
    insertAction(quorix, m_quitAction, 310);

    QMenu *hardware = addMenu(tr("H&ardware"), 200, 100);
    if (m_searchHardwareAction) {
        insertAction(hardware, m_searchHardwareAction, 10);
        addMeasurementInactive(m_searchHardwareAction);
    }
    addMenu(tr("&Tracking"), 300, 100);

    QMenu *view = addMenu(tr("&View"), 400, 1000);
    insertAction(view, m_defaultLayoutAction, 20);
    insertAction(view, m_darkThemeAction, 30);
    QAction *events = m_eventDock->toggleViewAction();
    events->setText(tr("&Events"));
    events->setStatusTip(tr("Show Controller messages"));
    events->setWhatsThis(tr("Show Controller messages"));
    insertAction(view, events, 300);

    QMenu *help = addMenu(tr("&Help"), 700, 100);
    insertAction(help, m_whatsThisAction, 10);
    insertAction(help, m_serviceAction, 100);
    addMeasurementInactive(m_serviceAction);
    insertAction(help, m_aboutAction, 110);
    insertAction(help, m_aboutQtAction, 120);
}

void MainWindow::createToolBars()
{
    m_mainToolBar = addToolBar(tr("Start / Stop"));
    m_mainToolBar->setObjectName(QStringLiteral("MainToolBar"));
    m_mainToolBar->setMinimumSize(80, 27);
    auto *button = new ToolButton(m_mainToolBar);
    button->setDefaultAction(m_startStopAction);
    button->setMinimumHeight(22);
    m_mainToolBar->addWidget(button);

    m_camStatusBar = new CamStatusBar(m_channel.get(), this);
    m_freqStatusBar = new FreqStatusBar(m_channel.get(), m_versions, this);
    m_trackingStatusBar = new TrackingStatusBar(m_channel.get(), this);
    m_radioStatusBar = new RadioStatusBar(m_channel.get(), m_versions, this);
    const struct {
        QToolBar *bar;
        const char *name;
    } statusBars[] = {
        {m_camStatusBar, "QuickStatusToolBar"},
        {m_freqStatusBar, "FrequencyStatusToolBar"},
        {m_trackingStatusBar, "TrackingStatusToolBar"},
        {m_radioStatusBar, "RadioStatusToolBar"},
    };
    m_fixedToolBars = {m_mainToolBar};
    for (const auto &entry : statusBars) {
        entry.bar->setObjectName(QLatin1String(entry.name));
        entry.bar->setMinimumHeight(25);
        addToolBar(entry.bar);
        m_fixedToolBars.append(entry.bar);
    }
}

void MainWindow::createEventDisplay()
{
    char host[IOManager::BufferSize] = "";
    m_channel->getString(host, "system hostname");
    m_eventDisplay = new EventDisplay(m_channel.get(), m_logsDir, QString::fromLatin1(host));
    m_channel->addMessageReceiver(Standard, m_eventDisplay);
    m_statusFeed = new StatusFeed(m_channel.get(), this);
    connect(m_eventDisplay, &EventDisplay::messageShown, m_statusFeed, &StatusFeed::publishEvent);
    m_eventDock = new QDockWidget(tr("Event Display"), this);
    m_eventDock->setObjectName(QStringLiteral("DisplayEvent"));
    m_eventDock->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable
                             | QDockWidget::DockWidgetFloatable);
    m_eventDock->setWidget(m_eventDisplay);
    addDockWidget(Qt::BottomDockWidgetArea, m_eventDock);
    m_eventDock->hide();
}

void MainWindow::loadModules()
{
    m_moduleHost.reset(new ModuleHost(this));
    m_moduleHost->load(QDir(m_appDir).filePath(QStringLiteral("plugins")), m_prefs.showServiceMenu, m_channel.get(),
                       &m_versions);
}

void MainWindow::sendStartupMessages()
{
    const QString version = QStringLiteral("v%1.%2.%3").arg(QuorixVersion::Major).arg(QuorixVersion::Minor).arg(QuorixVersion::Patch);
    relay("ServiceModule", version);
    relay("UpdateModule", version);
    relay("ConfigurationsModule", m_prefs.autoBackup ? version : QStringLiteral("no_auto_backup"));
    m_versionList = m_moduleHost->versionList();
    emit sendLastFeUpdateDate(m_prefs.lastFrontendUpdate);
    emit sendVersionFeAndModules(m_versionList);
    relay("CameraSettingsModule", m_prefs.showDynamicReflexSuppression ? QStringLiteral("ShowDynReflexSuppr")
                                                                        : QStringLiteral("HideDynReflexSuppr"));
    relay("UpdateModule", m_prefs.notifyOldFrontendOrBackend ? QStringLiteral("CheckForOldFrontendOrBackend")
                                                              : QStringLiteral("NotCheckForOldFrontendOrBackend"));
    relay("UpdateModule", m_prefs.darkTheme ? QStringLiteral("DarkThemeEnabled") : QStringLiteral("DarkThemeDisabled"));
    m_statusFeed->announceLogs(m_logsDir, m_eventDisplay->hostName());
}

// Everything the host tells its modules goes out as "Quorix2", type 1.
void MainWindow::relay(const char *channel, const QString &text)
{
    m_channel->sendMessage(channel, "Quorix2", 1, text.toLatin1().constData());
}

void MainWindow::onReceiveMonitor2dTabChanged(QString text)
{
    relay("RoomCalModule", text);
}

void MainWindow::onReceiveMonitor2dMostActiveChanged(QString text)
{
    relay("RoomCalModule", text);
}

void MainWindow::onReceiveOpenBodyCalDialog(QString text)
{
    relay("BodyCalModule", text);
}

void MainWindow::onReceiveOpenBodyAdjustmentDialog(QString text)
{
    relay("BodyAdjustmentModule", text);
}

void MainWindow::onReceiveOpenHybridBodyCalibrationDialog(QString text)
{
    relay("HybridBodyCalibration", text);
}

void MainWindow::onReceiveCloseHybridBodyCalibrationDialog()
{
    relay("HybridBodyCalibration", QStringLiteral("close dialog"));
}

void MainWindow::onReceiveCloseBodyCalDialog()
{
    relay("BodyAdministrationModule", QStringLiteral("close dialog"));
}

void MainWindow::onReceiveCloseBodyAdjustmentDialog()
{
    relay("BodyAdministrationModule", QStringLiteral("close dialog"));
}

void MainWindow::notify_body_admin()
{
    if (m_moduleHost->isLoaded(QStringLiteral("GUI Body Calibration")))
        relay("BodyAdministrationModule", QStringLiteral("bodycalibration available"));
    if (m_moduleHost->isLoaded(QStringLiteral("GUI Body Adjustment")))
        relay("BodyAdministrationModule", QStringLiteral("bodyadjustment available"));
}

void MainWindow::detachStatusBars()
{
    if (m_statusFeed)
        m_statusFeed->detach();
    if (m_camStatusBar)
        m_camStatusBar->detach();
    if (m_freqStatusBar)
        m_freqStatusBar->detach();
    if (m_trackingStatusBar)
        m_trackingStatusBar->detach();
}

// Docks first, sorted by their menu key (a separator above 1000), then the tool bars.
QMenu *MainWindow::createPopupMenu()
{
    auto *menu = new QMenu(this);
    QList<QDockWidget *> docks = findChildren<QDockWidget *>(QString(), Qt::FindDirectChildrenOnly);
    std::stable_sort(docks.begin(), docks.end(), [](QDockWidget *a, QDockWidget *b) {
        return a->toggleViewAction()->data().toInt() < b->toggleViewAction()->data().toInt();
    });
    bool separated = false;
    for (QDockWidget *dock : qAsConst(docks)) {
        if (!separated && dock->toggleViewAction()->data().toInt() > 1000) {
            menu->addSeparator();
            separated = true;
        }
        menu->addAction(dock->toggleViewAction());
    }
    menu->addSeparator();
    for (QToolBar *bar : findChildren<QToolBar *>(QString(), Qt::FindDirectChildrenOnly))
        menu->addAction(bar->toggleViewAction());
    return menu;
}

QString MainWindow::layoutFile() const
{
    return QDir(m_configDir).filePath(QStringLiteral("quorix.layout"));
}

QString MainWindow::defaultLayoutFile() const
{
    return QDir(m_appDir).filePath(QStringLiteral("config/quorix_default.layout"));
}

void MainWindow::saveLayout()
{
    const QString error = WindowLayout(this, m_fixedToolBars).save(layoutFile());
    if (!error.isEmpty())
        QMessageBox::warning(this, tr("Error"), error);
}

void MainWindow::loadLayout(bool bDefault)
{
    WindowLayout(this, m_fixedToolBars).load(bDefault ? defaultLayoutFile() : layoutFile());
}

void MainWindow::apply_default_layout()
{
    loadLayout(true);
}

void MainWindow::placeMenus()
{
    for (QMenu *menu : qAsConst(m_menusByKey))
        if (menu->actions().size() > 9)
            menuBar()->addMenu(menu);
    loadLayout(false);
    bool ok = false;
    const QString state = StatusPoller::queryState(m_channel.get(), &ok);
    setMeasurementInactiveEnabled(!(ok && state == QLatin1String("mea")));
    updateWindowTitle();
}

void MainWindow::onMenuAboutToShow_update()
{
    auto *menu = qobject_cast<QMenu *>(sender());
    if (!menu)
        return;
    for (QAction *action : menu->actions())
        action->setData(action->data());
}

void MainWindow::setOnlyDisplay(bool b)
{
    for (auto it = m_menusByTitle.cbegin(); it != m_menusByTitle.cend(); ++it)
        if (it.key() != tr("&View"))
            it.value()->setEnabled(b);
    m_startStopAction->setEnabled(b);
}

void MainWindow::setMeasurementInactiveEnabled(bool enabled)
{
    for (QAction *action : qAsConst(m_meaInactive))
        action->setEnabled(enabled);
}

// --- Measurement -------------------------------------------------------------

void MainWindow::toggleMeasurement()
{
    bool ok = false;
    const QString state = StatusPoller::queryState(m_channel.get(), &ok);
    if (!ok) {
        QMessageBox::critical(this, tr("Command Error"), tr("No contact to Controller"));
        return;
    }
    char reply[IOManager::BufferSize] = "";
    if (state == QLatin1String("none") || state == QLatin1String("err")) {
        const QString failed = tr("measurement start unsuccessful!");
        if (m_versions.protocol.isAtLeast(0, 14)) {
            char available[IOManager::BufferSize] = "";
            if (m_channel->getString(available, "tracking available") != 0 || std::strcmp(available, "yes") != 0) {
                statusBar()->showMessage(failed, 4000);
                m_channel->sendMessage(Standard, Sender, 1, failed.toLatin1().constData());
                return;
            }
        }
        if (m_channel->sendCommand(reply, "quorix2 tracking start") != 0) {
            statusBar()->showMessage(failed, 4000);
            return;
        }
        const QString after = StatusPoller::queryState(m_channel.get(), &ok);
        if (!ok)
            return;
        if (after == QLatin1String("none") || after == QLatin1String("err")) {
            statusBar()->showMessage(failed, 4000);
            return;
        }
        m_startStopAction->setText(tr("Stop"));
        m_lastStateRead = after;   // rounds that read the state before the start do not count
        const QString started = tr("measurement started");
        statusBar()->showMessage(started, 2000);
        m_channel->sendMessage(Standard, Sender, 1, started.toLatin1().constData());
        setMeasurementInactiveEnabled(false);
    } else if (state == QLatin1String("mea") || state == QLatin1String("wait")) {
        m_channel->sendCommand(reply, "quorix2 tracking stop");
        if (std::strcmp(reply, "quorix2 ok") != 0) {
            statusBar()->showMessage(tr("measurement stop unsuccessful"), 2000);
            return;
        }
        m_startStopAction->setText(tr("Start"));
        m_lastStateRead = QStringLiteral("none");
        const QString stopped = tr("measurement stopped");
        statusBar()->showMessage(stopped, 2000);
        m_channel->sendMessage(Standard, Sender, 1, stopped.toLatin1().constData());
        setMeasurementInactiveEnabled(true);
    }
    update_status();
}

void MainWindow::update_status()
{
    if (m_statusPoller)
        m_statusPoller->poll();
}

void MainWindow::createStatusPoller()
{
    StatusPoller::Bars bars;
    bars.app = m_appStatusBar;
    bars.cameras = m_camStatusBar;
    bars.tracking = m_trackingStatusBar;
    bars.frequency = m_freqStatusBar;
    bars.feed = m_statusFeed;
    m_statusPoller = new StatusPoller(m_channel.get(), bars, this);
    connect(m_statusPoller, &StatusPoller::stateRead, this, &MainWindow::onStateRead);
    connect(m_statusPoller, &StatusPoller::connectionLost, this, &MainWindow::connectionLost);
    connect(m_statusPoller, &StatusPoller::slowController, this, &MainWindow::onSlowController);
    m_statusPoller->start();
}

// What the window shows follows the state the rounds read, once two in a row
// agree: a single late or doubled reply to an earlier state query (the one
// before a start or stop, say) must not flip the button back.
void MainWindow::onStateRead(const QString &read)
{
    const bool confirmed = read == m_lastStateRead;
    m_lastStateRead = read;
    if (!confirmed)
        return;
    const QString &state = read;
    if (state == QLatin1String("wait")) {
        const QString waiting = tr("measurement interrupted. Waiting for external synchronisation signal...");
        statusBar()->showMessage(waiting, 4000);
        m_startStopAction->setText(tr("Stop"));
        if (!m_synchronisationReported) {
            m_channel->sendMessage(Standard, Sender, 1, waiting.toLatin1().constData());
            m_synchronisationReported = true;
        }
    } else {
        m_synchronisationReported = false;
    }
    const QString text = m_startStopAction->text();
    if (text == tr("Stop") && (state == QLatin1String("none") || state == QLatin1String("err"))) {
        setMeasurementInactiveEnabled(true);
        m_startStopAction->setText(tr("Start"));
    }
    if ((text == tr("Start") || text == tr("&Start")) && state == QLatin1String("mea")) {
        m_startStopAction->setText(tr("Stop"));
        setMeasurementInactiveEnabled(false);
    }
}

// A slow Controller is named, so that it is not taken for a frozen window.
void MainWindow::onSlowController(int replyMs)
{
    const QString name = m_eventDisplay ? m_eventDisplay->hostName() : m_connectedAddress;
    statusBar()->showMessage(tr("Controller %1 answers slowly: %2 s for the last reply")
                                 .arg(name, QLocale().toString(replyMs / 1000.0, 'f', 1)),
                             StatusPoller::IntervalMs * 10);
}

// --- Connection lost, closing, shutdown ----------------------------------------

void MainWindow::connectionLost()
{
    // Before the modules are detached: a recorder marks why its record ends.
    if (m_statusFeed)
        m_statusFeed->announceLoss();
    prepareShutdown();   // the status bars show "-" from here on: nothing is known any more
    m_startStopAction->setEnabled(false);
    ConnectionLostBox box(m_connectedAddress, m_versions.protocol.isAtLeast(1, 12), m_reconnectCountdownS, this);
    box.raise();
    box.exec();
    qApp->exit(box.reconnectChosen() ? RestartExitCode : 0);
}

void MainWindow::prepareShutdown()
{
    bool cascaded = false;
    if (m_versions.protocol.isAtLeast(1, 7)) {
        char available[IOManager::BufferSize] = "";
        int slaves = 0;
        cascaded = m_channel->getString(available, "cascade available") == 0 && std::strcmp(available, "yes") == 0
            && m_channel->getInt(&slaves, "cascade number_of_connected_slaves") == 0 && slaves > 0;
    }
    m_prefs.cascadedSystem = cascaded;
    writePreferences();
    saveLayout();
    if (m_eventDisplay)
        m_eventDisplay->stop();
    m_meaInactive.clear();
    if (m_statusPoller)
        m_statusPoller->stop();
    detachStatusBars();
    if (m_moduleHost)
        m_moduleHost->detachAll();
    m_shutdownPrepared = true;
}

// The host name may have changed on the Controller; a failed query keeps the
// stored one. The address stays the one connected: what the Controller reports
// as its own ("system net") may be another interface's or lie behind NAT, and
// could not be reached by the next start.
void MainWindow::rereadControllerAddress()
{
    char value[IOManager::BufferSize] = "";
    if (m_channel->getString(value, "system hostname") == 0)
        m_prefs.lastHostName = QString::fromLatin1(value);
    if (!m_connectedAddress.isEmpty())
        m_prefs.lastIp = m_connectedAddress;
}

void MainWindow::prepareClose(const char *finalCommand)
{
    m_appStatusBar->update_status();
    rereadControllerAddress();
    prepareShutdown();
    if (finalCommand) {
        char reply[IOManager::BufferSize];
        m_channel->sendCommand(reply, "%s", finalCommand);
    }
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (m_shutdownPrepared) {
        event->accept();
        return;
    }
    if (closingMustWait()) {
        event->ignore();
        QTimer::singleShot(CloseRetryMs, this, [this] { close(); });
        return;
    }
    const char *finalCommand = nullptr;
    bool ok = false;
    const QString state = m_unattended ? QString() : StatusPoller::queryState(m_channel.get(), &ok);
    if (ok && state == QLatin1String("mea")) {
        QMessageBox box(QMessageBox::Question, tr("Quit QUORIX4"), tr("Measurement is active. Stop measurement? "),
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, this);
        // No default: Enter alone must not stop a measurement.
        for (QAbstractButton *button : box.buttons())
            if (auto *push = qobject_cast<QPushButton *>(button))
                push->setAutoDefault(false);
        // Escape and the box's close button change the user's mind, not the measurement.
        box.setEscapeButton(QMessageBox::Cancel);
        int answer = box.exec();
        // A stop request (SIGTERM, a logout) while the question is open ends
        // its loop and finds the window already closing: it closes as an
        // unattended close does, the measurement left running.
        if (m_unattended)
            answer = QMessageBox::No;
        if (answer != QMessageBox::Yes && answer != QMessageBox::No) {
            event->ignore();
            return;
        }
        if (answer == QMessageBox::Yes)
            finalCommand = "quorix2 tracking stop";
    }
    prepareClose(finalCommand);
    event->accept();
}

// Closing tears down the bars, the modules and what the command waiting now
// was asked for by: it comes once that command has its reply.
bool MainWindow::closingMustWait() const
{
    return m_channel && m_channel->isWaitingOnThisThread();
}

void MainWindow::closeUnattended()
{
    if (closingMustWait()) {
        QTimer::singleShot(CloseRetryMs, this, &MainWindow::closeUnattended);
        return;
    }
    m_unattended = true;
    close();
    // Also ends any dialog's loop that was open when the signal came.
    qApp->exit(0);
}

void MainWindow::rememberSettings()
{
    if (m_shutdownPrepared)
        return;
    DisplayLoss::remember(Preferences::currentFile(), m_prefs.buildDocument(), layoutFile(),
                          WindowLayout::joinFile(saveGeometry(), saveState(0)));
}

void MainWindow::onReceiveAppReadyToShutdown()
{
    prepareShutdown();
}

void MainWindow::onReceiveConfigurationChanged()
{
    m_appStatusBar->update_configuration();
    rereadControllerAddress();
}

void MainWindow::onSystemShutdown()
{
    if (QMessageBox::question(this, tr("QUORIX4"), tr("Shut down the Controller?"), QMessageBox::Yes | QMessageBox::No,
                              QMessageBox::No) != QMessageBox::Yes)
        return;
    prepareClose("quorix2 system shutdown");
    qApp->quit();
}

void MainWindow::apply_bqc_reboot()
{
    if (QMessageBox::question(this, tr("QUORIX4"),
                              tr("Reboot the Controller?\nQUORIX4 will be closed and reopen is required.\n"),
                              QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes)
        return;
    prepareClose("quorix2 system reboot");
    qApp->quit();
}

void MainWindow::apply_search_hardware()
{
    SearchHardwareDlg dialog(this, m_channel.get(), QString());
    if (dialog.update_and_exec() == QDialog::Accepted)
        m_channel->sendMessage("GlobalEvent", "Quorix2", 2, "");
}

void MainWindow::openAboutDialog()
{
    AboutDlg2g dialog(m_channel.get(), this, &m_versions, m_prefs.darkTheme);
    AboutDlg2g::ModuleList modules;
    if (m_moduleHost)
        for (ModuleInterface *module : m_moduleHost->modules())
            modules.append({module->moduleName(), module->moduleVersion()});
    dialog.setModuleList(modules);
    dialog.update_and_exec();
}

void MainWindow::openServiceDialog()
{
    ServiceDialog dialog(m_channel.get(), this, &m_versions);
    dialog.setLastFeUpdateDate(m_prefs.lastFrontendUpdate);
    dialog.setVersionFeAndModules(m_versionList);
    dialog.update_and_exec();
}

void MainWindow::onReceiveInertialChanged(QString text)
{
    if (m_inertialToolBar)
        m_inertialToolBar->setVisible(text.startsWith(QLatin1String("ShowInertialToolbar")));
}

// --- Version check, title, theme ---------------------------------------------

void MainWindow::checkForOldFrontend()
{
    if (!m_prefs.notifyOldFrontendOrBackend || !m_versions.protocol.isAtLeast(0, 8))
        return;
    char reply[IOManager::BufferSize] = "";
    if (m_channel->getString(reply, "system version") != 0)
        return;
    const QString versionText = QString::fromLatin1(reply).section(QLatin1Char(' '), 0, 0);
    // The version rule of every gate; all three parts must have been read.
    const ControllerVersion controller = ControllerVersion::parse(versionText);
    if (controller.patch < 0
        || !controller.isAtLeast(QuorixVersion::Major, QuorixVersion::Minor, QuorixVersion::Patch + 1))
        return;
    const QString message = tr("The version of QUORIX4 (v%1.%2.%3%4) is older than the Controller version (%5)!")
                                .arg(QuorixVersion::Major).arg(QuorixVersion::Minor).arg(QuorixVersion::Patch).arg(QString(), versionText);
    m_channel->sendMessage(Standard, Sender, 1, (message + QLatin1Char(' ') + tr("Please update QUORIX4.")).toLatin1().constData());
    PlainTextBox::warning(this, tr("QUORIX4"), message + QLatin1Char('\n') + tr("Please update QUORIX4."));
}

void MainWindow::updateWindowTitle()
{
    QString title = tr("QUORIX4 basic");
    char name[IOManager::BufferSize] = "";
    if (m_versions.protocol.isAtLeast(0, 17) && m_channel->getString(name, "system full_name") == 0)
        title = QString::fromLatin1(name).remove(QLatin1Char('"'));
    setWindowTitle(title);
}

void MainWindow::apply_dark_theme()
{
    setDarkTheme(!m_prefs.darkTheme);
}

// Applied at once, both ways, and kept for the next start.
void MainWindow::setDarkTheme(bool dark)
{
    if (m_darkThemeAction) {
        const QSignalBlocker quiet(m_darkThemeAction);
        m_darkThemeAction->setChecked(dark);
    }
    if (dark == m_prefs.darkTheme)
        return;
    m_prefs.darkTheme = dark;
    if (dark)
        Theme::applyDark(qApp);
    else
        Theme::applyBright(qApp);
    writePreferences();
    relay("UpdateModule", dark ? QStringLiteral("DarkThemeEnabled") : QStringLiteral("DarkThemeDisabled"));
}

