// The program started from a terminal in ways that must end before any window:
// no reachable display, the help and version words.
#include <QCoreApplication>
#include <QProcess>
#include <QTcpServer>
#include <QtTest>

namespace {

QString programPath()
{
    return qEnvironmentVariable("QUORIX_APP_DIR", QCoreApplication::applicationDirPath() + "/../bin") + "/quorix4";
}

struct Run
{
    int exitCode = -1;
    QProcess::ExitStatus status = QProcess::CrashExit;
    QString out;
    QString err;
};

// `display`: the DISPLAY to give, "unset" for none. Qt picks X11 on its own.
// `preload`: a library to preload into the program.
Run run(const QStringList &arguments, const QString &display, const QString &preload = QString())
{
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_SESSION_TYPE"})
        env.remove(name);
    if (display != QLatin1String("unset"))
        env.insert("DISPLAY", display);
    if (!preload.isEmpty()) {
        env.insert("LD_PRELOAD", env.value("LD_PRELOAD").isEmpty() ? preload : env.value("LD_PRELOAD") + ':' + preload);
        // A sanitizer build wants its runtime first; the preloaded library comes before it.
        if (env.contains("ASAN_OPTIONS"))
            env.insert("ASAN_OPTIONS", env.value("ASAN_OPTIONS") + ":verify_asan_link_order=0");
    }
    program.setProcessEnvironment(env);
    program.start(programPath(), arguments);
    Run r;
    if (!program.waitForFinished(30000)) {
        program.kill();
        program.waitForFinished();
        return r;
    }
    r.exitCode = program.exitCode();
    r.status = program.exitStatus();
    r.out = QString::fromLocal8Bit(program.readAllStandardOutput());
    r.err = QString::fromLocal8Bit(program.readAllStandardError());
    return r;
}

// No X server listens on this one.
const QString StaleDisplay = QStringLiteral(":4093");
// One listens here and never answers (TCP port 6000 + 42).
const QString SilentDisplay = QStringLiteral("127.0.9.250:42");

} // namespace

class tst_Terminal : public QObject
{
    Q_OBJECT

private slots:
    void noDisplayEndsWithReason_data();
    void noDisplayEndsWithReason();
    void helpAndVersionNeedNoDisplay_data();
    void helpAndVersionNeedNoDisplay();
    void emptyHostEndsBeforeAnyWindow();
    void displayGoneBeforeQtEndsWithReason();
};

void tst_Terminal::noDisplayEndsWithReason_data()
{
    QTest::addColumn<QString>("display");
    QTest::addColumn<QString>("reason");
    QTest::newRow("unset") << "unset" << "cannot open display (DISPLAY is not set)";
    QTest::newRow("stale") << StaleDisplay << "cannot open display " + StaleDisplay;
    QTest::newRow("silent") << SilentDisplay << "cannot open display " + SilentDisplay;
}

void tst_Terminal::noDisplayEndsWithReason()
{
    QFETCH(QString, display);
    QFETCH(QString, reason);
    // A server that takes the connection and never says a word.
    QTcpServer silent;
    if (display == SilentDisplay)
        QVERIFY(silent.listen(QHostAddress("127.0.9.250"), 6042));
    const Run r = run({"-host", "127.0.9.1"}, display);
    QCOMPARE(r.status, QProcess::NormalExit);   // not Qt's abort
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.contains(reason), qPrintable(r.err));
    QVERIFY2(!r.err.contains("Reinstalling"), qPrintable(r.err));
}

void tst_Terminal::helpAndVersionNeedNoDisplay_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("display");
    QTest::addColumn<QString>("printed");
    const QString help = "-wakeup <MAC address>";
    QTest::newRow("-help unset") << "-help" << "unset" << help;
    QTest::newRow("-help stale") << "-help" << StaleDisplay << help;
    QTest::newRow("/? stale") << "/?" << StaleDisplay << help;
    QTest::newRow("--help stale") << "--help" << StaleDisplay << help;
    QTest::newRow("--version unset") << "--version" << "unset" << "QUORIX4 4.0.1\n";
    QTest::newRow("--version stale") << "--version" << StaleDisplay << "QUORIX4 4.0.1\n";
}

void tst_Terminal::helpAndVersionNeedNoDisplay()
{
    QFETCH(QString, word);
    QFETCH(QString, display);
    QFETCH(QString, printed);
    const Run r = run({word}, display);
    QCOMPARE(r.status, QProcess::NormalExit);
    QCOMPARE(r.exitCode, 0);
    QVERIFY2(r.out.contains(printed), qPrintable(r.out + r.err));
}

// Not the connect dialog on the remembered Controller: the user named none.
void tst_Terminal::emptyHostEndsBeforeAnyWindow()
{
    const Run r = run({"-host", ""}, StaleDisplay);
    QCOMPARE(r.status, QProcess::NormalExit);
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.contains("-host needs a host name or IPv4 address"), qPrintable(r.err));
    QVERIFY2(!r.err.contains("display"), qPrintable(r.err));
}

// The server answers the program's own check, then is gone when Qt connects.
void tst_Terminal::displayGoneBeforeQtEndsWithReason()
{
    const QString display = qEnvironmentVariable("DISPLAY");
    if (display.isEmpty())
        QSKIP("needs an X server (scripts/test provides one)");
    const Run r = run({"-host", "127.0.9.1"}, display, QStringLiteral(VANISHING_DISPLAY_LIB));
    QCOMPARE(r.status, QProcess::NormalExit);   // not Qt's abort
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.contains("cannot open display " + display), qPrintable(r.err));
    QVERIFY2(!r.err.contains("Reinstalling"), qPrintable(r.err));
}

QTEST_GUILESS_MAIN(tst_Terminal)
#include "tst_terminal.moc"
