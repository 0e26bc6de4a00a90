#include "StartupController.h"

#include "BackendVersionReader.h"
#include "BoxPlacement.h"
#include "CommandFile.h"
#include "ControllerConnector.h"
#include "HelpCommandLine.h"
#include "MainWindow.h"
#include "MeasurementControl.h"
#include "PrivateFiles.h"
#include "ReplayChannel.h"
#include "ReplayStart.h"
#include "Theme.h"

#include <QApplication>
#include <QMessageBox>

namespace {

const char Standard[] = "standard";
const char Sender[] = "QUORIX4";

} // namespace

StartupController::StartupController(const QString &commandLine)
    : m_commandLine(commandLine)
{
}

std::unique_ptr<MainWindow> StartupController::openWindow()
{
    if (!connect())
        return nullptr;
    const CommandLine::Options options = m_session.options;
    auto window = std::make_unique<MainWindow>(takeSession());
    finish(window.get(), options);
    return window;
}

bool StartupController::connect()
{
    // Boxes of the start-up come before any window is shown.
    BoxPlacement::install();
    m_session.boxes = std::make_unique<MessageBoxRelay>();
    // An earlier version left the per-user folder readable by everyone.
    PrivateFiles::restrictTree(PrivateFiles::userRoot());
    readPreferences();
    CommandLine::Options &options = m_session.options;
    options = CommandLine::Options();
    options.hostText = m_session.prefs.lastHostName;
    CommandLine::parse(m_commandLine, options);
    if (options.help) {
        HelpCommandLine help;
        help.exec();
        return false;
    }

    if (ReplayStart::isActive())
        return openReplay();

    // Every way to the Controller, with its password and identity rules, is the
    // connector's; it gives a channel that holds full access, or nothing.
    ControllerConnector connector(m_session.prefs, options, m_session.boxes.get(), nullptr);
    ControllerConnector::Connection connection = connector.run();
    if (!connection.channel)
        return false;
    m_session.channel = std::move(connection.channel);
    m_session.boxes->setChannel(m_session.channel.get());
    if (m_session.prefs.recorderMinutes > 0) {
        m_session.recorder = std::make_unique<FlightRecorder>();
        m_session.recorder->setWindowMinutes(m_session.prefs.recorderMinutes);
        m_session.channel->setTap(m_session.recorder.get());
    }
    m_session.dataPort = connection.dataPort;
    m_session.address = connection.address;
    initialiseController();
    if (connection.throughDialog)
        CommandFile::run(m_session.channel.get(), QCoreApplication::applicationDirPath(), m_session.boxes.get());

    m_session.channel->setReplyTimeout(m_session.prefs.externalCommandTimeoutUs);
    m_session.versions = BackendVersionReader::read(*m_session.channel);
    readControllerIdentity();
    if (m_session.recorder) {
        const ControllerVersion &v = m_session.versions.system;
        m_session.recorder->setIdentity(m_session.prefs.lastHostName, m_session.prefs.lastSerial,
                                        QStringLiteral("v%1.%2.%3").arg(v.major).arg(v.minor).arg(v.patch));
    }
    return true;
}

// The window on a recording instead of a Controller: no network at all, and
// nothing of the replayed Controller kept as the last one.
bool StartupController::openReplay()
{
    m_session.channel = ReplayStart::takeChannel(m_session.boxes.get());
    m_session.boxes->setChannel(m_session.channel.get());
    m_session.address = QStringLiteral("127.0.0.1");
    m_logsDir = ReplayStart::logsDir();
    initialiseController();
    m_session.channel->setReplyTimeout(m_session.prefs.externalCommandTimeoutUs);
    m_session.versions = BackendVersionReader::read(*m_session.channel);
    return true;
}

void StartupController::readPreferences()
{
    Preferences::adoptOlderSettings();
    Preferences &prefs = m_session.prefs;
    const QString warning = prefs.read();
    // Every box from here on, the early ones included, shows in the user's theme.
    if (prefs.darkTheme)
        Theme::applyDark(qApp);
    if (!warning.isEmpty())
        QMessageBox::warning(nullptr, Preferences::readWarningTitle(), warning, QMessageBox::Ok);
}

void StartupController::writePreferences()
{
    const QString warning = m_session.prefs.write();
    if (!warning.isEmpty())
        QMessageBox::warning(nullptr, Preferences::writeWarningTitle(), warning, QMessageBox::Ok);
}

// The event display and the status bar come between the init and the data
// routing: they are the first to read from the initialised Controller.
void StartupController::initialiseController()
{
    IOManagerUdpTcp *channel = m_session.channel.get();
    char reply[IOManager::BufferSize];
    channel->prepareNextCommand(false, 10000, false);
    channel->sendCommand(reply, "quorix2 init");

    char host[IOManager::BufferSize] = "";
    channel->getString(host, "system hostname");
    if (m_logsDir.isEmpty())
        m_logsDir = Preferences::logsDir();
    m_session.eventDisplay = std::make_unique<EventDisplay>(channel, m_logsDir, QString::fromLatin1(host));
    channel->addMessageReceiver(Standard, m_session.eventDisplay.get());
    m_session.statusBar = std::make_unique<AppStatusBar>(channel);

    channel->setParameter("output net %s udp my_ip %hu", "chmon", m_session.dataPort);
    channel->sendCommand(reply, "quorix2 get output net %s", "chmon");
    channel->setParameter("output active %s ts yes", "chmon");
    channel->setParameter("output active %s 3d yes", "chmon");
    channel->setParameter("output active %s 6d yes", "chmon");
    channel->setParameter("output active %s 2dmon yes", "chmon");
    m_session.statusBar->showMessage(tr("Initialization complete."), 2000);
}

void StartupController::readControllerIdentity()
{
    if (!m_session.versions.protocol.isAtLeast(1, 1))
        return;
    Preferences &prefs = m_session.prefs;
    struct Query {
        const char *parameter;
        QString *value;
        const char *error;
    } queries[] = {
        {"system ethernet_mac", &prefs.lastMac, QT_TR_NOOP("Error: Unable to get MAC address of controller")},
        {"system controller_serial", &prefs.lastSerial, QT_TR_NOOP("Error: Unable to get system serial")},
        {"system model", &prefs.lastModel, QT_TR_NOOP("Error: Unable to get system model")},
    };
    for (const Query &q : queries) {
        char value[IOManager::BufferSize] = "";
        if (m_session.channel->getString(value, "%s", q.parameter) == 0) {
            *q.value = QString::fromLatin1(value);
        } else {
            q.value->clear();
            m_session.channel->sendMessage(Standard, Sender, 1, tr(q.error).toLatin1().constData());
        }
    }
    // Kept at once: a Reconnect or a crash must not fall back to another Controller's identity.
    writePreferences();
}

// What may ask the user comes once the window stands, in the start-up's order.
void StartupController::finish(MainWindow *window, const CommandLine::Options &options)
{
    window->checkForOldFrontend();
    window->notify_body_admin();
    if (options.measureAfterStart)
        window->measurement()->startAfterLaunch();
    window->updateInertialToolBar();
}
