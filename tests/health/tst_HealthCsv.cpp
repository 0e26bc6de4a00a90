// The health files' rows and the files themselves: exact format, round trip,
// locale independence, quoting, bad input, rights and clean-up.
#include "GermanLocale.h"
#include "HealthCsv.h"
#include "HealthLogFile.h"
#include "TestHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

#include <clocale>

using namespace Health;

namespace {

qint64 localMs(int y, int mo, int d, int h, int mi, int s, int ms)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), Qt::LocalTime).toMSecsSinceEpoch();
}

HealthSample fullSample()
{
    HealthSample s;
    s.msecsSinceEpoch = localMs(2026, 12, 8, 23, 1, 2, 0);
    s.state = "mea";
    s.frequency = 59.94;
    s.bodies = 2;
    s.markers = 6;
    s.framesLost = 0;
    s.framesDropped = 3;
    s.dataLines = 60;
    s.rays = {{12, 10}, {11, 9}, {-1, -1}, {8, 8}};
    return s;
}

bool same(const HealthSample &a, const HealthSample &b)
{
    return a.msecsSinceEpoch == b.msecsSinceEpoch && a.state == b.state && a.frequency == b.frequency
        && a.bodies == b.bodies && a.markers == b.markers && a.framesLost == b.framesLost
        && a.framesDropped == b.framesDropped && a.dataLines == b.dataLines && a.rays == b.rays;
}

QFile::Permissions rightsOf(const QString &path)
{
    return QFileInfo(path).permissions() & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);
}

} // namespace

class HealthCsvTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_home = std::make_unique<TestHome>(); }
    void cleanup() { m_home.reset(); }

    void rowsHaveTheirExactForm();
    void samplesAndEventsSurviveTheRoundTrip();
    void germanLocaleStillWritesDecimalPoints();
    void badRowsAreRefusedSafely();

    void fileGetsTheHeaderOnceAndPrivateRights();
    void unwritableFolderGivesAnErrorText();
    void linkInPlaceOfTheFileIsNeitherWrittenThroughNorChanged();
    void oldFilesAreDeletedOthersKept();
    void theHourIsReadBackAcrossMidnightFromOldAndNewFiles();

private:
    std::unique_ptr<TestHome> m_home;
};

void HealthCsvTest::rowsHaveTheirExactForm()
{
    QCOMPARE(csvHeader(),
             QByteArray("time,kind,state,frequency_hz,bodies,markers,frames_lost,data_lines,rays,text,frames_dropped\n"));
    QCOMPARE(csvRow(fullSample()), QByteArray("2026-12-08T23:01:02.000,sample,mea,59.94,2,6,0,60,12/10 11/9 -/- 8/8,,3\n"));

    HealthSample unknown;
    unknown.msecsSinceEpoch = localMs(2026, 1, 2, 3, 4, 5, 6);
    QCOMPARE(csvRow(unknown), QByteArray("2026-01-02T03:04:05.006,sample,,,,,,,,,\n"));

    const HealthEvent e{localMs(2026, 12, 8, 23, 1, 2, 345), QStringLiteral("(Controller) text with \"quotes\", and commas")};
    QCOMPARE(csvRow(e), QByteArray("2026-12-08T23:01:02.345,event,,,,,,,,\"(Controller) text with \"\"quotes\"\", and commas\",\n"));
    // Without comma, quote or line break a text stays bare.
    QCOMPARE(csvRow(HealthEvent{e.msecsSinceEpoch, QStringLiteral("plain; text")}),
             QByteArray("2026-12-08T23:01:02.345,event,,,,,,,,plain; text,\n"));
    QCOMPARE(csvRow(HealthEvent{e.msecsSinceEpoch, QStringLiteral("a\rb")}).right(7), QByteArray("\"a\rb\",\n"));
}

void HealthCsvTest::samplesAndEventsSurviveTheRoundTrip()
{
    HealthSample s = fullSample();
    s.framesLost = 5000000000;
    s.frequency = 300.25;
    HealthSample got;
    HealthEvent event;
    bool isEvent = true;
    QVERIFY(parseCsvRow(csvRow(s), &got, &event, &isEvent));
    QVERIFY(!isEvent);
    QVERIFY(same(got, s));

    HealthSample unknown;
    unknown.msecsSinceEpoch = s.msecsSinceEpoch + 1;
    unknown.rays = {{-1, 4}};
    QVERIFY(parseCsvRow(csvRow(unknown), &got, &event, &isEvent));
    QVERIFY(same(got, unknown));

    for (const QString &text : {QStringLiteral("(Controller) \"quoted\", with commas,,"), QStringLiteral("two\nlines\r\n"),
                                QStringLiteral("Kamera c03 verdeckt: Größe überschritten"), QString(),
                                QStringLiteral("\"")}) {
        const HealthEvent e{s.msecsSinceEpoch + 345, text};
        QVERIFY(parseCsvRow(csvRow(e), &got, &event, &isEvent));
        QVERIFY(isEvent);
        QCOMPARE(event.msecsSinceEpoch, e.msecsSinceEpoch);
        QCOMPARE(event.text, text);
    }
    // Without the line end, and with a CR LF one, as a reader may hand it over.
    QVERIFY(parseCsvRow(csvRow(s).chopped(1), &got, nullptr, &isEvent) && same(got, s));
    QVERIFY(parseCsvRow(csvRow(s).chopped(1) + "\r\n", &got, nullptr, nullptr) && same(got, s));
}

void HealthCsvTest::germanLocaleStillWritesDecimalPoints()
{
    QByteArray row;
    HealthSample got;
    bool parsed = false;
    {
        const GermanLocale german;
        QVERIFY2(german.isActive(), "no German locale: scripts/bootstrap makes one");
        row = csvRow(fullSample());
        parsed = parseCsvRow("2026-12-08T23:01:02.000,sample,mea,12.50,,,,,,", &got, nullptr, nullptr);
    }
    QCOMPARE(row, QByteArray("2026-12-08T23:01:02.000,sample,mea,59.94,2,6,0,60,12/10 11/9 -/- 8/8,,3\n"));
    QVERIFY(parsed);
    QCOMPARE(got.frequency, 12.5);
}

void HealthCsvTest::badRowsAreRefusedSafely()
{
    HealthSample s;
    HealthEvent e;
    bool isEvent = false;
    const QList<QByteArray> bad{
        csvHeader(),
        "",
        "\n",
        "2026-12-08T23:01:02.000,sample,mea,59.94,2,6,0,60,",       // too few fields
        "2026-12-08T23:01:02.000,sample,mea,59.94,2,6,0,60,,,,",    // too many
        "2026-12-08 23:01:02.000,sample,,,,,,,,",                   // not the time form
        "2026-02-30T23:01:02.000,sample,,,,,,,,",                   // no such day
        "2026-12-08T25:01:02.000,sample,,,,,,,,",                   // no such hour
        "2026-12-08T23:01:02.000,status,,,,,,,,",                   // unknown kind
        "2026-12-08T23:01:02.000,event,,,,,,,,\"open quote",        // quote never closed
        "2026-12-08T23:01:02.000,event,,,,,,,,\"closed\"x",         // text after the quote
        "2026-12-08T23:01:02.000,event,,,,,,,,a\"b",                // quote inside a bare field
    };
    for (const QByteArray &row : bad)
        QVERIFY2(!parseCsvRow(row, &s, &e, &isEvent), row.constData());

    // Values that do not read are unknown; the row itself stands.
    QVERIFY(parseCsvRow("2026-12-08T23:01:02.000,sample,zzz,-4,x,1e3,-1,9999999999,a/b c,,z", &s, &e, &isEvent));
    QVERIFY(s.state.isEmpty() && s.frequency == -1.0 && s.bodies == -1 && s.markers == -1 && s.framesLost == -1
            && s.dataLines == -1 && s.rays.size() == 2 && s.framesDropped == -1);

    // A row of an earlier version, without the count of frames dropped here.
    QVERIFY(parseCsvRow("2026-12-08T23:01:02.000,sample,mea,59.94,2,6,4,60,12/10,", &s, &e, &isEvent));
    QVERIFY(!isEvent && s.framesLost == 4 && s.framesDropped == -1 && s.rays.size() == 1);
    QVERIFY(parseCsvRow("2026-12-08T23:01:02.000,event,,,,,,,,\"old, event\"", &s, &e, &isEvent));
    QVERIFY(isEvent && e.text == "old, event");
}

void HealthCsvTest::fileGetsTheHeaderOnceAndPrivateRights()
{
    const QString dir = m_home->path() + QStringLiteral("/.ZEL/QUORIX4/v4.0.1/logs");
    const QDate day(2026, 12, 8);
    const QString path = HealthLogFile::path(dir, QStringLiteral("lab%2Fhall"), day);
    QCOMPARE(path, dir + QStringLiteral("/health-2026-12-08_lab%2Fhall.csv"));

    const QDateTime now(day, QTime(23, 59, 59));
    QCOMPARE(HealthLogFile::append(dir, QStringLiteral("lab%2Fhall"), now, "row one\n"), QString());
    QCOMPARE(HealthLogFile::append(dir, QStringLiteral("lab%2Fhall"), now, "row two\n"), QString());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), csvHeader() + "row one\nrow two\n");
    QCOMPARE(rightsOf(path), QFile::ReadOwner | QFile::WriteOwner);
    for (const QString &d : {dir, QFileInfo(dir).path(), QFileInfo(QFileInfo(dir).path()).path()})
        QCOMPARE(rightsOf(d), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    // A file an earlier run left open to others is closed again.
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther));
    QCOMPARE(HealthLogFile::append(dir, QStringLiteral("lab%2Fhall"), now, "row three\n"), QString());
    QCOMPARE(rightsOf(path), QFile::ReadOwner | QFile::WriteOwner);

    // The next day is a new file with its own header.
    QCOMPARE(HealthLogFile::append(dir, QStringLiteral("lab%2Fhall"), now.addSecs(1), "row four\n"), QString());
    QFile next(HealthLogFile::path(dir, QStringLiteral("lab%2Fhall"), day.addDays(1)));
    QVERIFY(next.open(QIODevice::ReadOnly));
    QCOMPARE(next.readAll(), csvHeader() + "row four\n");
}

void HealthCsvTest::unwritableFolderGivesAnErrorText()
{
    // A plain file where the folder should be: nothing can be made below it.
    const QString blocker = m_home->path() + QStringLiteral("/blocker");
    QVERIFY(QFile(blocker).open(QIODevice::WriteOnly));
    const QDateTime now = QDateTime::currentDateTime();
    QVERIFY(!HealthLogFile::append(blocker + QStringLiteral("/logs"), QStringLiteral("h"), now, "x\n").isEmpty());
    QVERIFY(!HealthLogFile::append(QString(), QStringLiteral("h"), now, "x\n").isEmpty());
}

void HealthCsvTest::linkInPlaceOfTheFileIsNeitherWrittenThroughNorChanged()
{
    const QString dir = m_home->path() + QStringLiteral("/.ZEL/QUORIX4/v4.0.1/logs");
    const QDateTime now(QDate(2026, 12, 8), QTime(12, 0));
    const QString shared = m_home->path() + QStringLiteral("/shared.csv");
    QFile target(shared);
    QVERIFY(target.open(QIODevice::WriteOnly));
    QCOMPARE(target.write("theirs\n"), qint64(7));
    target.close();
    const QFile::Permissions open = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;
    QVERIFY(QFile::setPermissions(shared, open));
    QVERIFY(QDir().mkpath(dir));
    QVERIFY(QFile::link(shared, HealthLogFile::path(dir, QStringLiteral("h"), now.date())));

    const QString error = HealthLogFile::append(dir, QStringLiteral("h"), now, "row\n");
    QVERIFY2(error.contains(QStringLiteral("symbolic link")), qPrintable(error));
    QVERIFY(target.open(QIODevice::ReadOnly));
    QCOMPARE(target.readAll(), QByteArray("theirs\n"));
    QCOMPARE(rightsOf(shared), open);
}

void HealthCsvTest::oldFilesAreDeletedOthersKept()
{
    const QString dir = m_home->path() + QStringLiteral("/logs");
    QVERIFY(QDir().mkpath(dir));
    const QDate today(2026, 12, 8);
    auto make = [&](const QString &name) {
        QFile f(dir + QLatin1Char('/') + name);
        QVERIFY(f.open(QIODevice::WriteOnly));
    };
    const QString old = QStringLiteral("health-%1_h.csv").arg(today.addDays(-201).toString(Qt::ISODate));
    const QString kept = QStringLiteral("health-%1_h.csv").arg(today.addDays(-200).toString(Qt::ISODate));
    const QStringList others{kept, QStringLiteral("health-garbage_h.csv"), QStringLiteral("health-0000-00-00_h.csv"),
                             QStringLiteral("events-2000-01-01_h.log"), QStringLiteral("health-2000-01-01_h.txt")};
    make(old);
    for (const QString &name : others)
        make(name);
    HealthLogFile::deleteOld(dir, today);
    QVERIFY(!QFileInfo::exists(dir + QLatin1Char('/') + old));
    for (const QString &name : others)
        QVERIFY2(QFileInfo::exists(dir + QLatin1Char('/') + name), qPrintable(name));
    HealthLogFile::deleteOld(m_home->path() + QStringLiteral("/missing"), today);
}

void HealthCsvTest::theHourIsReadBackAcrossMidnightFromOldAndNewFiles()
{
    const QString dir = m_home->path() + QStringLiteral("/logs");
    QVERIFY(QDir().mkpath(dir));
    const auto write = [&](const QDate &day, const QByteArray &content) {
        QFile f(HealthLogFile::path(dir, QStringLiteral("sim"), day));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    };
    // The day before by an earlier version, cut off in an event's text.
    write(QDate(2026, 12, 8),
          "time,kind,state,frequency_hz,bodies,markers,frames_lost,data_lines,rays,text\n"
          "2026-12-08T22:00:00.000,sample,mea,60.00,2,6,0,60,,\n"            // before the hour
          "2026-12-08T23:30:00.000,sample,mea,60.00,2,6,4,60,12/10,\n"
          "2026-12-08T23:40:00.000,event,,,,,,,,\"two\nlines\"\n"
          "2026-12-08T23:50:00.000,event,,,,,,,,\"cut off\n"
          "2026-12-08T23:59:59.000,sample,none,,,,,,,\n");
    write(QDate(2026, 12, 9),
          csvHeader() + "garbage\n2026-12-09T00:10:00.000,sample,mea,59.00,1,5,0,60,,,2\n"
                        "2026-12-09T00:20:00.000,sample,mea,59.00,1,5,0,60,,,2\n");   // at the end: not taken
    std::vector<HealthSample> samples;
    std::vector<HealthEvent> events;
    HealthLogFile::readBack(dir, QStringLiteral("sim"), localMs(2026, 12, 8, 23, 20, 0, 0),
                            localMs(2026, 12, 9, 0, 20, 0, 0), &samples, &events);
    QCOMPARE(samples.size(), size_t(3));
    QCOMPARE(samples[0].framesLost, qint64(4));
    QCOMPARE(samples[0].framesDropped, qint64(-1));
    QCOMPARE(samples[1].state, QByteArray("none"));
    QCOMPARE(samples[2].msecsSinceEpoch, localMs(2026, 12, 9, 0, 10, 0, 0));
    QCOMPARE(samples[2].framesDropped, qint64(2));
    QCOMPARE(events.size(), size_t(1));
    QCOMPARE(events[0].text, QStringLiteral("two\nlines"));

    // Another Controller's files are not this one's.
    samples.clear();
    HealthLogFile::readBack(dir, QStringLiteral("other"), localMs(2026, 12, 8, 23, 20, 0, 0),
                            localMs(2026, 12, 9, 0, 20, 0, 0), &samples, &events);
    QVERIFY(samples.empty());
}

QTEST_GUILESS_MAIN(HealthCsvTest)
#include "tst_HealthCsv.moc"
