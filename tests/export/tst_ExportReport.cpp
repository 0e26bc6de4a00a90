// The configuration report against the simulator at several protocol versions,
// against a Controller that refuses everything and a broken channel, and its
// file handling.
#include "BackendVersions.h"
#include "ControllerSimulator.h"
#include "ExportConfiguration.h"
#include "FakeChannel.h"
#include "IOManagerUdpTcp.h"
#include "MessageBoxProvider.h"
#include "ModalWatcher.h"
#include "ReportFile.h"
#include "ReportWriter.h"
#include "SystemInfoBundle.h"
#include "TestHome.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QtTest>

#include <memory>

namespace {

const QString kHost = QStringLiteral("127.0.16.2");
const QString kTooOld = QStringLiteral("Version of Controller is too old.");

class Boxes : public MessageBoxProvider
{
public:
    void openMessageBox(int, QString title, QString text) override { seen << title + QLatin1Char(':') + text; }
    QStringList seen;
};

// What a Controller says to every question it refuses.
const QByteArray kRefusal = "quorix2 err -2 \"unknown parameter\"";

BackendVersions versionsFor(const QString &protocol)
{
    BackendVersions v;
    v.system = ControllerVersion::parse(QStringLiteral("v3.4.2"));
    v.protocol = ControllerVersion::parse(protocol);
    return v;
}

bool hasErrorLine(const QStringList &lines)
{
    static const QRegularExpression error(QStringLiteral("Error -?\\d+"));
    for (const QString &l : lines)
        if (error.match(l).hasMatch())
            return true;
    return false;
}

} // namespace

class ExportReportTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void currentControllerGivesEverySectionWithoutErrors();
    void protocol07KeepsOnlyUngatedSections();
    void protocol16GatesCascadeInertialAndStandardBodies();
    void protocol112ChecksCustomCalibration();
    void refusedQueriesBecomeErrorLinesAndTheStructureStays();
    void linesAgreeWithEachOther();
    void brokenChannelGivesErrorLinesEverywhere();
    void removeExistingReplacesOrAppends();
    void unwritableTargetShowsTheBoxAndWritesNothing();
    void hugeCountsAreCappedAndSaidSo();
    void linkSwappedInDuringTheRunGetsNothing();
    void resultBoxNamesTheFile();
    void frontendModulesAreSortedAndAligned();
    void tablesAlignTheirCells();
    void markerLinesAreCentred();

private:
    QString runReport(const QString &protocol, const SimScenario &scenario = SimScenario(),
                      const SimFaults &faults = SimFaults());

    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<ControllerSimulator> m_sim;
    int m_commands = 0;
};

void ExportReportTest::init()
{
    m_home = std::make_unique<TestHome>();
}

void ExportReportTest::cleanup()
{
    m_sim.reset();
    m_home.reset();
}

QString ExportReportTest::runReport(const QString &protocol, const SimScenario &base, const SimFaults &faults)
{
    SimScenario scenario = base;
    scenario.protocolVersion = protocol;
    m_sim = std::make_unique<ControllerSimulator>(scenario);
    QString error;
    if (!m_sim->start(kHost, 50105, &error))
        qFatal("simulator: %s", qPrintable(error));
    m_sim->setFaults(faults);
    Boxes boxes;
    IOManagerUdpTcp channel(&boxes);
    unsigned short port = 0;
    if (channel.connectController(kHost.toLatin1().constData(), 50105, &port) != 0)
        qFatal("no connection to the simulator");
    const BackendVersions versions = versionsFor(protocol);
    ExportConfiguration report(&channel, nullptr, &versions);
    report.setFrontendVersion(QStringLiteral("v4.0.1  2026-02-02|holoview;1.2.0"));
    const QString path = m_home->path() + QStringLiteral("/report.txt");
    m_sim->clearCommandLog();
    report.exportReport(path, false, true);
    m_commands = report.commandsSent();
    // Refused parameters never raise a box: they are error lines in the report.
    if (!boxes.seen.isEmpty())
        qWarning("boxes: %s", qPrintable(boxes.seen.join(QLatin1Char('|'))));
    return path;
}

void ExportReportTest::currentControllerGivesEverySectionWithoutErrors()
{
    const ReportFile f(runReport(QStringLiteral("v1.27.0")));
    QVERIFY(f.exists());
    QCOMPARE(f.lines().value(0), QStringLiteral("Export Controller configuration"));
    QCOMPARE(f.lines().value(1), QString(40, QLatin1Char('=')));
    const QStringList expected = {
        QStringLiteral("System overview"), QStringLiteral("General info"), QStringLiteral("Version info"),
        QStringLiteral("Frontend modules (loaded)"), QStringLiteral("Backend modules (loaded)"),
        QStringLiteral("Controller settings"), QStringLiteral("Network informations"), QStringLiteral("Configuration"),
        QStringLiteral("Hardware info"), QStringLiteral("Cascaded System"), QStringLiteral("Camera settings"),
        QStringLiteral("Synccard settings"), QStringLiteral("ZEL radio info"), QStringLiteral("Tracking settings"),
        QStringLiteral("Body Administration"), QStringLiteral("Output settings"), QStringLiteral("Gripwand settings"),
        QStringLiteral("Measurement Tool settings"), QStringLiteral("Room calibration"), QStringLiteral("Room adjustments"),
        QStringLiteral("Body calibration"), QStringLiteral("Fingertracking settings"), QStringLiteral("Tactile settings"),
        QStringLiteral("Inertial settings")};
    QCOMPARE(f.sectionNames(), expected);
    QVERIFY2(!hasErrorLine(f.lines()), "the simulator answers every parameter the report asks");
    QVERIFY(!f.contains(kTooOld));

    const QStringList overview = f.section(QStringLiteral("System overview"));
    QCOMPARE(overview.value(0), QStringLiteral("Controller      : quorixsim, S/N 10234, v3.4.2"));
    QVERIFY(overview.value(1).startsWith(QStringLiteral("Network         : Fix IP using 127.0.16.2 / 255.255.255.0")));
    QVERIFY(overview.contains(QStringLiteral("Calibration     : normal mode; 2026-01-15T09:30:00")));
    const int cameras = overview.indexOf(QStringLiteral("Cameras:"));
    QVERIFY(cameras > 0);
    QVERIFY(overview.value(cameras + 3).startsWith(QStringLiteral("01 |   QuorixCam_5 | 105601 |      16.0 |      6 |")));
    QVERIFY(overview.value(cameras + 6).startsWith(QStringLiteral("04 |")));

    const QStringList version = f.section(QStringLiteral("Version info"));
    QVERIFY(version.contains(QStringLiteral("QUORIX4 Frontend        : v4.0.1  2026-02-02")));
    QVERIFY(version.contains(QStringLiteral("QUORIX4 Backend         : v3.4.2")));
    QVERIFY(version.contains(QStringLiteral("Date of Frontend update : unknown")));

    // One command per value, each waited for: what the report counts is what the Controller got.
    QVERIFY(m_commands > 500);
    QVERIFY(m_sim->waitForCommands(m_commands, 2000));
    QCOMPARE(m_sim->commandLog().size(), m_commands);
}

void ExportReportTest::protocol07KeepsOnlyUngatedSections()
{
    const ReportFile f(runReport(QStringLiteral("v0.7.0")));
    const QStringList version = f.section(QStringLiteral("Version info"));
    QVERIFY(version.contains(kTooOld));
    QVERIFY(version.value(1).startsWith(QStringLiteral("QUORIX4 Frontend")));
    QVERIFY(!f.contains(QStringLiteral("QUORIX4 Backend")));
    // The sync card's input frequency is newer than 0.8 (0.13): not asked.
    const ReportFile sync(runReport(QStringLiteral("v0.12.0")));
    QVERIFY(!sync.section(QStringLiteral("Synccard settings")).contains(kTooOld));
    QVERIFY(sync.section(QStringLiteral("Synccard settings")).filter(QStringLiteral("input frequency")).isEmpty());
    for (const char *gated : {"Controller settings", "Hardware info", "Cascaded System", "Camera settings",
                              "Synccard settings", "Tracking settings", "Measurement Tool settings", "Room adjustments",
                              "Fingertracking settings", "Tactile settings", "Inertial settings"})
        QCOMPARE(f.section(QLatin1String(gated)), QStringList({QString(), kTooOld, QString()}));
    // Sections without a minimum, or with one the Controller meets, are complete.
    QVERIFY(f.section(QStringLiteral("Configuration")).contains(QStringLiteral("number of configurations: 2")));
    QVERIFY(f.section(QStringLiteral("ZEL radio info")).contains(QStringLiteral("Available: yes")));
    QVERIFY(f.section(QStringLiteral("Output settings")).contains(QStringLiteral("Act as router for tracking output: no")));
    QVERIFY(f.section(QStringLiteral("Body calibration")).contains(QStringLiteral("Body types")));
    QVERIFY(!f.section(QStringLiteral("Room calibration")).contains(kTooOld));
    QVERIFY(!hasErrorLine(f.lines()));
}

void ExportReportTest::protocol16GatesCascadeInertialAndStandardBodies()
{
    const ReportFile f(runReport(QStringLiteral("v1.6")));
    QVERIFY(f.section(QStringLiteral("Cascaded System")).contains(kTooOld));
    QVERIFY(f.section(QStringLiteral("Inertial settings")).contains(kTooOld));
    QVERIFY(!f.section(QStringLiteral("Measurement Tool settings")).contains(kTooOld));
    QVERIFY(!f.section(QStringLiteral("Tactile settings")).contains(kTooOld));
    // Standard bodies need 1.12: their table is replaced by the too-old line, the others stay.
    const QStringList admin = f.section(QStringLiteral("Body Administration"));
    QCOMPARE(admin.value(admin.indexOf(QStringLiteral("Standard bodies")) + 1), kTooOld);
    QVERIFY(admin.contains(QStringLiteral("Gripwands")));
    QVERIFY(!f.section(QStringLiteral("Camera settings")).join(QLatin1Char('\n')).contains(QStringLiteral("Flash low power")));
    for (const SimCommandLog::Entry &e : m_sim->commandLog())
        QVERIFY2(!e.text.contains(QStringLiteral("check_custom_calibration")), "the check is for 1.12 and later");
}

void ExportReportTest::protocol112ChecksCustomCalibration()
{
    const ReportFile f(runReport(QStringLiteral("v1.12")));
    bool checked = false;
    for (const SimCommandLog::Entry &e : m_sim->commandLog())
        checked |= e.text == QLatin1String("quorix2 targetlib check_custom_calibration");
    QVERIFY(checked);
    const QStringList overview = f.section(QStringLiteral("System overview"));
    // The simulator marks its first target-library entry as custom calibrated.
    QVERIFY(overview.filter(QRegularExpression(QStringLiteral("^ +B1 .*manually calibrated, looks like tl_standard_a"))).size() == 1);
    QVERIFY(overview.filter(QRegularExpression(QStringLiteral("^ +F1 .*Target Library: tl_gripwand_a$"))).size() == 1);
    // The body administration tells the same of the same body.
    const QStringList admin = f.section(QStringLiteral("Body Administration"));
    QVERIFY(admin.filter(QRegularExpression(QStringLiteral("^ +B1 .*manually calibrated, looks like tl_standard_a$"))).size() == 1);
    QVERIFY(admin.filter(QStringLiteral("Target library: tl_standard_a")).isEmpty());
    const QStringList inertial = f.section(QStringLiteral("Inertial settings"));
    QVERIFY(!inertial.contains(kTooOld));
    // What came with 1.21 is left out.
    QVERIFY(inertial.filter(QStringLiteral("Pulse")).isEmpty());
    QVERIFY(inertial.filter(QStringLiteral("sensor_has_storage")).isEmpty());
    for (const SimCommandLog::Entry &e : m_sim->commandLog())
        QVERIFY2(!e.text.contains(QStringLiteral("tracking pulse")), qPrintable(e.text));
    QVERIFY(f.section(QStringLiteral("Controller settings")).filter(QStringLiteral("CPU temperature")).isEmpty());
    QVERIFY(!hasErrorLine(f.lines()));
}

// Headings and the lines that refer to them name things alike, labels keep
// their width, and a version part that was not reported is not printed.
void ExportReportTest::linesAgreeWithEachOther()
{
    SimScenario tenCameras;
    tenCameras.cameras = 10;
    const ReportFile f(runReport(QStringLiteral("v1.27"), tenCameras));
    QVERIFY(f.section(QStringLiteral("Camera settings")).contains(QStringLiteral("Camera c10")));
    const QStringList room = f.section(QStringLiteral("Room calibration"));
    QVERIFY(room.filter(QRegularExpression(QStringLiteral("^  Camera c10 has room +: yes$"))).size() == 1);
    QVERIFY(room.filter(QStringLiteral("c010")).isEmpty());

    const QStringList version = f.section(QStringLiteral("Version info"));
    QVERIFY2(version.contains(QStringLiteral("Protocol version        : 1.27")), qPrintable(version.join('\n')));
    QVERIFY(version.contains(QStringLiteral("Version notice          : (c) 2026 Quorix tracking simulator")));

    FakeChannel channel;
    channel.setDefaultReply(kRefusal);
    channel.setValue("output net ch01", "udp 198.18.0.9 5000");
    const BackendVersions versions = versionsFor(QStringLiteral("v1.27.0"));
    ExportConfiguration report(&channel, nullptr, &versions);
    const QString path = m_home->path() + QStringLiteral("/output.txt");
    QVERIFY(report.exportReport(path, false, true));
    const QStringList output = ReportFile(path).section(QStringLiteral("Output settings"));
    QVERIFY(output.contains(QStringLiteral("  UDP/Multicast      : udp")));
    QVERIFY(output.contains(QStringLiteral("  Send to            : 198.18.0.9")));
    static const QRegularExpression doubled(QStringLiteral("[A-Za-z]: +: "));
    for (const QString &l : f.lines() + output)
        QVERIFY2(!doubled.match(l).hasMatch(), qPrintable(l));
    // Every value line of the sync section has its colon in the label column.
    for (const QString &l : f.section(QStringLiteral("Synccard settings")))
        if (l.contains(QStringLiteral(": ")))
            QVERIFY2(l.indexOf(QStringLiteral(": ")) == 30, qPrintable(l));
}

void ExportReportTest::refusedQueriesBecomeErrorLinesAndTheStructureStays()
{
    SimFaults faults;
    faults.errorReplies << QStringLiteral("get");
    const ReportFile f(runReport(QStringLiteral("v1.27.0"), SimScenario(), faults));
    QCOMPARE(f.sectionNames().size(), 24);
    QVERIFY(f.section(QStringLiteral("System overview")).contains(QStringLiteral("Number of cameras: Error -32")));
    QVERIFY(f.section(QStringLiteral("Backend modules (loaded)")).contains(QStringLiteral("Number of single versions: Error -32")));
    QVERIFY(f.section(QStringLiteral("Version info")).contains(QStringLiteral("QUORIX4 Backend         : Error -32")));
    QVERIFY(f.section(QStringLiteral("Camera settings")).contains(QStringLiteral("Number of cameras             : Error -32")));
    QVERIFY(f.section(QStringLiteral("Fingertracking settings")).contains(QStringLiteral("Number of hands: Error -32")));
    // Counts that failed bound no loops: no per-item blocks.
    QVERIFY(f.section(QStringLiteral("Camera settings")).filter(QStringLiteral("Camera c01")).isEmpty());
}

void ExportReportTest::brokenChannelGivesErrorLinesEverywhere()
{
    FakeChannel channel;   // the Controller is gone
    channel.setDefaultFailure(-222);
    const BackendVersions versions = versionsFor(QStringLiteral("v1.27.0"));
    ExportConfiguration report(&channel, nullptr, &versions);
    const QString path = m_home->path() + QStringLiteral("/broken.txt");
    QVERIFY(report.exportReport(path, false, true));
    const ReportFile f(path);
    QCOMPARE(f.sectionNames().size(), 24);
    QVERIFY(f.section(QStringLiteral("System overview")).contains(QStringLiteral("Controller      : Error -222, S/N Error -222, Error -222")));
    QVERIFY(f.section(QStringLiteral("Version info")).contains(QStringLiteral("Controller Serial       : Error -222")));
    QVERIFY(f.section(QStringLiteral("Configuration")).contains(QStringLiteral("number of configurations: Error -222")));
    QVERIFY(f.section(QStringLiteral("ZEL radio info")).contains(QStringLiteral("Channel  : Error -222")));
    // Every command was tried once; nothing loops on a dead channel.
    QCOMPARE(channel.commands().size(), report.commandsSent());
    QVERIFY(channel.commands().size() < 200);

    FakeChannel refusing;
    refusing.setDefaultReply(kRefusal);
    ExportConfiguration second(&refusing, nullptr, &versions);
    QVERIFY(second.exportReport(path, false, true));
    QVERIFY(ReportFile(path).section(QStringLiteral("Hardware info")).contains(QStringLiteral("Motherboard              : Error -32")));
}

void ExportReportTest::removeExistingReplacesOrAppends()
{
    FakeChannel channel;   // the Controller is gone
    channel.setDefaultFailure(-222);
    const BackendVersions versions = versionsFor(QStringLiteral("v1.27.0"));
    ExportConfiguration report(&channel, nullptr, &versions);
    const QString path = m_home->path() + QStringLiteral("/existing.txt");
    auto seed = [&] {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly | QIODevice::Text));
        old.write("OLD CONTENT\n");
    };
    seed();
    QVERIFY(report.exportReport(path, false, false));
    const ReportFile appended(path);
    QCOMPARE(appended.lines().value(0), QStringLiteral("OLD CONTENT"));
    QCOMPARE(appended.lines().value(1), QStringLiteral("Export Controller configuration"));

    seed();
    QVERIFY(report.exportReport(path, false, true));
    const ReportFile replaced(path);
    QCOMPARE(replaced.lines().value(0), QStringLiteral("Export Controller configuration"));
    QVERIFY(!replaced.contains(QStringLiteral("OLD CONTENT")));
    QCOMPARE(replaced.lines().filter(QStringLiteral("Export Controller configuration")).size(), 1);

    QVERIFY(!report.exportReport(QString(), false, true));
}

void ExportReportTest::unwritableTargetShowsTheBoxAndWritesNothing()
{
    ModalWatcher watcher;
    FakeChannel channel;   // the Controller is gone
    channel.setDefaultFailure(-222);
    const BackendVersions versions = versionsFor(QStringLiteral("v1.27.0"));
    ExportConfiguration report(&channel, nullptr, &versions);
    const QString path = m_home->path() + QStringLiteral("/missing-dir/report.txt");
    QVERIFY(!report.exportReport(path, true, true));
    QVERIFY(watcher.waitForCount(1));
    QCOMPARE(watcher.seen().value(0).title, QStringLiteral("Log Settings"));
    // The cause as it is: no folder, rather than missing rights.
    QCOMPARE(watcher.seen().value(0).text, QStringLiteral("The folder %1 does not exist.\n Please choose another location.")
                                               .arg(m_home->path() + QStringLiteral("/missing-dir")));
    QVERIFY(!QFile::exists(path));
    QVERIFY(channel.commands().isEmpty());
}

void ExportReportTest::linkSwappedInDuringTheRunGetsNothing()
{
    const BackendVersions versions = versionsFor(QStringLiteral("v1.27.0"));
    const QString victim = m_home->path() + QStringLiteral("/victim.txt");
    for (const bool bundle : {false, true}) {
        QFile v(victim);
        QVERIFY(v.open(QIODevice::WriteOnly | QIODevice::Truncate));
        v.write("precious\n");
        v.close();
        const QString path = m_home->path() + (bundle ? QStringLiteral("/bundle.txt") : QStringLiteral("/report.txt"));
        // Refuses every command, and at the 51st swaps a link to another
        // file in where the report is being written.
        FakeChannel channel;
        channel.setDefaultReply(kRefusal);
        channel.setExchangeHook([&](const QByteArray &) {
            if (channel.commands().size() == 51) {
                QFile::remove(path);
                QFile::link(victim, path);
            }
        });
        ExportConfiguration report(&channel, nullptr, &versions);
        report.setFrontendVersion(QStringLiteral("v4.0.1 2026-02-02"));
        if (bundle)
            QVERIFY(SystemInfoBundle().write(path, report, {}));
        else
            QVERIFY(report.exportReport(path, false, true));
        QVERIFY(channel.commands().size() > 50);
        QCOMPARE(ReportFile(victim).lines(), QStringList{"precious"});
        QVERIFY(!QFileInfo(path).isSymLink());
        const QStringList lines = ReportFile(path).lines();
        QCOMPARE(lines.value(bundle ? 1 : 0), QStringLiteral("Export Controller configuration"));
        QVERIFY(lines.contains(QStringLiteral("[Inertial settings]")));
    }
}

void ExportReportTest::hugeCountsAreCappedAndSaidSo()
{
    FakeChannel channel;
    channel.answerEveryGet("2147483647");   // the largest count there is
    const BackendVersions versions = versionsFor(QStringLiteral("v1.27.0"));
    ExportConfiguration report(&channel, nullptr, &versions);
    const QString path = m_home->path() + QStringLiteral("/huge.txt");
    QVERIFY(report.exportReport(path, false, true));
    QVERIFY(report.countsCapped() > 0);
    // Every count cut, nested loops included: the report ends after a bounded number of questions.
    QVERIFY2(channel.commands().size() < 400000, qPrintable(QString::number(channel.commands().size())));
    const QStringList lines = ReportFile(path).lines();
    QVERIFY(lines.contains(QStringLiteral("(The Controller answered 2147483647 to \"camera number_of_cameras\": only 1000 are listed.)")));
    QVERIFY(lines.contains(QStringLiteral("[Inertial settings]")));   // the last section is there
}

void ExportReportTest::resultBoxNamesTheFile()
{
    ModalWatcher watcher;
    FakeChannel channel;   // the Controller is gone
    channel.setDefaultFailure(-222);
    const BackendVersions versions = versionsFor(QStringLiteral("v1.27.0"));
    ExportConfiguration report(&channel, nullptr, &versions);
    const QString path = m_home->path() + QStringLiteral("/ok.txt");
    QVERIFY(report.exportReport(path, true, true));
    QVERIFY(watcher.waitForCount(1));
    QCOMPARE(watcher.seen().value(0).text, QStringLiteral("Informations successfully written to the file\n") + path);
}

void ExportReportTest::frontendModulesAreSortedAndAligned()
{
    FakeChannel channel;   // the Controller is gone
    channel.setDefaultFailure(-222);
    const BackendVersions versions = versionsFor(QStringLiteral("v1.27.0"));
    ExportConfiguration report(&channel, nullptr, &versions);
    // Odd module names: blanks, an empty name, one without a version.
    report.setFrontendVersion(QStringLiteral("v4.0.1 2026-02-02|zeta;2.0|holoview;1.2.0| odd name ;0.1|;9|bare"));
    const QString path = m_home->path() + QStringLiteral("/modules.txt");
    QVERIFY(report.exportReport(path, false, true));
    const QStringList modules = ReportFile(path).section(QStringLiteral("Frontend modules (loaded)"));
    QCOMPARE(modules, QStringList({QString(), QStringLiteral("           9"), QStringLiteral(" odd name  0.1"),
                                   QStringLiteral("bare       "), QStringLiteral("holoview   1.2.0"),
                                   QStringLiteral("zeta       2.0"), QString()}));
}

void ExportReportTest::tablesAlignTheirCells()
{
    const QVector<ReportWriter::Column> columns = {{QStringLiteral("ID"), 4}, {QStringLiteral("Active"), 6},
                                                   {QStringLiteral("Reference ID"), 13}, {QStringLiteral("Calibration"), 16}};
    QCOMPARE(ReportWriter::tableRow(columns, {QStringLiteral("M1"), QStringLiteral("yes"), QStringLiteral("b01"),
                                              QStringLiteral("Custom")}),
             QStringLiteral("  M1 |    yes |           b01 | Custom"));

    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    ReportWriter out(nullptr);
    out.setDevice(&buffer);
    out.table(QStringLiteral("Measurement Tool"), columns, {});
    const QStringList lines = QString::fromUtf8(buffer.data()).split(QLatin1Char('\n'));
    QCOMPARE(lines.value(0), QStringLiteral("Measurement Tool"));
    QCOMPARE(lines.value(1), QStringLiteral("----------------"));
    QCOMPARE(lines.value(2), QStringLiteral("ID   | Active | Reference ID  | Calibration     "));
    // The dash runs meet the separators of the header.
    QCOMPARE(lines.value(3).size(), lines.value(2).size());
    for (int i = 0; i < lines.value(3).size(); ++i)
        QCOMPARE(lines.value(3).at(i) == QLatin1Char('|'), lines.value(2).at(i) == QLatin1Char('|'));
}

void ExportReportTest::markerLinesAreCentred()
{
    const QString m = ExportConfiguration::markerLine(QStringLiteral("<BOF> v4.0.1 <BOF>"));
    QCOMPARE(m.size(), 80);
    QCOMPARE(m, QString(31, QLatin1Char('*')) + QStringLiteral("<BOF> v4.0.1 <BOF>") + QString(31, QLatin1Char('*')));
    const QString odd = ExportConfiguration::markerLine(QStringLiteral("abc"));
    QCOMPARE(odd, QString(38, QLatin1Char('*')) + QStringLiteral("abc") + QString(39, QLatin1Char('*')));
    const QString long78 = QString(78, QLatin1Char('x'));
    QCOMPARE(ExportConfiguration::markerLine(long78), long78);
    QCOMPARE(ExportConfiguration::markerLine(QString(77, QLatin1Char('x'))).size(), 80);
}

QTEST_MAIN(ExportReportTest)
#include "tst_ExportReport.moc"
