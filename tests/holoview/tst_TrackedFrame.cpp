#include "QuorixParser.h"
#include "TrackedFrame.h"

#include <QtTest>

using Logic::TrackedFrame;
using Logic::TrackedTarget;

namespace {

const char *const kRotation = "[0 1 0 -1 0 0 0 0 1]";

bool feed(QuorixParser &parser, QByteArray line)
{
    char *cursor = line.data();
    return parser.parseLine(&cursor);
}

TrackedFrame digested(const QList<QByteArray> &lines)
{
    QuorixParser parser;
    for (const QByteArray &line : lines) {
        if (!feed(parser, line))
            qWarning("line refused: %s", line.constData());
    }
    TrackedFrame frame;
    frame.digest(parser);
    return frame;
}

TrackedTarget::Pose pose(double x, double y, double z)
{
    return {x, y, z, 0, 1, 0, -1, 0, 0, 0, 0, 1};
}

} // namespace

class TestTrackedFrame : public QObject
{
    Q_OBJECT

private slots:
    void keys();
    void bodiesAndInertialBodies();
    void posedFamilies();
    void markers();
    void timeStampAndRefill();
    void untrackedTargetsCostNothing();
    void handsAndInertialSwitch();
    void staleFamilies();
};

void TestTrackedFrame::keys()
{
    QCOMPARE(TrackedFrame::key(TrackedTarget::ToolReference, 999), 3999);
    QCOMPARE(TrackedFrame::idOfKey(4007), 7);
    QCOMPARE(TrackedFrame::idOfKey(999), 999);
    // Marker ids run past their thousand; their key stays a marker's.
    QCOMPARE(TrackedFrame::key(TrackedTarget::Marker, 5000), 9000);
    QCOMPARE(TrackedFrame::idOfKey(9000), 5000);
    // Ids that would alias another kind's key get none.
    QCOMPARE(TrackedFrame::key(TrackedTarget::StandardBody, 1000), -1);
    QCOMPARE(TrackedFrame::key(TrackedTarget::Marker, -1), -1);
    QCOMPARE(TrackedFrame::key(TrackedTarget::Marker, std::numeric_limits<int>::max()), -1);
    QCOMPARE(TrackedFrame::key(5, 1), -1);
}

void TestTrackedFrame::bodiesAndInertialBodies()
{
    const TrackedFrame frame = digested({
        QByteArray("6di 4 [0 0 1.0][1 2 3][") + "1 0 0 0 1 0 0 0 1" + "]"
            + "[1 1 1.0][5 6 7]" + kRotation
            + "[2 2 1.0][5 6 7]" + kRotation
            + "[4 -1 1.0][5 6 7]" + kRotation,
        QByteArray("6d 4 [0 1.0][10 20 30]") + kRotation
            + "[1 1.0][1 1 1]" + kRotation
            + "[3 -1.0][1 1 1]" + kRotation
            + "[4 0.0][4 4 4]" + kRotation,
    });
    const TrackedFrame::TargetMap &t = frame.targets();
    // Untracked inertial body 0 gives way to the optical one.
    QCOMPARE(t.at(0).state, int(TrackedTarget::FullPose));
    QCOMPARE(t.at(0).pose, pose(10, 20, 30));
    // Orientation only: no position, and the optical body does not replace it.
    QCOMPARE(t.at(1).state, int(TrackedTarget::OrientationOnly));
    QCOMPARE(t.at(1).pose, pose(0, 0, 0));
    QCOMPARE(t.at(2).state, int(TrackedTarget::FullPose));
    QCOMPARE(t.at(2).pose, pose(5, 6, 7));
    // Body 3 was never tracked, by sensor or camera: nothing to report.
    QVERIFY(!t.count(3));
    // A negative inertial state adds nothing; the optical body 4 fills the key.
    QCOMPARE(t.at(4).state, int(TrackedTarget::FullPose));
    QCOMPARE(t.at(4).pose, pose(4, 4, 4));
    QCOMPARE(t.size(), size_t(4));
    for (const auto &entry : t)
        QCOMPARE(entry.second.kind, int(TrackedTarget::StandardBody));
    // The entries that came from a sensor say so, to be drawn apart.
    QVERIFY(t.at(1).inertial && t.at(2).inertial);
    QVERIFY(!t.at(0).inertial && !t.at(4).inertial);
}

void TestTrackedFrame::posedFamilies()
{
    const TrackedFrame frame = digested({
        QByteArray("6df2 2 2 [0 1.0 0 0][1 2 3]") + kRotation + "[][1 -1.0 0 0][1 2 3]" + kRotation + "[]",
        QByteArray("6dmt2 1 1 [0 0.5 0 2.0][4 5 6]") + kRotation + "[][0 0 0 0 0 0]",
        QByteArray("6dmtr 2 1 [1 1.0][7 8 9]") + kRotation,
    });
    const TrackedFrame::TargetMap &t = frame.targets();
    QCOMPARE(t.size(), size_t(3));
    QCOMPARE(t.at(1000).kind, int(TrackedTarget::Gripwand));
    QCOMPARE(t.at(1000).state, int(TrackedTarget::FullPose));
    QCOMPARE(t.at(1000).pose, pose(1, 2, 3));
    QCOMPARE(t.at(2000).kind, int(TrackedTarget::MeasurementTool));
    QCOMPARE(t.at(2000).pose, pose(4, 5, 6));
    QCOMPARE(t.at(3001).kind, int(TrackedTarget::ToolReference));
    QCOMPARE(t.at(3001).state, int(TrackedTarget::FullPose));
    QCOMPARE(t.at(3001).pose, pose(7, 8, 9));
    // Gripwand 1 and reference 0 were never tracked.
    QVERIFY(!t.count(1001) && !t.count(3000));
}

void TestTrackedFrame::untrackedTargetsCostNothing()
{
    // One body with id 999 makes the parser hold 1000 records; the frame
    // carries the tracked ones, and the ones lost since they were tracked.
    QuorixParser parser;
    QByteArray line = "6d 21";
    for (int id = 0; id < 20; ++id)
        line += " [" + QByteArray::number(id) + " 1.0][1 2 3]" + kRotation;
    line += QByteArray(" [999 1.0][9 9 9]") + kRotation;
    QVERIFY(feed(parser, line));
    QCOMPARE(parser.bodyCount(), 1000);
    TrackedFrame frame;
    frame.digest(parser);
    QCOMPARE(frame.targets().size(), size_t(21));

    QVERIFY(feed(parser, QByteArray("6d 1 [3 1.0][1 2 3]") + kRotation));
    frame.digest(parser);
    QCOMPARE(frame.targets().size(), size_t(21));
    QCOMPARE(frame.targets().at(999).state, int(TrackedTarget::NotTracked));
    QCOMPARE(frame.targets().at(3).state, int(TrackedTarget::FullPose));
    QCOMPARE(parser.bodyIdsOfLine(), std::vector<int>{3});
    QCOMPARE(parser.body(999)->quality, -1.0);

    // A cut line keeps what it wrote whole; the body it broke off in is not tracked.
    QVERIFY(!feed(parser, QByteArray("6d 2 [998 1.0][1 2 3]") + kRotation + " [3 1.0][1 2"));
    QCOMPARE(parser.body(998)->quality, 1.0);
    QCOMPARE(parser.body(3)->quality, -1.0);
    frame.digest(parser);
    QCOMPARE(frame.targets().size(), size_t(22));
    QCOMPARE(frame.targets().at(3).state, int(TrackedTarget::NotTracked));
    QCOMPARE(frame.targets().at(998).state, int(TrackedTarget::FullPose));

    // The same for the families indexed by place.
    QVERIFY(feed(parser, QByteArray("6df2 3 3 [0 1.0 0 0][1 2 3]") + kRotation + "[] [1 -1.0 0 0][1 2 3]" + kRotation
                             + "[] [2 -1.0 0 0][1 2 3]" + kRotation + "[]"));
    frame.digest(parser);
    QVERIFY(frame.targets().count(1000) && !frame.targets().count(1001));
    QVERIFY(feed(parser, QByteArray("6df2 3 0")));
    frame.digest(parser);
    QCOMPARE(frame.targets().at(1000).state, int(TrackedTarget::NotTracked));
    QVERIFY(!frame.targets().count(1002));
}

void TestTrackedFrame::markers()
{
    const TrackedFrame frame = digested({
        "3d 5 [7 1.0][1 2 3] [8 -1.0][4 5 6] [7 0.0][9 9 9] [5000 1.0][1 1 1] [-2 1.0][3 3 3]",
    });
    const TrackedFrame::TargetMap &t = frame.targets();
    // The later marker with id 7 replaces the earlier one.
    QCOMPARE(t.at(4007).state, int(TrackedTarget::PositionOnly));
    QCOMPARE(t.at(4007).kind, int(TrackedTarget::Marker));
    QCOMPARE(t.at(4007).pose, (TrackedTarget::Pose{9, 9, 9, 1, 0, 0, 0, 1, 0, 0, 0, 1}));
    QCOMPARE(t.at(4008).state, int(TrackedTarget::NotTracked));
    QVERIFY(t.count(9000));
    // A negative id would take a tool reference's key.
    QVERIFY(!t.count(3998));
    QCOMPARE(t.size(), size_t(3));
}

void TestTrackedFrame::timeStampAndRefill()
{
    QuorixParser parser;
    TrackedFrame frame;
    QVERIFY(feed(parser, "ts 12.5"));
    QVERIFY(feed(parser, "3d 1 [1 1.0][1 2 3]"));
    frame.digest(parser);
    QCOMPARE(frame.timeStamp(), 12.5);
    QVERIFY(frame.targets().count(4001));

    // No time stamp since: the frame keeps its own. The map is refilled, not merged.
    parser.resetFrame();
    QVERIFY(feed(parser, "3d 1 [2 1.0][1 2 3]"));
    frame.digest(parser);
    QCOMPARE(frame.timeStamp(), 12.5);
    QVERIFY(!frame.targets().count(4001));
    QVERIFY(frame.targets().count(4002));
}

void TestTrackedFrame::handsAndInertialSwitch()
{
    QuorixParser parser;
    const QByteArray pose = "[1 2 3]" + QByteArray(kRotation);
    QVERIFY(feed(parser, "gl 2 [0 1.0 1 2][100 200 300]" + QByteArray(kRotation) + pose + "[0 0 0 0 0 0][7 8 9]"
                             + kRotation + "[0 0 0 0 0 0] [2 -1.0 0 0][0 0 0]" + kRotation));
    QVERIFY(feed(parser, "6di 1 [3 2 1.0][5 6 7]" + QByteArray(kRotation)));
    QVERIFY(feed(parser, "6d 1 [3 1.0][1 1 1]" + QByteArray(kRotation)));
    TrackedFrame frame;
    frame.digest(parser);
    const TrackedFrame::HandMap &hands = frame.hands();
    QCOMPARE(hands.size(), size_t(1));  // hands 1 and 2 were never tracked
    QVERIFY(hands.at(0).tracked);
    QCOMPARE(hands.at(0).side, 1);
    QCOMPARE(hands.at(0).pose[2], 300.0);
    QCOMPARE(hands.at(0).fingers, 2);
    QCOMPARE(hands.at(0).tips[1], (std::array<double, 3>{7, 8, 9}));
    QVERIFY(frame.targets().at(3).inertial);

    // Inertial bodies left out: the optical body of the same id shows.
    frame.digest(parser, false);
    QVERIFY(!frame.targets().at(3).inertial);
    QCOMPARE(frame.targets().at(3).pose[0], 1.0);
}

void TestTrackedFrame::staleFamilies()
{
    QCOMPARE(TrackedFrame::familyOfLineKey("6d"), int(TrackedFrame::Bodies));
    QCOMPARE(TrackedFrame::familyOfLineKey("6dmt2"), int(TrackedFrame::Tools));
    QCOMPARE(TrackedFrame::familyOfLineKey("gl"), int(TrackedFrame::Hands));
    QCOMPARE(TrackedFrame::familyOfLineKey("fr"), -1);
    QCOMPARE(TrackedFrame::familyOfLineKey(nullptr), -1);

    TrackedFrame frame = digested({
        QByteArray("6d 1 [0 1.0][1 1 1]") + kRotation,
        QByteArray("6di 1 [1 2 1.0][1 1 1]") + kRotation,
        "3d 1 [7 1.0][1 2 3]",
        QByteArray("gl 1 [0 1.0 0 0][1 1 1]") + kRotation,
    });
    frame.markNotTracked(1U << TrackedFrame::Bodies | 1U << TrackedFrame::Hands);
    QCOMPARE(frame.targets().at(0).state, int(TrackedTarget::NotTracked));
    QCOMPARE(frame.targets().at(1).state, int(TrackedTarget::FullPose));  // the sensor still reports
    QCOMPARE(frame.targets().at(4007).state, int(TrackedTarget::PositionOnly));
    QVERIFY(!frame.hands().at(0).tracked);
}

QTEST_MAIN(TestTrackedFrame)
#include "tst_TrackedFrame.moc"
