#include "QuorixParser.h"

#include <QtTest>

#include <cmath>
#include <cstring>
#include <memory>
#include <random>

namespace {

QByteArray g_damaged;  // a line the parser did not give back intact
const char *kRotation = "[1 0 0 0 1 0 0 0 1]";

// Parses a copy of the text in a buffer of exactly its size, so that a read past
// the line's end lands outside the allocation, and checks that the parser gave
// every bracket back.
bool parse(QuorixParser &parser, const QByteArray &text, const char **stop = nullptr)
{
    const size_t size = static_cast<size_t>(text.size()) + 1;
    std::unique_ptr<char[]> buffer(new char[size]);
    std::memcpy(buffer.get(), text.constData(), size);
    char *cursor = buffer.get();
    const bool ok = parser.parseLine(&cursor);
    if (std::memcmp(buffer.get(), text.constData(), size) != 0
        || cursor < buffer.get() || cursor > buffer.get() + size - 1)
        g_damaged = text;
    if (stop)
        *stop = text.constData() + (cursor - buffer.get());
    return ok;
}

bool group(const char *text, const char *code, int *ints, int nInts, double *doubles, int nReals,
           float *floats = nullptr, QByteArray *rest = nullptr)
{
    QByteArray buffer(text);
    char *cursor = buffer.data();
    const bool ok = QuorixParser::readGroup(&cursor, code, ints, nInts, doubles, floats, nReals);
    if (buffer != QByteArray(text))
        g_damaged = text;
    if (rest)
        *rest = QByteArray(cursor);
    return ok;
}

QByteArray body(int id, double quality, double x = 1, double y = 2, double z = 3)
{
    return QByteArray("[") + QByteArray::number(id) + ' ' + QByteArray::number(quality) + "]["
        + QByteArray::number(x) + ' ' + QByteArray::number(y) + ' ' + QByteArray::number(z) + ']' + kRotation;
}

} // namespace

class TestQuorixParser : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        const QByteArray damaged = g_damaged;
        g_damaged.clear();
        QVERIFY2(damaged.isNull(), damaged.constData());
    }
    void groupReader();
    void groupReaderRejects_data();
    void groupReaderRejects();
    void keysAndFrameValues();
    void bodiesResetAndGrow();
    void gripwandButtonsAndIdChecks();
    void gripwandsLeftOutAreNotTracked();
    void measurementTools();
    void idIndexedFamilies();
    void markersByPosition();
    void hugeCountsAllocateNothing();
    void finishFrameUsesCalibratedCounts();
    void badRecordsAreLeftOutAlone();
    void longLinesAndDamagedLines();
};

void TestQuorixParser::groupReader()
{
    int ints[5] = {};
    double doubles[3] = {};
    float floats[3] = {};
    QByteArray rest;

    QVERIFY(group(" x [1 2.5 7] tail", "id", ints, 5, doubles, 3, nullptr, &rest));
    QCOMPARE(ints[0], 1);
    QCOMPARE(doubles[0], 2.5);
    QCOMPARE(rest, QByteArray(" tail"));

    // Base 0 as in C: hexadecimal, octal, and "08" as octal 0 followed by 8.
    QVERIFY(group("[0x10 010 -7 08]", "iiiii", ints, 5, doubles, 0));
    QCOMPARE(ints[0], 16);
    QCOMPARE(ints[1], 8);
    QCOMPARE(ints[2], -7);
    QCOMPARE(ints[3], 0);
    QCOMPARE(ints[4], 8);

    // "d" and "f" share one position count.
    doubles[1] = 99;
    QVERIFY(group("[1.5 2.25 -3e2]", "dfd", ints, 0, doubles, 3, floats));
    QCOMPARE(doubles[0], 1.5);
    QCOMPARE(floats[1], 2.25f);
    QCOMPARE(doubles[2], -300.0);
    QCOMPARE(doubles[1], 99.0);

    // The C library's forms of a double, whatever the process locale.
    QVERIFY(group("[0x1.8p1 .5 1e-400]", "ddd", ints, 0, doubles, 3));
    QCOMPARE(doubles[0], 3.0);
    QCOMPARE(doubles[1], 0.5);
    QCOMPARE(doubles[2], 0.0);

    QVERIFY(group("[]", "", ints, 0, doubles, 0));
}

void TestQuorixParser::groupReaderRejects_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("code");
    QTest::newRow("too few values") << QByteArray("[1]") << QByteArray("id");
    QTest::newRow("no opening bracket") << QByteArray("1 2.5]") << QByteArray("id");
    QTest::newRow("unclosed") << QByteArray("[1 2.5") << QByteArray("id");
    QTest::newRow("empty code needs a group") << QByteArray("  ") << QByteArray("");
    QTest::newRow("unknown letter") << QByteArray("[1 2]") << QByteArray("ix");
    QTest::newRow("value after the bracket") << QByteArray("[1]2") << QByteArray("ii");
    QTest::newRow("bracket inside") << QByteArray("[1 [2 3]") << QByteArray("ii");
    QTest::newRow("int overflow") << QByteArray("[2147483648]") << QByteArray("i");
    QTest::newRow("beyond 64 bits") << QByteArray("[0x1ffffffffffffffff]") << QByteArray("i");
    QTest::newRow("double overflow") << QByteArray("[1e400]") << QByteArray("d");
    QTest::newRow("nan") << QByteArray("[nan]") << QByteArray("d");
    QTest::newRow("infinity") << QByteArray("[-inf]") << QByteArray("d");
    // Finite, but beyond what the scene's floats can hold.
    QTest::newRow("beyond float") << QByteArray("[1e300]") << QByteArray("d");
    QTest::newRow("beyond float, negative") << QByteArray("[-3.5e38]") << QByteArray("d");
    QTest::newRow("0x is zero then x") << QByteArray("[0x 1]") << QByteArray("ii");
    QTest::newRow("slots exhausted") << QByteArray("[1 2 3]") << QByteArray("iii");
}

void TestQuorixParser::groupReaderRejects()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, code);
    int ints[2] = {};
    double doubles[2] = {};
    QVERIFY(!group(text.constData(), code.constData(), ints, 2, doubles, 2));
}

void TestQuorixParser::keysAndFrameValues()
{
    QuorixParser parser;
    QVERIFY(parse(parser, "6d 1 " + body(0, 1.0)));
    // Unknown first words and keys without their blank change nothing.
    for (const char *line : {"6dx 1 [0 1.0]", "6d", "", " 6d 0", "6D 0", "fr"})
        QVERIFY2(parse(parser, line), line);
    QCOMPARE(parser.bodyCount(), 1);
    QCOMPARE(parser.body(0)->quality, 1.0);
    // "6df2 " is not "6df ": the old format would fail on this line.
    QVERIFY(parse(parser, "6df2 1 1 [0 1.0 0 0][0 0 0]" + QByteArray(kRotation) + "[]"));
    QCOMPARE(parser.oldFormatGripwandCount(), 0);
    QVERIFY(!parser.parseLine(nullptr));
    char *null = nullptr;
    QVERIFY(!parser.parseLine(&null));

    const QByteArray withRest = "fr 0x20 rest";
    const char *stop = nullptr;
    QVERIFY(parse(parser, withRest, &stop));
    QCOMPARE(QByteArray(stop), QByteArray(" rest"));
    QCOMPARE(parser.frameCounter(), 32u);
    QVERIFY(parse(parser, "fr 4294967295"));
    QCOMPARE(parser.frameCounter(), 4294967295u);
    for (const char *bad : {"fr x", "fr 4294967296", "fr -1"}) {
        QVERIFY(parse(parser, "fr 5"));
        QVERIFY2(!parse(parser, bad), bad);
        QCOMPARE(parser.frameCounter(), 0u);
    }
    QVERIFY(parse(parser, "ts 12.125"));
    QCOMPARE(parser.timeStamp(), 12.125);
    for (const char *bad : {"ts nan", "ts "}) {
        QVERIFY(parse(parser, "ts 3"));
        QVERIFY2(!parse(parser, bad), bad);
        QCOMPARE(parser.timeStamp(), -1.0);
    }
}

void TestQuorixParser::bodiesResetAndGrow()
{
    QuorixParser parser;
    QVERIFY(parse(parser, "6d 1 " + body(3, 1.0, 10, 20, 30)));
    QCOMPARE(parser.bodyCount(), 4);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(parser.body(i)->id, i);
        QCOMPARE(parser.body(i)->quality, -1.0);
    }
    QCOMPARE(parser.body(3)->position[2], 30.0);
    QCOMPARE(parser.body(3)->rotation[4], 1.0);
    QVERIFY(!parser.body(4));
    QVERIFY(!parser.body(-1));

    // Bodies the line does not name become not tracked; the count stays.
    QVERIFY(parse(parser, "6d 1 " + body(1, 0.5)));
    QCOMPARE(parser.bodyCount(), 4);
    QCOMPARE(parser.body(3)->quality, -1.0);
    QCOMPARE(parser.body(3)->position[2], 0.0);
    QVERIFY(parse(parser, "6d -5 " + body(1, 0.5)));
    QCOMPARE(parser.body(1)->quality, -1.0);

    QVERIFY(!parse(parser, "6d 1 " + body(-1, 1.0)));
    QVERIFY(!parse(parser, "6d 1 " + body(QuorixParser::MaxTargets, 1.0)));
    QVERIFY(!parse(parser, "6d 3 " + body(0, 1.0) + body(1, 1.0)));
    QVERIFY(!parse(parser, "6d 99999999999 " + body(0, 1.0)));
    QCOMPARE(parser.bodyCount(), 4);
}

void TestQuorixParser::gripwandButtonsAndIdChecks()
{
    QuorixParser parser;
    const QByteArray pose = "[1 2 3]" + QByteArray(kRotation);
    // Old format, bt = 0xa5: buttons 0, 2, 5, 7; bit 5 wins over bit 7 for
    // controller 0. 0x50: bit 4 wins over bit 6 for controller 1.
    QVERIFY(parse(parser, "6df 2 [0 1.0 0xa5]" + pose + "[1 0.5 0x50]" + pose));
    QCOMPARE(parser.oldFormatGripwandCount(), 2);
    const QuorixParser::GripwandRecord *g = parser.gripwand(0);
    QCOMPARE(g->numButtons, 8);
    const int expected[8] = {1, 0, 1, 0, 0, 1, 0, 1};
    for (int j = 0; j < 8; ++j)
        QCOMPARE(g->buttons[j], expected[j]);
    QCOMPARE(g->controllers[0], -1.0);
    QCOMPARE(g->controllers[1], 0.0);
    QCOMPARE(parser.gripwand(1)->controllers[0], 0.0);
    QCOMPARE(parser.gripwand(1)->controllers[1], -1.0);
    QVERIFY(parse(parser, "6df 1 [0 1.0 0xc0]" + pose));
    QCOMPARE(parser.gripwand(0)->controllers[0], 1.0);
    QCOMPARE(parser.gripwand(0)->controllers[1], 1.0);

    // New format: 3 buttons from one word, then 2 controller values.
    QVERIFY(parse(parser, "6df2 2 2 [0 1.0 3 2]" + pose + "[0xd 0.25 -0.5] [1 0.75 0 0]" + pose + "[]"));
    g = parser.gripwand(0);
    QCOMPARE(g->numButtons, 3);
    QCOMPARE(g->buttons[0], 1);
    QCOMPARE(g->buttons[1], 0);
    QCOMPARE(g->buttons[2], 1);
    QCOMPARE(g->buttons[3], 0);  // beyond the announced buttons
    QCOMPARE(g->controllers[1], -0.5);
    QCOMPARE(parser.gripwand(1)->quality, 0.75);

    const QList<QByteArray> rejected = {
        "6df 2 [1 1.0 0]" + pose,                                  // must start at 0
        "6df2 2 1 [1 1.0 0 0]" + pose + "[]",
        "6df2 1 1 [0 1.0 9 0]" + pose + "[0]",                     // more than 8 buttons
        "6df2 1 1 [0 1.0 -1 0]" + pose + "[0]",
        "6df2 1 1 [0 1.0 0 9]" + pose + "[1 2 3 4 5 6 7 8 9]",     // more than 8 controllers
        "6df2 1 2 [0 1.0 0 0]" + pose + "[][1 1.0 0 0]" + pose + "[]",  // more in the line than defined
        "6df2 1 1 [0 1.0 0 2]" + pose + "[0.5]",
        "6df2 1 1 [0 1.0 0 0]" + pose,                             // the empty group is still needed
    };
    for (const QByteArray &line : rejected)
        QVERIFY2(!parse(parser, line), line.constData());
}

void TestQuorixParser::gripwandsLeftOutAreNotTracked()
{
    QuorixParser parser;
    const QByteArray pose = "[1 2 3]" + QByteArray(kRotation);
    const QByteArray both = "6df2 2 2 [0 1.0 0 0]" + pose + "[] [1 1.0 1 0]" + pose + "[1]";
    QVERIFY(parse(parser, both));
    QVERIFY(parse(parser, "6df2 2 1 [0 1.0 0 0]" + pose + "[]"));
    QCOMPARE(parser.gripwandCount(), 2);
    QCOMPARE(parser.gripwand(1)->quality, -1.0);
    QCOMPARE(parser.gripwand(1)->buttons[0], 0);

    // Shrinking and growing again exposes fresh records, not old ones.
    QVERIFY(parse(parser, both));
    QVERIFY(parse(parser, "6df2 1 1 [0 1.0 0 0]" + pose + "[]"));
    QVERIFY(!parser.gripwand(1));
    QVERIFY(!parse(parser, "6df 2 [0 1.0 0]" + pose));
    QCOMPARE(parser.gripwand(1)->quality, -1.0);
}

void TestQuorixParser::measurementTools()
{
    QuorixParser parser;
    const QByteArray pose = "[1 2 3]" + QByteArray(kRotation);
    QVERIFY(parse(parser, "6dmt 1 [0 1.0 0x1f]" + pose));
    QCOMPARE(parser.oldFormatToolCount(), 1);
    for (int j = 0; j < 16; ++j)
        QCOMPARE(parser.measurementTool(0)->buttons[j], j < 4 ? 1 : 0);

    // Twenty announced buttons are cut to the sixteen slots.
    QVERIFY(parse(parser, "6dmt2 5 2 [0 1.0 20 2.5]" + pose + "[0xfffff][1 2 3 4 5 6]"
                              + "[1 0.5 2 1.5]" + pose + "[3][6 5 4 3 2 1]"));
    QCOMPARE(parser.oldFormatToolCount(), 0);
    const QuorixParser::MeasurementToolRecord *t = parser.measurementTool(0);
    QCOMPARE(t->numButtons, 16);
    QCOMPARE(t->buttons[15], 1);
    QCOMPARE(t->tipRadius, 2.5);
    QCOMPARE(t->tipCovariance[5], 6.0);
    t = parser.measurementTool(1);
    QCOMPARE(t->buttons[1], 1);
    QCOMPARE(t->buttons[2], 0);
    QCOMPARE(t->tipCovariance[0], 6.0);

    QVERIFY(parse(parser, "6dmt2 1 1 [0 1.0 0 1]" + pose + "[][1 2 3 4 5 6]"));
    QVERIFY(!parse(parser, "6dmt2 1 1 [1 1.0 0 1]" + pose + "[][1 2 3 4 5 6]"));
    QVERIFY(!parse(parser, "6dmt2 1 1 [0 1.0 -3 1]" + pose + "[][1 2 3 4 5 6]"));
    QVERIFY(!parse(parser, "6dmt 1 [1 1.0 0]" + pose));
}

void TestQuorixParser::idIndexedFamilies()
{
    QuorixParser parser;
    const QByteArray pose = "[7 8 9]" + QByteArray(kRotation);

    // Tool references: 0 <= id < defined; the id field keeps the index.
    QVERIFY(parse(parser, "6dmtr 3 1 [2 0.5]" + pose));
    QCOMPARE(parser.toolReferenceCount(), 3);
    QCOMPARE(parser.toolReference(0)->quality, -1.0);
    QCOMPARE(parser.toolReference(2)->quality, 0.5);
    QCOMPARE(parser.toolReference(2)->position[0], 7.0);
    QVERIFY(!parse(parser, "6dmtr 3 1 [3 0.5]" + pose));
    QVERIFY(!parse(parser, "6dmtr 3 1 [-1 0.5]" + pose));

    // Hands: finger values are kept in the order a0 a1 a3 a5 a2 a4.
    QVERIFY(parse(parser, "gl 1 [1 0.9 1 1]" + pose + "[4 5 6]" + kRotation + "[10 11 12 13 14 15]"));
    QCOMPARE(parser.handCount(), 2);
    QCOMPARE(parser.hand(0)->quality, -1.0);
    const double order[6] = {10, 11, 13, 15, 12, 14};
    for (int i = 0; i < 6; ++i)
        QCOMPARE(parser.hand(1)->fingers[0].values[i], order[i]);
    QVERIFY(parse(parser, "gl 0"));
    QCOMPARE(parser.hand(1)->fingers[0].values[0], 0.0);
    QByteArray six = "gl 1 [0 0.9 0 6]" + pose;
    for (int f = 0; f < 6; ++f)
        six += pose + "[0 0 0 0 0 0]";
    QVERIFY(!parse(parser, six));
    QVERIFY(!parse(parser, "gl 1 [-1 0.9 0 0]" + pose));

    // Human models: id <= defined - 1, at most 20 joints.
    QVERIFY(parse(parser, "6dj 2 1 [1 2][4 0.5][1 2 3 4 5 6]" + QByteArray(kRotation)
                              + "[9 0.25][6 5 4 3 2 1]" + kRotation));
    QCOMPARE(parser.humanModel(0)->numJoints, 0);
    QCOMPARE(parser.humanModel(1)->joints[0].values[5], 6.0);
    QCOMPARE(parser.humanModel(1)->joints[1].id, 9);
    QVERIFY(parse(parser, "6dj 2 0"));
    QCOMPARE(parser.humanModel(1)->numJoints, 0);
    for (const char *bad : {"6dj 2 1 [2 0]", "6dj 2 1 [-1 0]", "6dj 2 1 [0 21]", "6dj 2 1 [0 -1]"})
        QVERIFY2(!parse(parser, bad), bad);

    // Inertial bodies reset to quality 0, not -1.
    QVERIFY(parse(parser, "6di 1 [2 1 0.75]" + pose));
    QCOMPARE(parser.inertialBodyCount(), 3);
    QCOMPARE(parser.inertialBody(0)->quality, 0.0);
    QCOMPARE(parser.inertialBody(2)->state, 1);
    QVERIFY(parse(parser, "6di 0"));
    QCOMPARE(parser.inertialBody(2)->quality, 0.0);
    QVERIFY(!parse(parser, "6di 1 [-2 1 0.75]" + pose));
}

void TestQuorixParser::markersByPosition()
{
    QuorixParser parser;
    QVERIFY(parse(parser, "3d 2 [17 1.0][1 2 3] [5 0.5][4 5 6]"));
    QCOMPARE(parser.markerCount(), 2);
    QCOMPARE(parser.marker(0)->id, 17);
    QCOMPARE(parser.marker(1)->position[2], 6.0);
    QVERIFY(parse(parser, "3d 1 [8 1.0][1 2 3]"));
    QVERIFY(!parser.marker(1));
    QVERIFY(parse(parser, "3d -4"));
    QCOMPARE(parser.markerCount(), 0);
    // A count larger than the markers that follow covers the complete ones only.
    QVERIFY(!parse(parser, "3d 3 [1 1.0][1 2 3] [2 1.0][1 2 3] [3 1.0]"));
    QCOMPARE(parser.markerCount(), 2);
}

void TestQuorixParser::hugeCountsAllocateNothing()
{
    // Each would need gigabytes if a count sized an array.
    QuorixParser parser;
    const QByteArray pose = "[1 2 3]" + QByteArray(kRotation);
    QVERIFY(!parse(parser, "6d 2000000000 " + body(0, 1.0)));
    QVERIFY(!parse(parser, "3d 2000000000 [1 1.0][1 2 3]"));
    QCOMPARE(parser.markerCount(), 1);
    for (const QByteArray &line : QList<QByteArray>{
             "6df 2000000000", "6df2 2000000000 1", "6dmt 2000000000", "6dmt2 1 2000000000",
             "6dmtr 2000000000 0", "6dj 2000000000 0", "6dcal 2000000000", "glcal 2000000000",
             "gl 1 [2000000000 1.0 0 0]" + pose, "6di 1 [2000000000 1 1.0]" + pose})
        QVERIFY2(!parse(parser, line), line.constData());
    parser.finishFrame();
    QCOMPARE(parser.gripwandCount() + parser.measurementToolCount() + parser.toolReferenceCount()
                 + parser.humanModelCount() + parser.handCount() + parser.inertialBodyCount(), 0);
    QCOMPARE(parser.bodyCount(), 1);
    QCOMPARE(parser.body(0)->quality, 1.0);   // the one body the line held
}

void TestQuorixParser::finishFrameUsesCalibratedCounts()
{
    QuorixParser parser;
    const QByteArray pose = "[1 2 3]" + QByteArray(kRotation);
    QVERIFY(parse(parser, "6d 1 " + body(0, 1.0)));
    parser.finishFrame();
    QCOMPARE(parser.bodyCount(), 1);  // no calibrated count yet

    // Old formats: 6 calibrated = 3 bodies + 2 gripwands + 1 tool.
    QVERIFY(parse(parser, "6dcal 6"));
    QVERIFY(parse(parser, "6df 2 [0 1.0 0]" + pose + "[1 1.0 0]" + pose));
    QVERIFY(parse(parser, "6dmt 1 [0 1.0 0]" + pose));
    QVERIFY(parse(parser, "glcal 2"));
    parser.finishFrame();
    QCOMPARE(parser.bodyCount(), 3);
    QCOMPARE(parser.body(2)->quality, -1.0);
    QCOMPARE(parser.body(2)->id, 2);
    QCOMPARE(parser.handCount(), 2);

    // Fewer calibrated than old-format targets must not give a negative count.
    parser.resetFrame();
    QVERIFY(parse(parser, "6dcal 1"));
    QVERIFY(parse(parser, "6df 2 [0 1.0 0]" + pose + "[1 1.0 0]" + pose));
    parser.finishFrame();
    QCOMPARE(parser.bodyCount(), 0);

    // The frame reset forgets calibrated counts and old-format counts.
    parser.resetFrame();
    QCOMPARE(parser.calibratedBodyCount(), -1);
    QCOMPARE(parser.calibratedHandCount(), -1);
    QCOMPARE(parser.oldFormatGripwandCount(), 0);
    QCOMPARE(parser.timeStamp(), -1.0);
    QVERIFY(parse(parser, "6d 1 " + body(4, 1.0)));
    parser.finishFrame();
    QCOMPARE(parser.bodyCount(), 5);
    QVERIFY(!parse(parser, "6dcal x"));
}

void TestQuorixParser::badRecordsAreLeftOutAlone()
{
    QuorixParser parser;
    const QByteArray pose = "[1 2 3]" + QByteArray(kRotation);
    QVERIFY(parse(parser, "3d 1 [3 1.0][1 2 3]"));
    QVERIFY(parse(parser, "6d 3 " + body(0, 1.0) + body(1, 1.0) + body(2, 1.0)));
    // A bad marker leaves out itself, not the marker before or after it.
    QVERIFY(!parse(parser, "3d 3 [1 1.000][-400 300 0] [2 1.000][nan 300 0] [4 1.0][7 8 9]"));
    QCOMPARE(parser.markerCount(), 2);
    QCOMPARE(parser.marker(0)->id, 1);
    QCOMPARE(parser.marker(0)->position[0], -400.0);
    QCOMPARE(parser.marker(1)->id, 4);
    // A body id beyond the range leaves the other bodies of the line shown.
    QVERIFY(!parse(parser, "6d 3 " + body(0, 1.0, 5, 6, 7) + body(QuorixParser::MaxTargets, 1.0) + body(2, 0.5)));
    QCOMPARE(parser.body(0)->position[0], 5.0);
    QCOMPARE(parser.body(1)->quality, -1.0);
    QCOMPARE(parser.body(2)->quality, 0.5);
    // Cut in the middle of body 1: body 0 stays as this line wrote it; bodies
    // not reached read as not tracked, not as the last frame left them.
    QVERIFY(!parse(parser, "6d 3 " + body(0, 1.0, 8, 6, 7) + "[1 0.5][1 2"));
    QCOMPARE(parser.bodyCount(), 3);
    QCOMPARE(parser.body(0)->position[0], 8.0);
    QCOMPARE(parser.body(1)->quality, -1.0);
    QCOMPARE(parser.body(2)->quality, -1.0);
    // Other families are left alone.
    QCOMPARE(parser.markerCount(), 2);

    // The same for the families that are not indexed by id, and for records
    // of several groups.
    QVERIFY(parse(parser, "6df2 2 2 [0 1.0 0 0]" + pose + "[] [1 1.0 0 0]" + pose + "[]"));
    QVERIFY(!parse(parser, "6df2 2 2 [0 1.0 0 0][1 2 x]" + QByteArray(kRotation) + "[] [1 0.5 0 0]" + pose + "[]"));
    QVERIFY(parser.gripwand(0)->quality < 0);
    QCOMPARE(parser.gripwand(1)->quality, 0.5);
    QVERIFY(!parse(parser, "6df2 2 2 [0 1.0 0 0]" + pose + "[] [1 1.0 0 0][1 2"));
    QCOMPARE(parser.gripwand(0)->quality, 1.0);
    QVERIFY(parser.gripwand(1)->quality < 0);
    QVERIFY(parse(parser, "6di 1 [0 2 1.0]" + pose));
    QVERIFY(!parse(parser, "6di 2 [0 2 1.0]" + pose + "[1 2 1.0][nan 0 0]" + QByteArray(kRotation)));
    QCOMPARE(parser.inertialBody(0)->state, 2);
    QCOMPARE(parser.inertialBody(1)->state, 0);
    QVERIFY(!parse(parser, "gl 2 [0 0.9 0 1]" + pose + "[1 2]" + pose + " [1 0.8 0 0]" + pose));
    QCOMPARE(parser.hand(0)->quality, -1.0);
    QCOMPARE(parser.hand(1)->quality, 0.8);
    QVERIFY(parser.recordsLeftOut() >= 7);
    // The next good line draws again.
    QVERIFY(parse(parser, "6d 1 " + body(1, 0.5)));
    QCOMPARE(parser.body(1)->quality, 0.5);
}

void TestQuorixParser::longLinesAndDamagedLines()
{
    // A "3d" line of exactly 10239 characters, the most the display's line
    // buffer holds, and one far longer: both parse completely.
    for (int target : {10239, 60000}) {
        const QByteArray one = "[1 1.0][1.5 2.5 3.5]";
        const int count = (target - 10) / one.size();
        QByteArray line = "3d " + QByteArray::number(count) + ' ' + one.repeated(count);
        line += QByteArray(target - line.size(), ' ');
        QCOMPARE(line.size(), target);
        QuorixParser parser;
        QVERIFY(parse(parser, line));
        QCOMPARE(parser.markerCount(), count);
        QCOMPARE(parser.marker(count - 1)->position[2], 3.5);
    }
    // Numbers of thousands of digits neither overflow nor run on.
    QuorixParser parser;
    QVERIFY(parse(parser, "3d 1 [1 1.0][" + QByteArray(5000, '1') + "e-4990 0 0]"));
    QVERIFY(std::isfinite(parser.marker(0)->position[0]));
    QVERIFY(!parse(parser, "3d 1 [" + QByteArray(5000, '9') + " 1.0][0 0 0]"));

    // Every prefix of a valid line of each family, then random damage. The
    // exact-size buffers let a sanitizer build catch any read past the end.
    const QByteArray pose = "[1 2 3]" + QByteArray(kRotation);
    const QList<QByteArray> lines = {
        "fr 12", "ts 1.5", "6dcal 3", "glcal 1", "6d 2 " + body(0, 1.0) + body(1, 1.0),
        "6df 1 [0 1.0 3]" + pose, "6df2 1 1 [0 1.0 2 1]" + pose + "[3 0.5]",
        "6dmt 1 [0 1.0 1]" + pose, "6dmt2 1 1 [0 1.0 4 2.0]" + pose + "[15][1 2 3 4 5 6]",
        "6dmtr 1 1 [0 1.0]" + pose, "gl 1 [0 1.0 0 1]" + pose + pose + "[1 2 3 4 5 6]",
        "6dj 1 1 [0 1][3 0.5][1 2 3 4 5 6]" + QByteArray(kRotation), "6di 1 [0 2 1.0]" + pose,
        "3d 2 [1 1.0][1 2 3][2 1.0][4 5 6]",
    };
    for (const QByteArray &line : lines) {
        QVERIFY2(parse(parser, line), line.constData());
        for (int length = 0; length < line.size(); ++length)
            parse(parser, line.left(length));
    }
    std::mt19937 random(7);
    const char alphabet[] = "[] -+0x9.e\t";
    for (int round = 0; round < 20000; ++round) {
        QByteArray line = lines[static_cast<int>(random() % static_cast<unsigned>(lines.size()))];
        for (int e = 1 + static_cast<int>(random() % 4); e > 0; --e)
            line[static_cast<int>(random() % static_cast<unsigned>(line.size()))] = alphabet[random() % (sizeof(alphabet) - 1)];
        parse(parser, line);
    }
    parser.finishFrame();
    QVERIFY(parser.bodyCount() >= 0 && parser.bodyCount() <= QuorixParser::MaxTargets);
}

QTEST_GUILESS_MAIN(TestQuorixParser)
#include "tst_QuorixParser.moc"
