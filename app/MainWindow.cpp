#include "MainWindow.h"

#include "AboutDlg2g.h"
#include "AccessControlDialog.h"
#include "AppStatusBar.h"
#include "CamStatusBar.h"
#include "ConnectionLostBox.h"
#include "DisplayLoss.h"
#include "EventDisplay.h"
#include "ExportSystemInformation.h"
#include "FreqStatusBar.h"
#include "IOManagerUdpTcp.h"
#include "MainAppMessageReceiver.h"
#include "MeasurementControl.h"
#include "MenuRegistry.h"
#include "MessageBoxRelay.h"
#include "ModuleHost.h"
#include "ModuleInterface.h"
#include "ModuleRelay.h"
#include "PlainTextBox.h"
#include "RadioStatusBar.h"
#include "RecordingActions.h"
#include "ReplayBar.h"
#include "ReplayChannel.h"
#include "ReplayStart.h"
#include "SearchHardwareDlg.h"
#include "ServiceDialog.h"
#include "StatusFeed.h"
#include "StatusPoller.h"
#include "Theme.h"
#include "ToolButton.h"
#include "TrackingStatusBar.h"
#include "Version.h"
#include "WindowLayout.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDockWidget>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QToolBar>
#include <QWhatsThis>

#include <cstring>

namespace {

const char Standard[] = "standard";
const char Sender[] = "QUORIX4";

} // namespace

MainWindow::MainWindow(ControllerSession session, QWidget *parent)
    : QMainWindow(parent)
    , m_boxes(std::move(session.boxes))
    , m_channel(std::move(session.channel))
    , m_prefs(session.prefs)
    , m_versions(session.versions)
    , m_connectedAddress(session.address)
{
    setObjectName(QStringLiteral("MainWindow"));
    m_boxes->setWindow(this);
    m_recording = new RecordingActions(this);
    m_recording->setRecorder(std::move(session.recorder));
    m_appStatusBar = session.statusBar.release();
    setStatusBar(m_appStatusBar);

    createMenus();
    createActions();
    createDocks(session.eventDisplay.release());
    createToolBars();
    if (auto *replay = dynamic_cast<ReplayChannel *>(m_channel.get())) {
        m_recording->setReplay(ReplayStart::recording());
        addToolBar(Qt::BottomToolBarArea, new ReplayBar(replay, ReplayStart::fileName(), this));
        replay->play();
    }
    loadPlugins();
    createStatusPoller();
    readSettings();
    listenToModules();
    if (m_prefs.darkTheme)
        Theme::applyDark(qApp);

    auto *remembering = new QTimer(this);
    connect(remembering, &QTimer::timeout, this, &MainWindow::rememberSettings);
    remembering->start(RememberSettingsMs);
}

MainWindow::~MainWindow()
{
    DisplayLoss::forget();
    m_measurement->releaseInactiveActions();
    if (m_statusPoller)
        m_statusPoller->stop();
    m_eventDisplay->stop();
    // The bars and the event display outlive this body as children; they must
    // not reach the channel after it is gone.
    detachStatusBars();
    m_channel->removeMessageReceiver(Standard, m_eventDisplay);
    m_channel->removeMessageReceiver("GlobalEvent", m_receiver);
    m_channel->removeMessageReceiver("Main_Window", m_receiver);
    delete m_receiver;
    m_receiver = nullptr;
    // Modules are torn down while the channel they were given still exists.
    m_moduleHost.reset();
    m_channel.reset();
}

// --- The outline ---------------------------------------------------------------

// The menus first, so that each action is placed as it is made.
void MainWindow::createMenus()
{
    m_menus = new MenuRegistry(this);
    m_menus->addMenu(tr("&QUORIX4"), 100, 100);
    m_menus->addMenu(tr("H&ardware"), 200, 100);
    m_menus->addMenu(tr("&Tracking"), 300, 100);
    m_menus->addMenu(tr("&View"), 400, 1000);
    m_menus->addMenu(tr("&Help"), 700, 100);
}

QAction *MainWindow::placeAction(const QString &menu, int key, const QString &text, const QString &tip,
                                 bool inactiveWhileMeasuring)
{
    auto *action = new QAction(text, this);
    action->setStatusTip(tip);
    action->setWhatsThis(tip);
    m_menus->insertAction(m_menus->menu(menu), action, key);
    if (inactiveWhileMeasuring)
        m_measurement->addInactiveAction(action);
    return action;
}

void MainWindow::createActions()
{
    m_measurement = new MeasurementControl(m_channel.get(), &m_versions, this, m_appStatusBar);
    const QString model = m_versions.model;
    const ControllerVersion &protocol = m_versions.protocol;
    const QString quorix = tr("&QUORIX4");

    if (protocol.isAtLeast(1, 24)) {
        QAction *password = placeAction(quorix, 17, tr("&Password"),
                                        tr("Set or clear password to protect access to this controller"), true);
        password->setWhatsThis(tr("Set or clear password"));
        connect(password, &QAction::triggered, this, [this] {
            AccessControlDialog dialog(m_channel.get(), this);
            dialog.update_and_exec();
        });
    }
    m_menus->insertAction(m_menus->menu(quorix), m_measurement->startStopAction(), 110);
    if (model != QLatin1String("QUORIX_PC")) {
        QAction *shutdown = placeAction(quorix, 210,
                                        model == QLatin1String("KESTRALINE3") ? tr("C&ontroller shut down")
                                                                              : tr("C&ontroller standby"),
                                        tr("Shut down the Controller to standby mode"));
        connect(shutdown, &QAction::triggered, this, &MainWindow::onSystemShutdown);
        if (model != QLatin1String("KESTRALINE")) {
            QAction *reboot = placeAction(quorix, 220, tr("Controller &reboot"), tr("Reboot the Controller"));
            connect(reboot, &QAction::triggered, this, &MainWindow::apply_bqc_reboot);
        }
    }
    m_menus->insertAction(m_menus->menu(quorix), m_recording->saveAction(), 250);
    m_menus->insertAction(m_menus->menu(quorix), m_recording->exportAction(), 260);
    QAction *quit = placeAction(quorix, 310, tr("&Quit"), tr("Quit QUORIX4"));
    quit->setObjectName(QStringLiteral("actionQuit"));
    quit->setShortcut(QKeySequence(tr("Q")));
    connect(quit, &QAction::triggered, this, &QWidget::close);

    if (protocol.isAtLeast(1, 11) && model != QLatin1String("KESTRALINE")) {
        QAction *search = placeAction(tr("H&ardware"), 10, tr("Search &hardware"),
                                      tr("Search hardware like new camera or new radio controller"), true);
        search->setShortcut(QKeySequence(tr("F2")));
        connect(search, &QAction::triggered, this, &MainWindow::apply_search_hardware);
    }

    const QString view = tr("&View");
    QAction *defaultLayout = placeAction(view, 20, tr("&Set to default"), tr("Set to default display"));
    connect(defaultLayout, &QAction::triggered, this, &MainWindow::apply_default_layout);
    m_darkThemeAction = placeAction(view, 30, tr("&Dark theme"), tr("Dark or bright colours, applied at once and kept"));
    m_darkThemeAction->setCheckable(true);
    m_darkThemeAction->setChecked(m_prefs.darkTheme);
    connect(m_darkThemeAction, &QAction::toggled, this, &MainWindow::setDarkTheme);

    const QString help = tr("&Help");
    QAction *whatsThis = QWhatsThis::createAction(this);
    whatsThis->setWhatsThis(tr("You've just found out what this is!"));
    m_menus->insertAction(m_menus->menu(help), whatsThis, 10);
    QAction *service = placeAction(help, 100, tr("&Service and Guides"),
                                   tr("Get service from Z.E.L. or view QUORIX4 guides"), true);
    connect(service, &QAction::triggered, this, &MainWindow::openServiceDialog);
    // The export belongs to the service dialog; it lives in a library of its own.
    ServiceDialog::setExportRunner([recording = QPointer<RecordingActions>(m_recording)](
                                       QWidget *parent, IOManager *channel, BackendVersions *versions,
                                       const QDateTime &lastFrontendUpdate, const QString &versionFeAndModules) {
        ExportSystemInformation dialog(parent, channel, versions);
        if (recording && recording->recorder())
            dialog.setRecordingSource([recording] { return recording ? recording->systemInfoEntry() : QByteArray(); });
        dialog.setFrontendUpdateDate(lastFrontendUpdate);
        dialog.setFrontendVersion(versionFeAndModules);
        dialog.update_and_exec();
    });
    QAction *about = placeAction(help, 110, tr("&QUORIX4"), QString());
    about->setShortcut(QKeySequence(tr("F1")));
    about->setToolTip(tr("Show the detailed information of QUORIX4"));
    about->setWhatsThis(tr("Show the detailed information of QUORIX4"));
    connect(about, &QAction::triggered, this, &MainWindow::openAboutDialog);
    QAction *aboutQt = placeAction(help, 120, tr("About &Qt"), QString());
    aboutQt->setToolTip(tr("Show the detailed information of the Qt licence (LGPL)"));
    aboutQt->setWhatsThis(tr("Show the detailed information of the Qt licence (LGPL)"));
    connect(aboutQt, &QAction::triggered, qApp, &QApplication::aboutQt);
}

void MainWindow::createDocks(EventDisplay *eventDisplay)
{
    m_eventDisplay = eventDisplay;
    m_statusFeed = new StatusFeed(m_channel.get(), this);
    connect(m_eventDisplay, &EventDisplay::messageShown, m_statusFeed, &StatusFeed::publishEvent);
    m_eventDock = new QDockWidget(tr("Event Display"), this);
    m_eventDock->setObjectName(QStringLiteral("DisplayEvent"));
    m_eventDock->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable
                             | QDockWidget::DockWidgetFloatable);
    m_eventDock->setWidget(m_eventDisplay);
    addDockWidget(Qt::BottomDockWidgetArea, m_eventDock);
    m_eventDock->hide();

    QAction *events = m_eventDock->toggleViewAction();
    events->setText(tr("&Events"));
    events->setStatusTip(tr("Show Controller messages"));
    events->setWhatsThis(tr("Show Controller messages"));
    m_menus->insertAction(m_menus->menu(tr("&View")), events, 300);
}

void MainWindow::createToolBars()
{
    QToolBar *main = addToolBar(tr("Start / Stop"));
    main->setObjectName(QStringLiteral("MainToolBar"));
    main->setMinimumSize(80, 27);
    auto *button = new ToolButton(main);
    button->setDefaultAction(m_measurement->startStopAction());
    button->setMinimumHeight(22);
    main->addWidget(button);

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
    m_fixedToolBars = {main};
    for (const auto &entry : statusBars) {
        entry.bar->setObjectName(QLatin1String(entry.name));
        entry.bar->setMinimumHeight(25);
        addToolBar(entry.bar);
        m_fixedToolBars.append(entry.bar);
    }
}

void MainWindow::loadPlugins()
{
    m_moduleHost = std::make_unique<ModuleHost>(this, m_menus, m_measurement);
    m_moduleHost->load(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("plugins")), m_prefs.showServiceMenu, m_channel.get(),
                       &m_versions);
    m_relay = new ModuleRelay(m_channel.get(), m_moduleHost.get(), this);
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
    connect(m_statusPoller, &StatusPoller::stateRead, m_measurement, &MeasurementControl::onStateRead);
    connect(m_statusPoller, &StatusPoller::connectionLost, this, &MainWindow::connectionLost);
    connect(m_statusPoller, &StatusPoller::slowController, this, &MainWindow::onSlowController);
    connect(m_measurement, &MeasurementControl::pollWanted, m_statusPoller, &StatusPoller::poll);
    m_statusPoller->start();
}

// The menus, the layout, and what the Controller's state allows now.
void MainWindow::readSettings()
{
    m_menus->fillMenuBar();
    loadLayout(false);
    m_measurement->reflectControllerState();
    updateWindowTitle();
}

void MainWindow::listenToModules()
{
    m_versionList = m_moduleHost->versionList();
    m_relay->sendStartupMessages(m_prefs, m_versionList);
    // A replay's logs are its own, gone with it (ReplayStart::logsDir).
    m_statusFeed->announceLogs(ReplayStart::isActive() ? ReplayStart::logsDir() : Preferences::logsDir(),
                               m_eventDisplay->hostName());

    m_receiver = new MainAppMessageReceiver(this);
    m_channel->addMessageReceiver("GlobalEvent", m_receiver);
    m_channel->addMessageReceiver("Main_Window", m_receiver);
    m_relay->listenTo(m_receiver);
    connect(m_receiver, &MainAppMessageReceiver::receiveConfigurationChanged, this, &MainWindow::onReceiveConfigurationChanged);
    connect(m_receiver, &MainAppMessageReceiver::receiveAppReadyToShutdown, this, &MainWindow::onReceiveAppReadyToShutdown);
    connect(m_receiver, &MainAppMessageReceiver::receiveSetOnlyDisplay, this, &MainWindow::setOnlyDisplay);
    connect(m_receiver, &MainAppMessageReceiver::receiveInertialChanged, this, &MainWindow::onReceiveInertialChanged);
}

// --- What the window offers -----------------------------------------------------

QAction *MainWindow::startStopAction() const
{
    return m_measurement->startStopAction();
}

QList<QAction *> MainWindow::measurementInactiveActions() const
{
    return m_measurement->inactiveActions();
}

QMenu *MainWindow::menuByTitle(const QString &title) const
{
    return m_menus->menu(title);
}

QToolBar *MainWindow::inertialToolBar() const
{
    return m_moduleHost->inertialToolBar();
}

QMenu *MainWindow::createPopupMenu()
{
    return m_menus->createToggleMenu();
}

void MainWindow::update_status()
{
    m_statusPoller->poll();
}

void MainWindow::notify_body_admin()
{
    m_relay->notify_body_admin();
}

void MainWindow::setOnlyDisplay(bool b)
{
    m_menus->setMenusEnabled(b, tr("&View"));
    startStopAction()->setEnabled(b);
}

void MainWindow::updateInertialToolBar()
{
    QToolBar *bar = inertialToolBar();
    if (!bar)
        return;
    int sensors = 0;
    const bool show = m_versions.protocol.isAtLeast(1, 12)
        && m_channel->getInt(&sensors, "inertial number_of_sensors") == 0 && sensors >= 1;
    bar->setVisible(show);
}

void MainWindow::onReceiveInertialChanged(QString text)
{
    if (QToolBar *bar = inertialToolBar())
        bar->setVisible(text.startsWith(QLatin1String("ShowInertialToolbar")));
}

void MainWindow::detachStatusBars()
{
    m_statusFeed->detach();
    m_camStatusBar->detach();
    m_freqStatusBar->detach();
    m_trackingStatusBar->detach();
}

// A slow Controller is named, so that it is not taken for a frozen window.
void MainWindow::onSlowController(int replyMs)
{
    statusBar()->showMessage(tr("Controller %1 answers slowly: %2 s for the last reply")
                                 .arg(m_eventDisplay->hostName(), QLocale().toString(replyMs / 1000.0, 'f', 1)),
                             StatusPoller::IntervalMs * 10);
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

// --- Layout and preferences -------------------------------------------------------

QString MainWindow::layoutFile() const
{
    return QDir(Preferences::configDir()).filePath(QStringLiteral("quorix.layout"));
}

QString MainWindow::defaultLayoutFile() const
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("config/quorix_default.layout"));
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
    m_moduleHost->settleCentralDock();
}

void MainWindow::apply_default_layout()
{
    loadLayout(true);
}

void MainWindow::writePreferences()
{
    const QString warning = m_prefs.write();
    if (!warning.isEmpty())
        QMessageBox::warning(this, Preferences::writeWarningTitle(), warning, QMessageBox::Ok);
}

void MainWindow::rememberSettings()
{
    if (m_shutdownPrepared)
        return;
    DisplayLoss::remember(Preferences::currentFile(), m_prefs.buildDocument(), layoutFile(),
                          WindowLayout::joinFile(saveGeometry(), saveState(0)));
}

// --- Connection lost, closing, shutdown ----------------------------------------

void MainWindow::connectionLost()
{
    // Before the modules are detached: a recorder marks why its record ends.
    m_statusFeed->announceLoss();
    prepareShutdown();   // the status bars show "-" from here on: nothing is known any more
    startStopAction()->setEnabled(false);
    ConnectionLostBox box(m_connectedAddress, m_versions.protocol.isAtLeast(1, 12), m_prefs.reconnectCountdownS, this);
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
    m_eventDisplay->stop();
    m_measurement->releaseInactiveActions();
    m_statusPoller->stop();
    detachStatusBars();
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
    // A replay has no measurement to stop: it is not asked about.
    const QString state = m_unattended || ReplayStart::isActive() ? QString()
                                                                  : StatusPoller::queryState(m_channel.get(), &ok);
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
    return m_channel->isWaitingOnThisThread();
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
    if (ReplayStart::isActive())
        title = tr("%1 (replay)").arg(title);
    setWindowTitle(title);
}

void MainWindow::apply_dark_theme()
{
    setDarkTheme(!m_prefs.darkTheme);
}

// Applied at once, both ways, and kept for the next start.
void MainWindow::setDarkTheme(bool dark)
{
    {
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
    m_relay->announceTheme(dark);
}
