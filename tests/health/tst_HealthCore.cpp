// Frame-number arithmetic, the status text parser and the bounded hour in memory.
#include "FrameCounter.h"
#include "HealthRing.h"
#include "StatusSnapshot.h"

#include <QThread>
#include <QtTest>

#include <atomic>

using namespace Health;

Q_DECLARE_METATYPE(QVector<quint32>)

namespace {

HealthSample at(qint64 ms)
{
    HealthSample s;
    s.msecsSinceEpoch = ms;
    return s;
}

} // namespace

class HealthCoreTest : public QObject
{
    Q_OBJECT

private slots:
    void frameLinesAreRecognised();
    void lostFramesFollowTheNumbers_data();
    void lostFramesFollowTheNumbers();
    void resetStartsANewRunAndTakeZeroes();
    void producerAndTakeAtOnceLoseNoCounts();
    void statusTextGivesEveryValueAndBadOnesAreUnknown();
    void ringStaysBoundedInCountAndTime();
    void clockSteppedBackAndLateEventsKeepTheOrder();
    void rangesAndNearestSample();
    void aTimeBelongsToTheSampleTakenAfterIt();
    void anEarlierRunsRecordGoesBeforeTheNewOne();
};

void HealthCoreTest::frameLinesAreRecognised()
{
    quint32 n = 0;
    QVERIFY(parseFrameLine("fr 123", &n) && n == 123);
    QVERIFY(parseFrameLine("fr 4294967295\r\n", &n) && n == 4294967295u);
    for (const char *bad : {"fr 4294967296", "fr ", "fr", "fr -1", "fr 12a", "frx 12", "ts 12.5", ""})
        QVERIFY2(!parseFrameLine(bad, &n), bad);
    QVERIFY(!parseFrameLine(nullptr, &n));
}

void HealthCoreTest::lostFramesFollowTheNumbers_data()
{
    QTest::addColumn<QVector<quint32>>("numbers");
    QTest::addColumn<qint64>("lost");
    QTest::newRow("first frame loses nothing") << QVector<quint32>{5000} << qint64(0);
    QTest::newRow("gaps") << QVector<quint32>{10, 11, 15, 16, 20} << qint64(6);
    QTest::newRow("repeated frame") << QVector<quint32>{7, 7, 7, 8} << qint64(0);
    QTest::newRow("wrap-around") << QVector<quint32>{0xFFFFFFFEu, 0xFFFFFFFFu, 0, 1} << qint64(0);
    QTest::newRow("gap across wrap") << QVector<quint32>{0xFFFFFFFEu, 2} << qint64(3);
    QTest::newRow("went back: new count") << QVector<quint32>{1000, 3, 4, 6} << qint64(1);
    QTest::newRow("largest forward jump") << QVector<quint32>{0, 0x7FFFFFFFu} << qint64(0x7FFFFFFE);
    QTest::newRow("half the range is back") << QVector<quint32>{0, 0x80000000u, 0x80000001u} << qint64(0);
}

void HealthCoreTest::lostFramesFollowTheNumbers()
{
    QFETCH(QVector<quint32>, numbers);
    QFETCH(qint64, lost);
    FrameCounter counter;
    for (const quint32 n : qAsConst(numbers))
        counter.frame(n);
    const FrameCounter::Counts c = counter.take();
    QCOMPARE(c.lines, numbers.size());
    QCOMPARE(c.lost, lost);
}

void HealthCoreTest::resetStartsANewRunAndTakeZeroes()
{
    FrameCounter counter;
    counter.frame(1);
    counter.frame(3);
    counter.reset();
    counter.frame(500); // not compared with the old run's 3
    counter.frame(502);
    FrameCounter::Counts c = counter.take();
    QCOMPARE(c.lines, 4);
    QCOMPARE(c.lost, qint64(2));
    c = counter.take();
    QVERIFY(c.lines == 0 && c.lost == 0);
    // A take keeps the last number: the next gap still counts.
    counter.frame(505);
    QCOMPARE(counter.take().lost, qint64(2));
}

void HealthCoreTest::producerAndTakeAtOnceLoseNoCounts()
{
    FrameCounter counter;
    const int frames = 200000;
    std::atomic<bool> done{false};
    std::unique_ptr<QThread> producer(QThread::create([&] {
        quint32 n = 0;
        for (int i = 0; i < frames; ++i) {
            counter.frame(n);
            n += (i % 7 == 6) ? 2 : 1; // every seventh frame one number is missing
        }
        done = true;
    }));
    qint64 lines = 0, lost = 0;
    producer->start();
    while (true) {
        const bool last = done;
        const FrameCounter::Counts c = counter.take();
        lines += c.lines;
        lost += c.lost;
        if (last)
            break;
    }
    QVERIFY(producer->wait(60000));
    QCOMPARE(lines, qint64(frames));
    QCOMPARE(lost, qint64((frames - 1) / 7));
}

void HealthCoreTest::statusTextGivesEveryValueAndBadOnesAreUnknown()
{
    StatusSnapshot s =
        parseStatusSnapshot("active=mea;frequency=59.94;bodies=2;markers=6;frames_lost=0;frames_dropped=3;rays=12/10,11/9,-/-,8/8");
    QCOMPARE(s.active, QByteArray("mea"));
    QCOMPARE(s.frequency, 59.94);
    QVERIFY(s.bodies == 2 && s.markers == 6 && s.framesLost == 0 && s.framesDropped == 3);
    QCOMPARE(s.rays, (QVector<CameraRays>{{12, 10}, {11, 9}, {-1, -1}, {8, 8}}));

    // Any order, missing keys unknown, unknown keys ignored.
    s = parseStatusSnapshot("colour=blue;markers=3;active=wait;future=1=2");
    QVERIFY(s.active == "wait" && s.markers == 3 && s.frequency == -1.0 && s.bodies == -1 && s.rays.isEmpty()
            && s.framesDropped == -1);

    s = parseStatusSnapshot("active=bogus;frequency=nan;bodies=-3;markers=99999999999;frames_lost=2x;rays=12/10,,x/3,7");
    QVERIFY(s.active.isEmpty() && s.frequency == -1.0 && s.bodies == -1 && s.markers == -1 && s.framesLost == -1);
    // A camera that does not read keeps its place.
    QCOMPARE(s.rays, (QVector<CameraRays>{{12, 10}, {-1, -1}, {-1, 3}, {-1, -1}}));
    for (const char *f : {"frequency=-1", "frequency=inf", "frequency=", "frequency=-", "frequency=1,5", "frequency=0x10"})
        QVERIFY2(parseStatusSnapshot(f).frequency == -1.0, f);
    QCOMPARE(parseStatusSnapshot(QByteArray("bodies=2\0;markers=3", 19)).markers, 3);

    // More cameras than any system: cut, so a broken message cannot grow every sample.
    QCOMPARE(parseStatusSnapshot("rays=" + QByteArray(20000, ',')).rays.size(), MaxCameras);
}

void HealthCoreTest::ringStaysBoundedInCountAndTime()
{
    HealthRing counted(3600000, 100, 50);
    for (qint64 i = 0; i < 100000; ++i) {
        counted.add(at(i * 10));
        counted.addEvent(HealthEvent{i * 10, QStringLiteral("e")});
        QVERIFY(counted.samples().size() <= 100 && counted.events().size() <= 50);
    }
    QCOMPARE(counted.samples().front().msecsSinceEpoch, qint64(99900 * 10));
    QCOMPARE(counted.samples().back().msecsSinceEpoch, qint64(99999 * 10));

    HealthRing timed;
    timed.addEvent(HealthEvent{0, QString(5000, QLatin1Char('x'))});
    QCOMPARE(timed.events().front().text.size(), HealthRing::MaxEventText);
    const qint64 start = 1765000000000;
    for (int s = 0; s <= 3 * 3600; ++s)
        timed.add(at(start + s * 1000));
    // The newest and the full hour before it.
    QCOMPARE(timed.samples().size(), size_t(3601));
    QCOMPARE(timed.samples().front().msecsSinceEpoch, start + 2 * 3600 * 1000);
    timed.addEvent(HealthEvent{start + 3600001, QStringLiteral("new")});
    QCOMPARE(timed.events().size(), size_t(1));
}

void HealthCoreTest::clockSteppedBackAndLateEventsKeepTheOrder()
{
    HealthRing ring;
    for (int i = 0; i < 10; ++i)
        ring.add(at(100000 + i * 1000));
    // The clock went back: the samples from its future go.
    ring.add(at(80000));
    ring.add(at(81000));
    ring.add(at(81000)); // equal times are no step back
    QCOMPARE(ring.samples().size(), size_t(3));
    QCOMPARE(ring.sampleRange(0, 200000), std::make_pair(size_t(0), size_t(3)));
    QVERIFY(!ring.nearest(105000, 1000));

    for (const auto &e : {std::make_pair(3000, "c"), std::make_pair(1000, "a"), std::make_pair(2000, "b"),
                          std::make_pair(2000, "b2")})
        ring.addEvent(HealthEvent{e.first, QString::fromLatin1(e.second)});
    QStringList order;
    for (const HealthEvent &e : ring.events())
        order << e.text;
    QCOMPARE(order, (QStringList{"a", "b", "b2", "c"}));
}

void HealthCoreTest::rangesAndNearestSample()
{
    HealthRing ring;
    QVERIFY(!ring.nearest(1000, 1000000));
    for (int i = 1; i <= 5; ++i)
        ring.add(at(i * 1000));
    QCOMPARE(ring.sampleRange(2000, 4000), std::make_pair(size_t(1), size_t(4)));
    QCOMPARE(ring.sampleRange(1500, 4500), std::make_pair(size_t(1), size_t(4)));
    QCOMPARE(ring.sampleRange(0, 999), std::make_pair(size_t(0), size_t(0)));
    QCOMPARE(ring.sampleRange(6000, 9000), std::make_pair(size_t(5), size_t(5)));
    const auto reversed = ring.sampleRange(4000, 2000);
    QCOMPARE(reversed.first, reversed.second);

    QCOMPARE(ring.nearest(3000, 0)->msecsSinceEpoch, qint64(3000));
    QCOMPARE(ring.nearest(3400, 500)->msecsSinceEpoch, qint64(3000));
    QCOMPARE(ring.nearest(3600, 500)->msecsSinceEpoch, qint64(4000));
    QCOMPARE(ring.nearest(0, 1000)->msecsSinceEpoch, qint64(1000));
    QVERIFY(!ring.nearest(3499, 400));
    QVERIFY(!ring.nearest(std::numeric_limits<qint64>::min(), 1000));
}

void HealthCoreTest::aTimeBelongsToTheSampleTakenAfterIt()
{
    HealthRing ring;
    for (const qint64 ms : {1000, 2000, 3010, 9000})
        ring.add(at(ms));
    // Each sample covers the second before it, so a hover and a tool tip at
    // one spot name the same one.
    QCOMPARE(ring.sampleFor(1500)->msecsSinceEpoch, qint64(2000));
    QCOMPARE(ring.sampleFor(2000)->msecsSinceEpoch, qint64(2000));
    QCOMPARE(ring.sampleFor(2001)->msecsSinceEpoch, qint64(3010));
    QVERIFY(!ring.sampleFor(5000));   // in the gap
    QVERIFY(!ring.sampleFor(9001));
    QVERIFY(!ring.sampleFor(std::numeric_limits<qint64>::min()));
}

void HealthCoreTest::anEarlierRunsRecordGoesBeforeTheNewOne()
{
    HealthRing ring(3600000);
    ring.add(at(7200000));
    ring.addEvent(HealthEvent{7200500, QStringLiteral("new")});
    std::vector<HealthSample> older{at(3000000), at(3700000), at(3600500), at(7100000), at(7200000), at(7300000)};
    ring.addOlder(older, {HealthEvent{3000000, QStringLiteral("too old")}, HealthEvent{7000000, QStringLiteral("old")}});
    // Within the hour, before the newest run's first, in time order.
    std::vector<qint64> times;
    for (const HealthSample &s : ring.samples())
        times.push_back(s.msecsSinceEpoch);
    QCOMPARE(times, (std::vector<qint64>{3700000, 7100000, 7200000}));
    QCOMPARE(ring.events().size(), size_t(2));
    QCOMPARE(ring.events().front().text, QStringLiteral("old"));
}

QTEST_GUILESS_MAIN(HealthCoreTest)
#include "tst_HealthCore.moc"
