// Start-up against the Controller simulator: the real program for the normal
// run, and this test's own executable as a child process for the paths that end
// the process (a window that cannot connect exits with status 0 after a box).
#include "ControllerSimulator.h"
#include "MainWindow.h"
#include "StartupController.h"
#include "Theme.h"
#include "ModalWatcher.h"
#include "ControllerConnector.h"
#include "IpDialog.h"
#include "Preferences.h"
#include "TestHome.h"
#include "TestNetwork.h"
#include "TrackboxSelection.h"

#include <QApplication>
#include <QDir>
#include <QMainWindow>
#include <QMessageBox>
#include <QScreen>
#include <QNetworkInterface>
#include <QProcess>
#include <QtTest>

#include <csignal>
#include <cstdio>

namespace {

const quint16 Port = 50105;

QString programPath()
{
    return qEnvironmentVariable("QUORIX_APP_DIR", QCoreApplication::applicationDirPath() + "/../bin") + "/quorix4";
}

struct ChildResult {
    int exitCode = -1;
    QStringList boxes;     // "title|text" of every box the window showed
    bool windowBuilt = false;
    QStringList looks;     // "title|dark|distance from the screen's centre" of every message box
};

// Runs a main window with the given command line in a child process.
ChildResult runChild(const QString &home, const QString &commandLine, int timeoutMs = 60000)
{
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home);
    env.insert("QT_QPA_PLATFORM", "offscreen");
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {"--child", commandLine});
    ChildResult result;
    if (!child.waitForFinished(timeoutMs)) {
        child.kill();
        child.waitForFinished();
        return result;
    }
    result.exitCode = child.exitCode();
    for (const QString &line : QString::fromUtf8(child.readAllStandardOutput()).split('\n')) {
        // The child runs from the test directory, which has no default preferences.
        if (line.startsWith("BOX|") && !line.startsWith("BOX|Error loading preferences|"))
            result.boxes << line.mid(4).replace("\\n", "\n");
        else if (line.startsWith("LOOK|"))
            result.looks << line.mid(5);
        else if (line == "WINDOW")
            result.windowBuilt = true;
    }
    return result;
}

int childMain(int argc, char **argv)
{
    QApplication app(argc, argv);
    ModalWatcher watcher;
    QObject::connect(&watcher, &ModalWatcher::handled, [&watcher](const QString &) {
        const auto seen = watcher.seen().last();
        QString line = "BOX|" + seen.title + "|" + seen.text;
        std::printf("%s\n", qPrintable(line.replace("\n", "\\n")));
        // How it looks: in the user's (dark) theme, and how far from the screen's centre.
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            const QPoint off = box->frameGeometry().center() - QGuiApplication::primaryScreen()->availableGeometry().center();
            std::printf("LOOK|%s|%d|%d\n", qPrintable(seen.title), Theme::isDark(box) ? 1 : 0, off.manhattanLength());
        }
        std::fflush(stdout);
    });
    // The user leaves at the connect dialog (it opens only where a silent
    // path found something it must not decide alone).
    watcher.answer("Connect Controller", ModalWatcher::Answer::reject());
    // The user gives up waiting for a woken Controller.
    if (QString::fromLocal8Bit(argv[2]).contains("-wakeup"))
        watcher.answer("QUORIX4", ModalWatcher::Answer::press("Cancel"));
    const std::unique_ptr<MainWindow> window = StartupController(QString::fromLocal8Bit(argv[2])).openWindow();
    if (!window)
        return 0;
    std::printf("WINDOW\n");
    std::fflush(stdout);
    return 0;
}

QStringList tcpCommands(const ControllerSimulator &sim)
{
    QStringList commands;
    for (const auto &e : sim.commandLog())
        if (e.transport == "tcp")
            commands << e.text;
    return commands;
}

int commandCount(const ControllerSimulator &sim)
{
    return sim.commandLog().size();
}

SimScenario namedController(const QString &name, const QString &serial, const QString &mac, int model)
{
    SimScenario scenario;
    scenario.hostName = name;
    scenario.serial = serial;
    scenario.mac = mac;
    scenario.modelCode = model;
    return scenario;
}

// The program itself, against the simulators, until the data routing is done.
struct Program
{
    QProcess process;
    // `display`: an X display to show the window on instead of offscreen.
    explicit Program(const QString &home, const QStringList &arguments, const QString &display = QString())
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", home);
        // As a user starts it: a sanitizer build ends clean without the suite's suppressions.
        env.remove("LSAN_OPTIONS");
        if (display.isEmpty()) {
            env.insert("QT_QPA_PLATFORM", "offscreen");
        } else {
            env.remove("QT_QPA_PLATFORM");
            env.insert("DISPLAY", display);
        }
        process.setProcessEnvironment(env);
        process.start(programPath(), arguments);
    }
    ~Program()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished();
        }
    }
};

} // namespace

class tst_Startup : public QObject
{
    Q_OBJECT

private slots:
    void programConnectsAndInitialises();
    void repliesInTwoPartsStillConnect_data();
    void repliesInTwoPartsStillConnect();
    void noControllerEndsWithBox();
    void cancelledWakeReturnsToConnectDialog();
    void accessNoneEndsWithBox_data();
    void accessNoneEndsWithBox();
    void passwordIsAsked_data();
    void passwordIsAsked();
    void reconnectAndDirectStartReachTheControllerConnected();
    void directStartLeavesAnotherControllerToTheUser();
    void hostReachesOnlyTheControllerNamed_data();
    void hostReachesOnlyTheControllerNamed();
    void terminationClosesThroughTheNormalPath_data();
    void terminationClosesThroughTheNormalPath();
    void lostDisplayKeepsSettingsAndEndsWithSuccess();
    void terminationBeforeTheWindowEndsWithSuccess();
    void connectDialogKeepsItsSplashAfterReconnect();
};

void tst_Startup::programConnectsAndInitialises()
{
    TestHome home;
    ControllerSimulator sim;
    QVERIFY(sim.start("127.0.4.1", Port));

    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home.path());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    program.setProcessEnvironment(env);
    program.start(programPath(), {"-host", "127.0.4.1"});
    QVERIFY2(program.waitForStarted(), qPrintable(programPath()));
    QVERIFY(sim.waitForCommand("quorix2 set output active chmon 2dmon yes", 30000));
    program.kill();
    program.waitForFinished();

    const QList<SimCommandLog::Entry> log = sim.commandLog();
    int firstTcp = -1;
    for (int i = 0; i < log.size() && firstTcp < 0; ++i)
        if (log[i].transport == "tcp")
            firstTcp = i;
    QVERIFY(firstTcp > 0);
    for (int i = 0; i < firstTcp; ++i)
        QCOMPARE(log[i].transport, QString("udp"));   // the checks come first, over UDP
    QVERIFY(log[0].text == "quorix2 get system hostname");

    const QStringList tcp = tcpCommands(sim);
    QVERIFY(tcp.size() >= 8);
    QCOMPARE(tcp[0], QString("quorix2 get system access"));
    QCOMPARE(tcp[1], QString("quorix2 init"));
    // Between init and the data routing: the event display's first poll and the status bar's configuration line.
    int route = 2;
    while (route < tcp.size() && !tcp[route].startsWith("quorix2 set output net"))
        ++route;
    QCOMPARE(tcp.mid(2, route - 2), (QStringList{"quorix2 get system hostname", "quorix2 getmsg",
                                                 "quorix2 get system hostname", "quorix2 get config desc"}));
    QVERIFY2(route + 5 < tcp.size(), qPrintable(tcp.join('\n')));
    QVERIFY2(tcp[route].startsWith("quorix2 set output net chmon udp my_ip "), qPrintable(tcp[route]));
    const int dataPort = tcp[route].section(' ', -1).toInt();
    QVERIFY(dataPort > 0 && dataPort < 65536);
    QCOMPARE(tcp[route + 1], QString("quorix2 get output net chmon"));
    QCOMPARE(tcp.mid(route + 2, 4), (QStringList{"quorix2 set output active chmon ts yes", "quorix2 set output active chmon 3d yes",
                                                "quorix2 set output active chmon 6d yes", "quorix2 set output active chmon 2dmon yes"}));
}

void tst_Startup::repliesInTwoPartsStillConnect_data()
{
    QTest::addColumn<int>("gapMs");
    QTest::addColumn<QString>("address");
    QTest::newRow("8 ms (Nagle)") << 8 << "127.0.4.21";
    QTest::newRow("20 ms") << 20 << "127.0.4.22";
}

// A Controller whose every reply arrives in two TCP segments with a pause
// between them: the program connects with full access, reads the versions
// (which gate the title query) and stays.
void tst_Startup::repliesInTwoPartsStillConnect()
{
    QFETCH(int, gapMs);
    QFETCH(QString, address);
    TestHome home;
    ControllerSimulator sim;
    SimFaults faults;
    faults.splitReplyMs = gapMs;
    sim.setFaults(faults);
    QVERIFY(sim.start(address, Port));
    Program program(home.path(), {"-host", address});
    QVERIFY2(program.process.waitForStarted(), qPrintable(programPath()));
    QVERIFY(sim.waitForCommand("quorix2 set output active chmon 2dmon yes", 30000));
    QVERIFY(sim.waitForCommand("quorix2 get system full_name", 30000));
    // Still polling: the connection was never taken for lost.
    sim.clearCommandLog();
    QTRY_VERIFY2_WITH_TIMEOUT(tcpCommands(sim).count("quorix2 get status active") >= 3,
                              qPrintable(tcpCommands(sim).join('\n')), 30000);
    QCOMPARE(program.process.state(), QProcess::Running);
}

void tst_Startup::noControllerEndsWithBox()
{
    TestHome home;
    const ChildResult r = runChild(home.path(), "-host 127.0.4.2");
    QCOMPARE(r.exitCode, 0);
    QVERIFY(!r.windowBuilt);
    QCOMPARE(r.boxes, QStringList{"Error|No connection to Controller 127.0.4.2"});
    // Before any window can be seen: in the middle of the screen, in the dark
    // theme the preferences ask for.
    QCOMPARE(r.looks.size(), 2);
    for (const QString &look : r.looks) {
        const QStringList parts = look.split('|');
        QVERIFY2(parts.value(1) == "1" && parts.value(2).toInt() <= 2, qPrintable(look));
    }
}

// Cancel ends the waiting, not the program: the connect dialog is back for
// the same Controller, and no "No connection" box comes first.
void tst_Startup::cancelledWakeReturnsToConnectDialog()
{
    if (!qEnvironmentVariable("QUORIX_NO_NETNS").isEmpty()
        || QNetworkInterface::allInterfaces().size() != 1)
        QUORIX_SKIP_NETWORK(QStringLiteral("waking sends a broadcast: only inside a private network namespace"));
    TestHome home;
    const ChildResult r = runChild(home.path(), "-host 127.0.4.9 -wakeup 00:1B:3F:00:27:9A");
    QCOMPARE(r.exitCode, 0);
    QVERIFY(!r.windowBuilt);
    QCOMPARE(r.boxes, (QStringList{"QUORIX4|", "Connect Controller|"}));
}

void tst_Startup::accessNoneEndsWithBox_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("options");
    QTest::newRow("-host") << "127.0.4.3" << "";
    // A running Controller held elsewhere is not woken, nor asked again.
    QTest::newRow("-host -wakeup") << "127.0.4.103" << " -wakeup 00:1B:3F:00:27:9A";
}

void tst_Startup::accessNoneEndsWithBox()
{
    QFETCH(QString, host);
    QFETCH(QString, options);
    TestHome home;
    SimScenario scenario;
    scenario.fullAccess = false;
    scenario.accessedBy = "ip 127.0.0.77";
    ControllerSimulator sim(scenario);
    QVERIFY(sim.start(host, Port));
    const ChildResult r = runChild(home.path(), "-host " + host + options);
    QCOMPARE(r.exitCode, 0);
    QVERIFY(!r.windowBuilt);
    QCOMPARE(r.boxes, QStringList{"Error|Unable to connect Controller quorixsim\nController is accessed by 127.0.0.77\n\n"
                                  + TrackboxSelection::heldAdvice("127.0.0.77")});
    for (const auto &e : sim.commandLog())
        QCOMPARE(e.transport, QString("udp"));   // no command channel was opened
}

// Every way to a protected Controller asks for its password before the
// command channel opens; waking it once skipped the question.
void tst_Startup::passwordIsAsked_data()
{
    QTest::addColumn<QString>("options");
    QTest::addColumn<QString>("protocol");
    QTest::newRow("-host") << "" << "v1.27.0";
    QTest::newRow("-host -wakeup") << " -wakeup 00:1B:3F:00:27:9A" << "v1.27.0";
    QTest::newRow("protocol v1.30-beta") << "" << "v1.30-beta";
    QTest::newRow("protocol v1.30rc2") << "" << "v1.30rc2";
}

void tst_Startup::passwordIsAsked()
{
    QFETCH(QString, options);
    QFETCH(QString, protocol);
    static int address = 4;
    TestHome home;
    SimScenario scenario;
    scenario.password = "s3cret";
    scenario.protocolVersion = protocol;
    ControllerSimulator sim(scenario);
    const QString host = QString("127.0.4.%1").arg(address++);
    QVERIFY(sim.start(host, Port));
    // The watcher accepts the password dialog with an empty field: the warning
    // box, then the dialog stays... so cancel is what ends it. The default answer
    // accepts boxes; the password dialog's Cancel is its reject.
    const ChildResult r = runChild(home.path(), "-host " + host + options);
    QCOMPARE(r.exitCode, 0);
    QVERIFY(!r.windowBuilt);
    QVERIFY2(!r.boxes.isEmpty() && r.boxes.first().startsWith("Access Control|"), qPrintable(r.boxes.join(";")));
    QVERIFY(tcpCommands(sim).isEmpty());
}

void tst_Startup::reconnectAndDirectStartReachTheControllerConnected()
{
    TestHome home;
    ControllerSimulator a(namedController("sim-a", "4711", "00:1B:3F:00:00:0A", 2));
    ControllerSimulator b(namedController("sim-b", "4712", "00:1B:3F:00:00:0B", 0));
    QVERIFY(a.start("127.0.4.11", Port));
    QVERIFY(b.start("127.0.4.12", Port));

    // An older session remembered the other Controller.
    Preferences old;
    old.lastHostName = "sim-b";
    old.lastIp = "127.0.4.12";
    old.lastMac = "00:1B:3F:00:00:0B";
    QVERIFY(old.write().isEmpty());

    ChildResult r = runChild(home.path(), "-host 127.0.4.11");
    QVERIFY2(r.windowBuilt, qPrintable(r.boxes.join(';')));
    Preferences stored;
    QVERIFY(stored.read().isEmpty());
    QCOMPARE(stored.lastIp, QString("127.0.4.11"));
    QCOMPARE(stored.lastHostName, QString("sim-a"));
    QCOMPARE(stored.lastMac, QString("00:1B:3F:00:00:0A"));
    QCOMPARE(stored.lastSerial, QString("4711"));
    QCOMPARE(stored.lastModel, QString("2"));

    // Reconnect builds the connect dialog from the preferences: it must find
    // the Controller connected, and only that one.
    const int bBefore = commandCount(b);
    {
        std::unique_ptr<IpDialog> dialog(ControllerConnector::createConnectDialog(stored, nullptr));
        QCOMPARE(dialog->try_connect(), 0);
        QCOMPARE(dialog->trackboxAddress(), QString("127.0.4.11"));
        QCOMPARE(dialog->trackbox(), QString("sim-a"));
    }

    const int aTcpBefore = tcpCommands(a).size();
    r = runChild(home.path(), "-directstart");
    QVERIFY2(r.windowBuilt, qPrintable(r.boxes.join(';')));
    QVERIFY(tcpCommands(a).size() > aTcpBefore);
    QCOMPARE(commandCount(b), bBefore);
}

void tst_Startup::directStartLeavesAnotherControllerToTheUser()
{
    TestHome home;
    ControllerSimulator other(namedController("sim-z", "999", "00:1B:3F:00:00:0F", 0));
    QVERIFY(other.start("127.0.4.17", Port));
    Preferences prefs;
    prefs.lastHostName = "sim-a";
    prefs.lastIp = "127.0.4.17";   // where sim-a was; another Controller answers there now
    QVERIFY(prefs.write().isEmpty());

    const ChildResult r = runChild(home.path(), "-directstart");
    QCOMPARE(r.exitCode, 0);
    QVERIFY(!r.windowBuilt);
    QVERIFY(r.boxes.contains("Connect Controller|"));
    QVERIFY(tcpCommands(other).isEmpty());
}

void tst_Startup::hostReachesOnlyTheControllerNamed_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("box");
    QTest::newRow("silent address") << "127.0.4.19" << "Error|No connection to Controller 127.0.4.19";
    QTest::newRow("unknown name") << "nosuchhost.invalid"
                                  << "Error|No connection to Controller nosuchhost.invalid:\nthe name cannot be resolved";
}

void tst_Startup::hostReachesOnlyTheControllerNamed()
{
    QFETCH(QString, host);
    QFETCH(QString, box);
    TestHome home;
    ControllerSimulator remembered;
    QVERIFY(remembered.start("127.0.4.14", Port));
    Preferences prefs;
    prefs.lastHostName = "quorixsim";
    prefs.lastIp = "127.0.4.14";
    prefs.lastMac = "00:1B:3F:00:27:9A";   // a MAC once made a silent Controller end the program without a word
    QVERIFY(prefs.write().isEmpty());

    const ChildResult r = runChild(home.path(), "-host " + host);
    QCOMPARE(r.exitCode, 0);
    QVERIFY(!r.windowBuilt);
    QCOMPARE(r.boxes, QStringList{box});
    QCOMPARE(commandCount(remembered), 0);
}

void tst_Startup::terminationClosesThroughTheNormalPath_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("stop request") << int(SIGTERM);
    QTest::newRow("session ends") << int(SIGHUP);
}

void tst_Startup::terminationClosesThroughTheNormalPath()
{
    QFETCH(int, signalNumber);
    TestHome home;
    ControllerSimulator sim;
    QVERIFY(sim.start("127.0.4.15", Port));
    Program program(home.path(), {"-host", "127.0.4.15", "-measure"});
    QVERIFY(sim.waitForCommand("quorix2 tracking start", 30000));
    QTRY_COMPARE_WITH_TIMEOUT(sim.activeState(), QString("mea"), 10000);
    // The 200 ms status poll runs only in the event loop: the window stands.
    sim.clearCommandLog();
    QTRY_VERIFY_WITH_TIMEOUT(tcpCommands(sim).count("quorix2 get status active") >= 3, 30000);
    const QString layout = QDir(Preferences::configDir()).filePath("quorix.layout");
    QVERIFY(!QFile::exists(layout));

    ::kill(pid_t(program.process.processId()), signalNumber);
    QVERIFY(program.process.waitForFinished(30000));
    QCOMPARE(program.process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.process.exitCode(), 0);
    QVERIFY(QFile::exists(layout));
    QVERIFY(QFile::exists(Preferences::currentFile()));
    QCOMPARE(sim.activeState(), QString("mea"));   // nobody could be asked: the measurement goes on
    QVERIFY(!tcpCommands(sim).contains("quorix2 tracking stop"));
}

// The X server ends under a measuring window (the session ended): the program
// ends with success within moments, with its preferences and layout kept.
void tst_Startup::lostDisplayKeepsSettingsAndEndsWithSuccess()
{
    TestHome home;
    ControllerSimulator sim;
    QVERIFY(sim.start("127.0.4.16", Port));
    QProcess server;
    server.start("Xvfb", {"-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "1280x800x24"});
    QVERIFY2(server.waitForReadyRead(10000), "Xvfb did not start");
    const QString display = ':' + QString::fromLatin1(server.readLine().trimmed());
    Program program(home.path(), {"-host", "127.0.4.16", "-measure"}, display);
    QVERIFY(sim.waitForCommand("quorix2 tracking start", 30000));
    sim.clearCommandLog();
    QTRY_VERIFY_WITH_TIMEOUT(tcpCommands(sim).count("quorix2 get status active") >= 3, 30000);
    QTest::qWait(1500);   // the window has handed over its settings at least once
    const QString layout = QDir(Preferences::configDir()).filePath("quorix.layout");
    QVERIFY(!QFile::exists(layout));

    server.kill();
    QVERIFY(server.waitForFinished(5000));
    QVERIFY(program.process.waitForFinished(5000));
    QCOMPARE(program.process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.process.exitCode(), 0);
    QVERIFY(QFile::exists(layout));
    QVERIFY(QFile::exists(Preferences::currentFile()));
    QCOMPARE(sim.activeState(), QString("mea"));
}

// Logging out while the connect dialog asks for a Controller that is not there.
void tst_Startup::terminationBeforeTheWindowEndsWithSuccess()
{
    TestHome home;
    Program program(home.path(), {"-host", "127.0.4.17"});
    QVERIFY(program.process.waitForStarted(10000));
    QTest::qWait(1500);
    QCOMPARE(program.process.state(), QProcess::Running);
    program.process.terminate();
    QVERIFY(program.process.waitForFinished(5000));
    QCOMPARE(program.process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.process.exitCode(), 0);
}

void tst_Startup::connectDialogKeepsItsSplashAfterReconnect()
{
    TestHome home;
    ModalWatcher watcher;
    ControllerSimulator sim;
    QVERIFY(sim.start("127.0.4.16", Port));
    {
        // The first window applies the theme to the whole application.
        const std::unique_ptr<MainWindow> first = StartupController("-host 127.0.4.16").openWindow();
        QVERIFY(first);
        first->show();
        QVERIFY(QTest::qWaitForWindowExposed(first.get()));
    }
    // What Reconnect builds next.
    QMainWindow parent;
    Preferences prefs;
    prefs.read();
    std::unique_ptr<IpDialog> dialog(ControllerConnector::createConnectDialog(prefs, &parent));
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    const QImage shot = dialog->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage splash = QImage(":/images/splash-dark.png").convertToFormat(QImage::Format_RGB32);
    QVERIFY(!splash.isNull());
    const QPoint corner(3, shot.height() - 3);
    QCOMPARE(shot.pixel(corner), splash.pixel(corner));
}

int main(int argc, char **argv)
{
    if (argc >= 3 && qstrcmp(argv[1], "--child") == 0)
        return childMain(argc, argv);
    QApplication app(argc, argv);
    Q_INIT_RESOURCE(quorix);
    tst_Startup test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_startup.moc"
