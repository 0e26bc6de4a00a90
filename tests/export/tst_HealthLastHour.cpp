// The bundle's last hour of tracking health: which rows of which files it
// takes, from bytes and from the files beside the event logs.
#include "BackendVersions.h"
#include "ExportConfiguration.h"
#include "FakeChannel.h"
#include "HealthCsv.h"
#include "ReportFile.h"
#include "SystemInfoBundle.h"
#include "TestHome.h"

#include <QDir>
#include <QFile>
#include <QtTest>

namespace {

QDateTime local(int y, int mo, int d, int h, int mi, int s, int ms = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), Qt::LocalTime);
}

QByteArray sampleRow(const QDateTime &at, int bodies)
{
    Health::HealthSample s;
    s.msecsSinceEpoch = at.toMSecsSinceEpoch();
    s.state = "mea";
    s.bodies = bodies;
    return Health::csvRow(s);
}

QByteArray eventRow(const QDateTime &at, const QString &text)
{
    return Health::csvRow(Health::HealthEvent{at.toMSecsSinceEpoch(), text});
}

// The lines between the entry's markers; empty when there is no such entry.
QStringList entryLines(const QStringList &bundle, const QString &name)
{
    const int begin = bundle.indexOf(ExportConfiguration::markerLine(QStringLiteral("<BOF> %1 <BOF>").arg(name)));
    const int end = bundle.indexOf(ExportConfiguration::markerLine(QStringLiteral("<EOF> %1 <EOF>").arg(name)));
    if (begin < 0 || end < begin)
        return {};
    return bundle.mid(begin + 1, end - begin - 1);
}

} // namespace

class HealthLastHourTest : public QObject
{
    Q_OBJECT

private slots:
    void takesTheHourBeforeTheExportAcrossMidnight();
    void noFileGivesNothingAndATornRowLosesOnlyItself();
    void bundleCarriesOnlyThisControllersLastHour();
    void bundleCarriesTheRecordingAsBase64();
};

void HealthLastHourTest::bundleCarriesTheRecordingAsBase64()
{
    TestHome home;
    FakeChannel channel;
    channel.setDefaultReply("quorix2 err -2 \"unknown parameter\"");
    BackendVersions versions;
    ExportConfiguration report(&channel, nullptr, &versions);
    report.setFrontendVersion(QStringLiteral("v4.0.1 2026-02-02"));
    QByteArray file;
    for (int i = 0; i < 1000; ++i)
        file.append(char(i * 7));   // zero bytes, line feeds, <EOF>-like text: all survive
    file.append("\n<EOF> x <EOF>\n");
    const QString path = home.path() + QStringLiteral("/bundle.txt");
    SystemInfoBundle bundle;
    bundle.setRecording(file);
    QVERIFY2(bundle.write(path, report, {}), qPrintable(bundle.error()));
    const QStringList lines = entryLines(ReportFile(path).lines(), QString::fromLatin1(SystemInfoBundle::RecordingEntryName));
    QVERIFY(!lines.isEmpty());
    for (const QString &line : lines)
        QVERIFY(line.size() <= 76);
    QCOMPARE(QByteArray::fromBase64(lines.join(QString()).toLatin1()), file);
}

void HealthLastHourTest::takesTheHourBeforeTheExportAcrossMidnight()
{
    const QDateTime now = local(2026, 12, 9, 0, 30, 0);
    const QByteArray early = sampleRow(local(2026, 12, 8, 23, 29, 59, 999), 1);
    const QByteArray first = sampleRow(local(2026, 12, 8, 23, 30, 0), 2);
    const QByteArray multiLine = eventRow(local(2026, 12, 8, 23, 45, 0), QStringLiteral("(Controller) one,\ntwo \"x\""));
    const QByteArray midnight = sampleRow(local(2026, 12, 9, 0, 0, 0), 3);
    const QByteArray last = sampleRow(now, 4);
    const QByteArray later = sampleRow(now.addMSecs(1), 5);
    const QByteArray yesterday = Health::csvHeader() + early + first + multiLine;
    const QByteArray today = Health::csvHeader() + midnight + last + later;

    const QByteArray expected = Health::csvHeader() + first + multiLine + midnight + last;
    QCOMPARE(SystemInfoBundle::lastHourOfHealth({yesterday, today}, now), expected);
    // Files in any order: the rows come out by time.
    QCOMPARE(SystemInfoBundle::lastHourOfHealth({today, yesterday}, now), expected);
    // Every row the selection gave back still reads.
    const QList<QByteArray> rows{first, multiLine, midnight, last};
    for (const QByteArray &row : rows)
        QVERIFY(Health::parseCsvRow(row, nullptr, nullptr, nullptr));
}

void HealthLastHourTest::noFileGivesNothingAndATornRowLosesOnlyItself()
{
    const QDateTime now = local(2026, 12, 9, 12, 0, 0);
    QVERIFY(SystemInfoBundle::lastHourOfHealth({}, now).isEmpty());
    QCOMPARE(SystemInfoBundle::lastHourOfHealth({Health::csvHeader(), QByteArray()}, now), Health::csvHeader());

    // A row cut short (the program ended mid-write), its quote left open, and
    // junk lines: the rows after them are still taken.
    const QByteArray torn = "2026-12-09T11:10:00.000,event,,,,,,,,\"cut\n";
    const QByteArray after = sampleRow(local(2026, 12, 9, 11, 20, 0), 2);
    const QByteArray content = Health::csvHeader() + "junk\n" + torn + after + "9999-99-99T\n";
    QCOMPARE(SystemInfoBundle::lastHourOfHealth({content}, now), Health::csvHeader() + torn + after);
    // The file's last row without its line end is ended.
    QCOMPARE(SystemInfoBundle::lastHourOfHealth({Health::csvHeader() + after.chopped(1)}, now),
             Health::csvHeader() + after);
}

void HealthLastHourTest::bundleCarriesOnlyThisControllersLastHour()
{
    TestHome home;
    const QString root = SystemInfoBundle::logRoot();
    const QDateTime now = QDateTime::currentDateTime();
    // Each row goes into the file of its own day, as the recorder writes them.
    auto append = [&](const QString &version, const QString &host, const QDateTime &at, const QByteArray &row) {
        const QString dir = root + QLatin1Char('/') + version + QStringLiteral("/logs");
        QVERIFY(QDir().mkpath(dir));
        QFile f(Health::HealthLogFile::path(dir, host, at.date()));
        const bool fresh = !f.exists();
        QVERIFY(f.open(QIODevice::Append));
        if (fresh)
            f.write(Health::csvHeader());
        f.write(row);
    };
    const QByteArray tooOld = sampleRow(now.addSecs(-2 * 3600), 1);
    const QByteArray older = sampleRow(now.addSecs(-1800), 2);
    const QByteArray event = eventRow(now.addSecs(-900), QStringLiteral("(Controller) marker lost, c02"));
    const QByteArray newest = sampleRow(now.addSecs(-60), 3);
    append(QStringLiteral("v4.0.0"), QStringLiteral("lab-hall"), now.addSecs(-2 * 3600), tooOld);
    append(QStringLiteral("v4.0.1"), QStringLiteral("lab-hall"), now.addSecs(-1800), older);
    append(QStringLiteral("v4.0.1"), QStringLiteral("lab-hall"), now.addSecs(-900), event);
    append(QStringLiteral("v4.0.1"), QStringLiteral("lab-hall"), now.addSecs(-60), newest);
    append(QStringLiteral("v4.0.1"), QStringLiteral("lab-hall-2"), now.addSecs(-60), sampleRow(now.addSecs(-60), 9));
    append(QStringLiteral("v4.0.1"), QStringLiteral("lab%2Fhall"), now.addSecs(-60), sampleRow(now.addSecs(-60), 8));

    FakeChannel channel;   // refuses every question: the report part stays short
    channel.setDefaultReply("quorix2 err -2 \"unknown parameter\"");
    BackendVersions versions;
    ExportConfiguration report(&channel, nullptr, &versions);
    report.setFrontendVersion(QStringLiteral("v4.0.1 2026-02-02"));
    const QString name = QString::fromLatin1(SystemInfoBundle::HealthEntryName);
    const QString path = home.path() + QStringLiteral("/bundle.txt");
    SystemInfoBundle bundle;
    bundle.setHealthLastHour(SystemInfoBundle::healthLastHour(root, QStringLiteral("lab-hall"), now));
    QVERIFY2(bundle.write(path, report, {}), qPrintable(bundle.error()));

    QStringList expected;
    for (const QByteArray &row : {Health::csvHeader(), older, event, newest})
        expected << QString::fromUtf8(row.chopped(1));
    QCOMPARE(entryLines(ReportFile(path).lines(), name), expected);

    // A Controller without health files: no entry, and no error.
    SystemInfoBundle none;
    none.setHealthLastHour(SystemInfoBundle::healthLastHour(root, QStringLiteral("lab-hall-3"), now));
    QVERIFY2(none.write(path, report, {}), qPrintable(none.error()));
    QVERIFY(!ReportFile(path).contains(name));
}

QTEST_GUILESS_MAIN(HealthLastHourTest)
#include "tst_HealthLastHour.moc"
