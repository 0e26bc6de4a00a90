// quorix4-report end to end: the program against the controller-sim program.
#include "ExportConfiguration.h"
#include "ReportCommandLine.h"
#include "ReportFile.h"
#include "TestHome.h"

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QtTest>

#include <memory>

namespace {

const QString kSim = QStringLiteral("127.0.16.20");

QString program(const char *name)
{
    return qEnvironmentVariable("QUORIX_APP_DIR") + QLatin1Char('/') + QLatin1String(name);
}

} // namespace

class ReportProgramTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void writesTheReportAndSaysWhere();
    void daysWritesTheBundleWithThatControllersLogs();
    void failsClearlyWhenTheControllerDoesNotAnswer();
    void unwritableTargetAndBrokenConnectionFail();
    void refusesABadCommandLine();
    void updateDateFromPreferences_data();
    void updateDateFromPreferences();

private:
    void startSim(const QStringList &options = {});
    struct Run
    {
        int exitCode = -1;
        QString out;
        QString err;
    };
    Run report(const QStringList &arguments);

    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<QProcess> m_sim;
    QString m_simLog;
};

void ReportProgramTest::init()
{
    if (!QFile::exists(program("quorix4-report")) || !QFile::exists(program("controller-sim")))
        QSKIP("the programs are not built next to each other (QUORIX_APP_DIR)");
    m_home = std::make_unique<TestHome>();
    m_simLog = m_home->path() + QStringLiteral("/sim.log");
}

void ReportProgramTest::cleanup()
{
    if (m_sim) {
        m_sim->terminate();
        m_sim->waitForFinished(5000);
        m_sim.reset();
    }
    m_home.reset();
}

void ReportProgramTest::startSim(const QStringList &options)
{
    m_sim = std::make_unique<QProcess>();
    m_sim->setProcessChannelMode(QProcess::MergedChannels);
    m_sim->start(program("controller-sim"),
                 QStringList{QStringLiteral("--bind"), kSim, QStringLiteral("--log"), m_simLog,
                             QStringLiteral("--hostname"), QStringLiteral("hall-b-2")} + options);
    QVERIFY(m_sim->waitForStarted());
    QByteArray out;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 10000 && !out.contains("listening")) {
        if (!m_sim->waitForReadyRead(200) && m_sim->state() != QProcess::Running)
            break;
        out += m_sim->readAll();
    }
    QVERIFY2(out.contains("listening"), out.constData());
}

ReportProgramTest::Run ReportProgramTest::report(const QStringList &arguments)
{
    QProcess p;
    p.setWorkingDirectory(m_home->path());
    p.start(program("quorix4-report"), arguments);
    Run r;
    if (!p.waitForFinished(60000))
        return r;
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    return r;
}

void ReportProgramTest::writesTheReportAndSaysWhere()
{
    startSim();
    // This user's front end was last updated then.
    const QString config = m_home->path() + QStringLiteral("/.ZEL/QUORIX4/v4.0.1/config");
    QVERIFY(QDir().mkpath(config));
    QFile prefs(config + QStringLiteral("/current-preferences.xml"));
    QVERIFY(prefs.open(QIODevice::WriteOnly));
    prefs.write("<?xml version=\"1.0\"?>\n<PREFERENCES>\n <LAST_FRONTEND_UPDATE UPDATE_DATE=\"2026-01-02T03:04:05\"/>\n</PREFERENCES>\n");
    prefs.close();
    const QString path = m_home->path() + QStringLiteral("/hall.txt");
    const Run r = report({QStringLiteral("-host"), kSim, QStringLiteral("-o"), path});
    QCOMPARE(r.exitCode, 0);
    QVERIFY2(r.out.contains(path), qPrintable(r.out));
    const ReportFile f(path);
    QCOMPARE(f.lines().value(0), QStringLiteral("Export Controller configuration"));
    QCOMPARE(f.section(QStringLiteral("System overview")).value(0), QStringLiteral("Controller      : hall-b-2, S/N 10234, v3.4.2"));
    QCOMPARE(f.sectionNames().size(), 24);
    QVERIFY(!f.contains(QStringLiteral("Version of Controller is too old.")));
    // The front end's values where they can be known without its window, and
    // plainly said where not.
    const QStringList version = f.section(QStringLiteral("Version info"));
    QVERIFY(version.contains(QStringLiteral("Date of Frontend update : 2026-01-02T03:04:05")));
    const QString installed = version.filter(QStringLiteral("Installation path")).value(0);
    if (QFile::exists(program("quorix4")))
        QCOMPARE(installed, QStringLiteral("Installation path       : ") + QFileInfo(program("quorix4")).absoluteFilePath());
    else
        QVERIFY2(installed.contains(QStringLiteral("unknown (no quorix4 in")), qPrintable(installed));
    const QStringList modules = f.section(QStringLiteral("Frontend modules (loaded)"));
    QVERIFY2(modules.value(1).startsWith(QStringLiteral("Not known: quorix4-report loads no modules")), qPrintable(modules.join('|')));
    QVERIFY(modules.value(2).startsWith(QStringLiteral("Installed plug-ins: ")));
    if (QFile::exists(program("plugins/libholoview.so")))
        QVERIFY(modules.value(2).contains(QStringLiteral("libholoview.so")));

    // Without -o the file lands in the current directory under a dated name.
    const Run second = report({QStringLiteral("-host"), kSim});
    QCOMPARE(second.exitCode, 0);
    const QString dated = QStringLiteral("QUORIX4_Configuration-%1.txt").arg(QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")));
    QVERIFY(QFile::exists(m_home->path() + QLatin1Char('/') + dated));

    // Reading needs no full access: nothing the report sends changes the Controller.
    QFile log(m_simLog);
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QString commands = QString::fromLatin1(log.readAll());
    QVERIFY(!commands.contains(QStringLiteral("quorix2 set ")));
    QVERIFY(!commands.contains(QStringLiteral("quorix2 init")));
}

void ReportProgramTest::daysWritesTheBundleWithThatControllersLogs()
{
    startSim();
    const QString logs = m_home->path() + QStringLiteral("/.ZEL/QUORIX4/v4.0.1/logs");
    QVERIFY(QDir().mkpath(logs));
    auto write = [&](int age, const QString &host, const QByteArray &text) {
        QFile f(logs + QStringLiteral("/events-%1_%2.log").arg(QDate::currentDate().addDays(-age).toString(QStringLiteral("yyyy-MM-dd")), host));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(text);
    };
    write(0, QStringLiteral("hall-b-2"), "today's event\n");
    write(3, QStringLiteral("hall-b-2"), "older event\n");
    write(0, QStringLiteral("hall-b"), "another Controller\n");

    const QString path = m_home->path() + QStringLiteral("/bundle.txt");
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), m_home->path());
    p.setProcessEnvironment(env);
    p.start(program("quorix4-report"), {QStringLiteral("-host"), kSim, QStringLiteral("-o"), path, QStringLiteral("-days"), QStringLiteral("2")});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 0);
    QVERIFY(QString::fromLocal8Bit(p.readAllStandardOutput()).contains(QStringLiteral("1 event log")));
    const ReportFile f(path);
    QCOMPARE(f.lines().value(0), ExportConfiguration::markerLine(QStringLiteral("<BOF> v4.0.1 <BOF>")));
    QVERIFY(f.contains(QStringLiteral("today's event")));
    QVERIFY(!f.contains(QStringLiteral("older event")));
    QVERIFY(!f.contains(QStringLiteral("another Controller")));
}

void ReportProgramTest::failsClearlyWhenTheControllerDoesNotAnswer()
{
    // Nobody listens there.
    const Run none = report({QStringLiteral("-host"), QStringLiteral("127.0.16.21")});
    QVERIFY(none.exitCode > 0);
    QVERIFY2(none.err.contains(QStringLiteral("cannot connect to the Controller at 127.0.16.21")), qPrintable(none.err));

    // A Controller that takes the connection but answers nothing.
    startSim({QStringLiteral("--fault-no-reply"), QStringLiteral("get")});
    const QString path = m_home->path() + QStringLiteral("/silent.txt");
    const Run silent = report({QStringLiteral("-host"), kSim, QStringLiteral("-o"), path});
    QVERIFY(silent.exitCode > 0);
    QVERIFY2(silent.err.contains(QStringLiteral("does not answer")), qPrintable(silent.err));
    QVERIFY(!QFile::exists(path));
}

void ReportProgramTest::unwritableTargetAndBrokenConnectionFail()
{
    // The Controller drops the connection in the middle of the report.
    startSim({QStringLiteral("--fault-drop-after"), QStringLiteral("300")});
    const QString unwritable = m_home->path() + QStringLiteral("/no-such-dir/report.txt");
    const Run denied = report({QStringLiteral("-host"), kSim, QStringLiteral("-o"), unwritable});
    QCOMPARE(denied.exitCode, 4);
    QCOMPARE(denied.err, QStringLiteral("quorix4-report: cannot write %1: the folder %2 does not exist\n")
                             .arg(unwritable, m_home->path() + QStringLiteral("/no-such-dir")));
    QVERIFY(!QFile::exists(unwritable));
    QVERIFY2(!denied.err.contains(QStringLiteral("choose")), qPrintable(denied.err));

    const QString path = m_home->path() + QStringLiteral("/broken.txt");
    const Run broken = report({QStringLiteral("-host"), kSim, QStringLiteral("-o"), path});
    QCOMPARE(broken.exitCode, 5);
    QVERIFY2(broken.err.contains(QStringLiteral("incomplete")), qPrintable(broken.err));
    // What was asked after the break is in the file as error lines, the structure complete.
    const ReportFile f(path);
    QCOMPARE(f.sectionNames().size(), 24);
    QVERIFY(f.contains(QStringLiteral("Error -222")));
}

void ReportProgramTest::refusesABadCommandLine()
{
    const Run missing = report({});
    QCOMPARE(missing.exitCode, 2);
    QVERIFY(missing.err.contains(QStringLiteral("-host is required")));
    QVERIFY(report({QStringLiteral("-host"), kSim, QStringLiteral("-days"), QStringLiteral("0")}).err.contains(QStringLiteral("-days")));
    QCOMPARE(report({QStringLiteral("-help")}).exitCode, 0);

    QCOMPARE(ReportCommandLine::parse({QStringLiteral("-host")}).error, QStringLiteral("-host needs a value"));
    QCOMPARE(ReportCommandLine::parse({QStringLiteral("-x")}).error, QStringLiteral("unknown option '-x'"));
    const ReportCommandLine ok = ReportCommandLine::parse({QStringLiteral("-days"), QStringLiteral("7"), QStringLiteral("-host"),
                                                           QStringLiteral("bqc-1"), QStringLiteral("-o"), QStringLiteral("a.txt")});
    QVERIFY(ok.error.isEmpty());
    QCOMPARE(ok.days, 7);
    QCOMPARE(ok.host, QStringLiteral("bqc-1"));
    QCOMPARE(ok.output, QStringLiteral("a.txt"));
}

void ReportProgramTest::updateDateFromPreferences_data()
{
    QTest::addColumn<QByteArray>("preferences");
    QTest::addColumn<QString>("date");
    QTest::newRow("written by the front end")
        << QByteArray("<A><B x=\"1\"/><LAST_FRONTEND_UPDATE UPDATE_DATE=\"2026-02-03T04:05:06\"/></A>") << "2026-02-03T04:05:06";
    QTest::newRow("no file") << QByteArray() << QString();
    QTest::newRow("no date") << QByteArray("<A><LAST_FRONTEND_UPDATE/></A>") << QString();
    QTest::newRow("not a date") << QByteArray("<A><LAST_FRONTEND_UPDATE UPDATE_DATE=\"soon\"/></A>") << QString();
    QTest::newRow("broken before it") << QByteArray("<A><B></A><LAST_FRONTEND_UPDATE UPDATE_DATE=\"2026-02-03T04:05:06\"/>")
                                      << QString();
}

void ReportProgramTest::updateDateFromPreferences()
{
    QFETCH(QByteArray, preferences);
    QFETCH(QString, date);
    QCOMPARE(ReportCommandLine::frontendUpdateDate(preferences).toString(QStringLiteral("yyyy-MM-ddThh:mm:ss")), date);
}

QTEST_MAIN(ReportProgramTest)
#include "tst_ReportProgram.moc"
