// Frame-number arithmetic, the status text parser and the bounded hour in memory.
#include "FrameCounter.h"
#include "HealthRing.h"
#include "StatusSnapshot.h"

#include <QRandomGenerator>
#include <QThread>
#include <QtTest>

#include <atomic>

using namespace Health;

Q_DECLARE_METATYPE(QVector<quint32>)

namespace {

HealthSample sampleAt(qint64 ms)
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
    void frameLinesAreRecognised_data();
    void frameLinesAreRecognised();
    void lostFramesFollowTheNumbers_data();
    void lostFramesFollowTheNumbers();
    void resetStartsANewRunAndTakeZeroes();
    void producerAndTakeAtOnceLoseNoCounts();

    void statusTextGivesEveryValue();
    void badStatusValuesAreUnknown();
    void anyBytesAreSafeForTheStatusParser();

    void ringStaysWithinItsCountWhateverTheRunLength();
    void ringKeepsOnlyItsTimeSpan();
    void eventsAreBoundedCutAndKeptInOrder();
    void clockSteppedBackKeepsSearchesWorking();
    void rangesIncludeBothEnds();
    void nearestSampleWithinReach();
};

void HealthCoreTest::frameLinesAreRecognised_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<quint32>("number");
    QTest::newRow("plain") << QByteArray("fr 123") << true << 123u;
    QTest::newRow("zero") << QByteArray("fr 0") << true << 0u;
    QTest::newRow("largest") << QByteArray("fr 4294967295") << true << 4294967295u;
    QTest::newRow("line end") << QByteArray("fr 17\r\n") << true << 17u;
    QTest::newRow("beyond 32 bits") << QByteArray("fr 4294967296") << false << 0u;
    QTest::newRow("no number") << QByteArray("fr ") << false << 0u;
    QTest::newRow("word only") << QByteArray("fr") << false << 0u;
    QTest::newRow("negative") << QByteArray("fr -1") << false << 0u;
    QTest::newRow("trailing letters") << QByteArray("fr 12a") << false << 0u;
    QTest::newRow("other key") << QByteArray("frx 12") << false << 0u;
    QTest::newRow("other line") << QByteArray("ts 12.5") << false << 0u;
    QTest::newRow("empty") << QByteArray("") << false << 0u;
}

void HealthCoreTest::frameLinesAreRecognised()
{
    QFETCH(QByteArray, line);
    QFETCH(bool, ok);
    QFETCH(quint32, number);
    quint32 got = 99;
    QCOMPARE(parseFrameLine(line.constData(), &got), ok);
    if (ok)
        QCOMPARE(got, number);
    else
        QCOMPARE(got, 99u);
    QVERIFY(!parseFrameLine(nullptr, &got));
}

void HealthCoreTest::lostFramesFollowTheNumbers_data()
{
    QTest::addColumn<QVector<quint32>>("numbers");
    QTest::addColumn<qint64>("lost");
    QTest::newRow("first frame loses nothing") << QVector<quint32>{5000} << qint64(0);
    QTest::newRow("consecutive") << QVector<quint32>{1, 2, 3, 4} << qint64(0);
    QTest::newRow("gaps") << QVector<quint32>{10, 11, 15, 16, 20} << qint64(3 + 3);
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
    // The new run's first frame is not compared with the old run's last.
    counter.frame(500);
    counter.frame(502);
    FrameCounter::Counts c = counter.take();
    QCOMPARE(c.lines, 4);
    QCOMPARE(c.lost, qint64(2));
    c = counter.take();
    QCOMPARE(c.lines, 0);
    QCOMPARE(c.lost, qint64(0));
    // A take does not forget the last number: the next gap still counts.
    counter.frame(505);
    QCOMPARE(counter.take().lost, qint64(2));
}

void HealthCoreTest::producerAndTakeAtOnceLoseNoCounts()
{
    FrameCounter counter;
    const quint32 frames = 200000;
    std::atomic<bool> done{false};
    qint64 skipped = 0;
    QThread *producer = QThread::create([&] {
        quint32 n = 0;
        for (quint32 i = 0; i < frames; ++i) {
            counter.frame(n);
            // Every seventh frame one number is missing.
            n += (i % 7 == 6) ? 2 : 1;
        }
        done = true;
    });
    for (quint32 i = 0; i < frames; ++i)
        if (i % 7 == 6 && i + 1 < frames)
            ++skipped;
    qint64 lines = 0;
    qint64 lost = 0;
    producer->start();
    while (!done) {
        const FrameCounter::Counts c = counter.take();
        lines += c.lines;
        lost += c.lost;
    }
    QVERIFY(producer->wait(60000));
    delete producer;
    const FrameCounter::Counts c = counter.take();
    lines += c.lines;
    lost += c.lost;
    QCOMPARE(lines, qint64(frames));
    QCOMPARE(lost, skipped);
}

void HealthCoreTest::statusTextGivesEveryValue()
{
    const StatusSnapshot s =
        parseStatusSnapshot("active=mea;frequency=59.94;bodies=2;markers=6;frames_lost=0;rays=12/10,11/9,-/-,8/8");
    QCOMPARE(s.active, QByteArray("mea"));
    QCOMPARE(s.frequency, 59.94);
    QCOMPARE(s.bodies, 2);
    QCOMPARE(s.markers, 6);
    QCOMPARE(s.framesLost, 0);
    const QVector<CameraRays> rays{{12, 10}, {11, 9}, {-1, -1}, {8, 8}};
    QCOMPARE(s.rays, rays);

    // Any order, missing keys unknown, unknown keys ignored.
    const StatusSnapshot t = parseStatusSnapshot("colour=blue;markers=3;active=wait;future=1=2");
    QCOMPARE(t.active, QByteArray("wait"));
    QCOMPARE(t.markers, 3);
    QCOMPARE(t.frequency, -1.0);
    QCOMPARE(t.bodies, -1);
    QCOMPARE(t.framesLost, -1);
    QVERIFY(t.rays.isEmpty());
}

void HealthCoreTest::badStatusValuesAreUnknown()
{
    const StatusSnapshot s = parseStatusSnapshot(
        "active=bogus;frequency=nan;bodies=-3;markers=99999999999;frames_lost=2x;rays=12/10,,x/3,7");
    QVERIFY(s.active.isEmpty());
    QCOMPARE(s.frequency, -1.0);
    QCOMPARE(s.bodies, -1);
    QCOMPARE(s.markers, -1);
    QCOMPARE(s.framesLost, -1);
    // A camera that does not read keeps its place.
    const QVector<CameraRays> rays{{12, 10}, {-1, -1}, {-1, 3}, {-1, -1}};
    QCOMPARE(s.rays, rays);

    for (const char *frequency : {"frequency=-1", "frequency=inf", "frequency=", "frequency=-", "frequency=1,5",
                                  "frequency=0x10"})
        QCOMPARE(parseStatusSnapshot(frequency).frequency, -1.0);
    QCOMPARE(parseStatusSnapshot("rays=-").rays.size(), 0);
    QCOMPARE(parseStatusSnapshot("bodies=-").bodies, -1);
    QCOMPARE(parseStatusSnapshot("bodies=1;bodies=4").bodies, 4);
}

void HealthCoreTest::anyBytesAreSafeForTheStatusParser()
{
    // More cameras than any system: cut, so a broken message cannot grow every sample.
    QByteArray many = "rays=";
    for (int i = 0; i < 5000; ++i)
        many += "1/1,";
    QCOMPARE(parseStatusSnapshot(many).rays.size(), MaxCameras);

    QCOMPARE(parseStatusSnapshot(QByteArray("bodies=2\0;markers=3", 19)).markers, 3);
    for (const char *text : {"", ";", "=", "==;;", "rays=/", "rays=,,,", "rays=1/", "rays=/1", "active="})
        parseStatusSnapshot(text);

    QRandomGenerator random(4711);
    const QByteArray alphabet("active=frequency;bodies,markers/frames_lost rays-0123456789.\0\xff", 62);
    for (int round = 0; round < 20000; ++round) {
        QByteArray text;
        const int length = int(random.bounded(80));
        for (int i = 0; i < length; ++i)
            text += alphabet.at(int(random.bounded(alphabet.size())));
        const StatusSnapshot s = parseStatusSnapshot(text);
        QVERIFY(s.active.isEmpty() || isKnownState(s.active));
        QVERIFY(s.bodies >= -1 && s.markers >= -1 && s.framesLost >= -1);
        QVERIFY(s.rays.size() <= MaxCameras);
    }
}

void HealthCoreTest::ringStaysWithinItsCountWhateverTheRunLength()
{
    HealthRing ring(3600000, 100, 50);
    for (qint64 i = 0; i < 100000; ++i) {
        ring.add(sampleAt(i * 10));
        ring.addEvent(HealthEvent{i * 10, QStringLiteral("e")});
        QVERIFY(ring.samples().size() <= 100);
        QVERIFY(ring.events().size() <= 50);
    }
    QCOMPARE(ring.samples().size(), size_t(100));
    QCOMPARE(ring.samples().back().msecsSinceEpoch, qint64(99999 * 10));
    QCOMPARE(ring.samples().front().msecsSinceEpoch, qint64(99900 * 10));
    QCOMPARE(ring.events().front().msecsSinceEpoch, qint64(99950 * 10));
}

void HealthCoreTest::ringKeepsOnlyItsTimeSpan()
{
    HealthRing ring;
    const qint64 start = 1765000000000;
    for (int s = 0; s <= 3 * 3600; ++s)
        ring.add(sampleAt(start + s * 1000));
    QCOMPARE(ring.samples().back().msecsSinceEpoch, start + 3 * 3600 * 1000);
    // The newest and the full hour before it.
    QCOMPARE(ring.samples().front().msecsSinceEpoch, start + 2 * 3600 * 1000);
    QCOMPARE(ring.samples().size(), size_t(3601));
    // Events older than the newest event's hour go as well.
    ring.addEvent(HealthEvent{start, QStringLiteral("old")});
    ring.addEvent(HealthEvent{start + 3600001, QStringLiteral("new")});
    QCOMPARE(ring.events().size(), size_t(1));
    QCOMPARE(ring.events().front().text, QStringLiteral("new"));
}

void HealthCoreTest::eventsAreBoundedCutAndKeptInOrder()
{
    HealthRing ring;
    ring.addEvent(HealthEvent{3000, QString(5000, QLatin1Char('x'))});
    QCOMPARE(ring.events().front().text.size(), HealthRing::MaxEventText);
    ring.addEvent(HealthEvent{1000, QStringLiteral("a")});
    ring.addEvent(HealthEvent{2000, QStringLiteral("b")});
    ring.addEvent(HealthEvent{2000, QStringLiteral("c")});
    QStringList order;
    for (const HealthEvent &e : ring.events())
        order << e.text.left(1);
    QCOMPARE(order, (QStringList{"a", "b", "c", "x"}));
    QCOMPARE(ring.eventRange(2000, 2000), std::make_pair(size_t(1), size_t(3)));
}

void HealthCoreTest::clockSteppedBackKeepsSearchesWorking()
{
    HealthRing ring;
    for (int i = 0; i < 10; ++i)
        ring.add(sampleAt(100000 + i * 1000));
    // The clock went back half a minute: the samples from its future are gone.
    ring.add(sampleAt(80000));
    ring.add(sampleAt(81000));
    QCOMPARE(ring.samples().size(), size_t(2));
    QCOMPARE(ring.samples().front().msecsSinceEpoch, qint64(80000));
    QCOMPARE(ring.sampleRange(0, 200000), std::make_pair(size_t(0), size_t(2)));
    QVERIFY(ring.nearest(105000, 1000) == nullptr);
    QCOMPARE(ring.nearest(81200, 1000)->msecsSinceEpoch, qint64(81000));
    // Equal times are no step back.
    ring.add(sampleAt(81000));
    QCOMPARE(ring.samples().size(), size_t(3));
}

void HealthCoreTest::rangesIncludeBothEnds()
{
    HealthRing ring;
    for (int i = 1; i <= 5; ++i)
        ring.add(sampleAt(i * 1000));
    QCOMPARE(ring.sampleRange(2000, 4000), std::make_pair(size_t(1), size_t(4)));
    QCOMPARE(ring.sampleRange(1500, 4500), std::make_pair(size_t(1), size_t(4)));
    QCOMPARE(ring.sampleRange(0, 999), std::make_pair(size_t(0), size_t(0)));
    QCOMPARE(ring.sampleRange(6000, 9000), std::make_pair(size_t(5), size_t(5)));
    const auto reversed = ring.sampleRange(4000, 2000);
    QCOMPARE(reversed.first, reversed.second);
    QCOMPARE(ring.eventRange(0, 10000), std::make_pair(size_t(0), size_t(0)));
    ring.clear();
    QVERIFY(ring.samples().empty());
    QCOMPARE(ring.sampleRange(0, 10000), std::make_pair(size_t(0), size_t(0)));
}

void HealthCoreTest::nearestSampleWithinReach()
{
    HealthRing ring;
    QVERIFY(ring.nearest(1000, 1000000) == nullptr);
    for (int i = 1; i <= 5; ++i)
        ring.add(sampleAt(i * 1000));
    QCOMPARE(ring.nearest(3000, 0)->msecsSinceEpoch, qint64(3000));
    QCOMPARE(ring.nearest(3400, 500)->msecsSinceEpoch, qint64(3000));
    QCOMPARE(ring.nearest(3600, 500)->msecsSinceEpoch, qint64(4000));
    QCOMPARE(ring.nearest(0, 1000)->msecsSinceEpoch, qint64(1000));
    QCOMPARE(ring.nearest(5900, 1000)->msecsSinceEpoch, qint64(5000));
    QVERIFY(ring.nearest(3500 - 1, 400) == nullptr);
    QVERIFY(ring.nearest(9000, 1000) == nullptr);
    QVERIFY(ring.nearest(std::numeric_limits<qint64>::min(), 1000) == nullptr);
}

QTEST_GUILESS_MAIN(HealthCoreTest)
#include "tst_HealthCore.moc"
