// Start-up against the Controller simulator: the real program for the normal
// run, and this test's own executable as a child process for the paths that end
// the process (a window that cannot connect exits with status 0 after a box).
#include "ControllerSimulator.h"
#include "MainWindow.h"
#include "ModalWatcher.h"
#include "TestHome.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QtTest>

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
        std::fflush(stdout);
    });
    MainWindow window(QString::fromLocal8Bit(argv[2]));
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

} // namespace

class tst_Startup : public QObject
{
    Q_OBJECT

private slots:
    void programConnectsAndInitialises();
    void noControllerEndsWithBox();
    void accessNoneEndsWithBox();
    void passwordIsAsked();
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

void tst_Startup::noControllerEndsWithBox()
{
    TestHome home;
    const ChildResult r = runChild(home.path(), "-host 127.0.4.2");
    QCOMPARE(r.exitCode, 0);
    QVERIFY(!r.windowBuilt);
    QCOMPARE(r.boxes, QStringList{"Error|No connection to Controller 127.0.4.2"});
}

void tst_Startup::accessNoneEndsWithBox()
{
    TestHome home;
    SimScenario scenario;
    scenario.fullAccess = false;
    scenario.accessedBy = "ip 127.0.0.77";
    ControllerSimulator sim(scenario);
    QVERIFY(sim.start("127.0.4.3", Port));
    const ChildResult r = runChild(home.path(), "-host 127.0.4.3");
    QCOMPARE(r.exitCode, 0);
    QVERIFY(!r.windowBuilt);
    QCOMPARE(r.boxes, QStringList{"Error|Unable to connect Controller quorixsim\nController is accessed by ip 127.0.0.77"});
    for (const auto &e : sim.commandLog())
        QCOMPARE(e.transport, QString("udp"));   // no command channel was opened
}

void tst_Startup::passwordIsAsked()
{
    TestHome home;
    SimScenario scenario;
    scenario.password = "s3cret";
    ControllerSimulator sim(scenario);
    QVERIFY(sim.start("127.0.4.4", Port));
    // The watcher accepts the password dialog with an empty field: the warning
    // box, then the dialog stays... so cancel is what ends it. The default answer
    // accepts boxes; the password dialog's Cancel is its reject.
    const ChildResult r = runChild(home.path(), "-host 127.0.4.4");
    QCOMPARE(r.exitCode, 0);
    QVERIFY(!r.windowBuilt);
    QVERIFY2(!r.boxes.isEmpty() && r.boxes.first().startsWith("Access Control|"), qPrintable(r.boxes.join(";")));
    QVERIFY(!tcpCommands(sim).contains("quorix2 get system access"));
}

int main(int argc, char **argv)
{
    if (argc >= 3 && qstrcmp(argv[1], "--child") == 0)
        return childMain(argc, argv);
    QApplication app(argc, argv);
    tst_Startup test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_startup.moc"
