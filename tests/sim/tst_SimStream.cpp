// The measurement stream, checked line by line against the data line format
// by a checker of its own (it knows the format, not any parser of the front end).
#include "ControllerSimulator.h"
#include "SimMotion.h"
#include "SimScenario.h"
#include "SimStreamGenerator.h"
#include "SimTestClient.h"

#include <QNetworkDatagram>
#include <QUdpSocket>
#include <QtTest>

#include <cmath>
#include <cstdlib>

namespace {

const QString kHost = QStringLiteral("127.0.3.10");
const QString kClient = QStringLiteral("127.0.3.11");

struct Line
{
    QByteArray key;
    QList<QByteArray> bare;            // numbers before the first bracket
    QList<QList<QByteArray>> groups;   // bracket groups
};

bool isNumber(const QByteArray& w, bool integer)
{
    if (w.isEmpty())
        return false;
    char* end = nullptr;
    const QByteArray z = w + '\0';
    if (integer)
        std::strtol(z.constData(), &end, 10);
    else
        std::strtod(z.constData(), &end);
    return end && *end == '\0';
}

// Splits "key n m [a b][c d] [e]" into its parts; false on stray text.
bool split(const QByteArray& text, Line* line, QString* why)
{
    const int blank = text.indexOf(' ');
    line->key = blank < 0 ? text : text.left(blank);
    QByteArray rest = blank < 0 ? QByteArray() : text.mid(blank + 1);
    int i = 0;
    while (i < rest.size()) {
        if (rest.at(i) == ' ') {
            ++i;
            continue;
        }
        if (rest.at(i) == '[') {
            const int close = rest.indexOf(']', i);
            const int nextOpen = rest.indexOf('[', i + 1);
            if (close < 0 || (nextOpen != -1 && nextOpen < close)) {
                *why = QStringLiteral("unbalanced bracket");
                return false;
            }
            line->groups.append(rest.mid(i + 1, close - i - 1).split(' '));
            i = close + 1;
            continue;
        }
        if (!line->groups.isEmpty()) {
            *why = QStringLiteral("bare number after a bracket group");
            return false;
        }
        int end = rest.indexOf(' ', i);
        if (end < 0)
            end = rest.size();
        line->bare.append(rest.mid(i, end - i));
        i = end;
    }
    return true;
}

class FormatChecker
{
public:
    int bodies = 0, gripwands = 0, tools = 0, references = 0, markers = 0, hands = 0, inertial = 0;
    bool powerwall = false;
    QString error;
    QSet<QByteArray> keysSeen;
    int lostMarkers = 0;

    bool check(const QByteArray& text)
    {
        Line l;
        QString why;
        if (!split(text, &l, &why))
            return fail(text, why);
        keysSeen.insert(l.key);
        const QByteArray& k = l.key;
        if (k == "fr")
            return bare(l, text, 1, true) && noGroups(l, text);
        if (k == "ts")
            return bare(l, text, 1, false) && noGroups(l, text);
        if (k == "6dcal" || k == "glcal")
            return bare(l, text, 1, true) && noGroups(l, text);
        if (k == "6d")
            return targets(l, text, 1, {{2, "id"}, {3, "p"}, {9, "r"}}, bodies, false);
        if (k == "6dmtr")
            return targets(l, text, 2, {{2, "id"}, {3, "p"}, {9, "r"}}, references, false);
        if (k == "3d") {
            if (!targets(l, text, 1, {{2, "id"}, {3, "p"}}, markers, false))
                return false;
            if (l.bare.at(0).toInt() != markers)
                return fail(text, QStringLiteral("every marker is listed"));
            for (int t = 0; t < l.groups.size(); t += 2)
                lostMarkers += l.groups.at(t).at(1).toDouble() < 0 ? 1 : 0;
            return true;
        }
        if (k == "6di")
            return targets(l, text, 1, {{3, "iid"}, {3, "p"}, {9, "r"}}, inertial, false);
        if (k == "6df2")
            return gripwandLine(l, text);
        if (k == "6dmt2")
            return toolLine(l, text);
        if (k == "gl")
            return handLine(l, text);
        return fail(text, QStringLiteral("unknown key"));
    }

private:
    bool fail(const QByteArray& text, const QString& why)
    {
        error = why + QStringLiteral(": ") + QString::fromLatin1(text.left(160));
        return false;
    }
    bool bare(const Line& l, const QByteArray& text, int n, bool integer)
    {
        if (l.bare.size() != n)
            return fail(text, QStringLiteral("expected %1 bare numbers").arg(n));
        for (const QByteArray& w : l.bare)
            if (!isNumber(w, integer))
                return fail(text, QStringLiteral("not a number: ") + QString::fromLatin1(w));
        return true;
    }
    bool noGroups(const Line& l, const QByteArray& text)
    {
        return l.groups.isEmpty() ? true : fail(text, QStringLiteral("unexpected bracket group"));
    }
    bool numbers(const QList<QByteArray>& g, const char* ints, const QByteArray& text)
    {
        for (int i = 0; i < g.size(); ++i) {
            const bool integer = i < int(qstrlen(ints)) && ints[i] == 'i';
            if (!isNumber(g.at(i), integer))
                return fail(text, QStringLiteral("bad value ") + QString::fromLatin1(g.at(i)));
        }
        return true;
    }
    bool inVolume(const QList<QByteArray>& p, const QByteArray& text)
    {
        const double up = powerwall ? p.at(1).toDouble() : p.at(2).toDouble();
        const double a = p.at(0).toDouble();
        const double b = powerwall ? p.at(2).toDouble() : p.at(1).toDouble();
        if (std::fabs(a) > 2600 || std::fabs(b) > 2600 || up < -1.0 || up > 3000)
            return fail(text, QStringLiteral("position outside the volume"));
        return true;
    }
    bool rotation(const QList<QByteArray>& r, const QByteArray& text)
    {
        double m[9];
        for (int i = 0; i < 9; ++i)
            m[i] = r.at(i).toDouble();
        for (int a = 0; a < 3; ++a)
            for (int b = 0; b < 3; ++b) {
                const double dot = m[3 * a] * m[3 * b] + m[3 * a + 1] * m[3 * b + 1] + m[3 * a + 2] * m[3 * b + 2];
                if (std::fabs(dot - (a == b ? 1.0 : 0.0)) > 1e-4)
                    return fail(text, QStringLiteral("rotation is not orthonormal"));
            }
        return true;
    }
    struct Shape
    {
        int size;
        const char* kind; // "id"/"iid" first group, "p" position, "r" rotation, "n" numbers
    };
    // count of bare numbers, then per target the groups of the shapes; ids ascending below limit.
    bool targets(const Line& l, const QByteArray& text, int bareCount, const QVector<Shape>& shapes, int limit,
                 bool idIsIndex)
    {
        if (!bare(l, text, bareCount, true))
            return false;
        const int listed = l.bare.last().toInt();
        if (l.groups.size() != listed * shapes.size())
            return fail(text, QStringLiteral("group count does not match the target count"));
        if (bareCount == 2 && l.bare.at(0).toInt() != limit)
            return fail(text, QStringLiteral("wrong number of defined targets"));
        int lastId = -1;
        for (int t = 0; t < listed; ++t) {
            for (int s = 0; s < shapes.size(); ++s) {
                const QList<QByteArray>& g = l.groups.at(t * shapes.size() + s);
                if (g.size() != shapes[s].size)
                    return fail(text, QStringLiteral("group of %1 values expected").arg(shapes[s].size));
                if (!numbers(g, s == 0 ? shapes[s].kind : "", text))
                    return false;
            }
            const QList<QByteArray>& head = l.groups.at(t * shapes.size());
            const int id = head.at(0).toInt();
            const bool markerLine = l.key == "3d";
            if (!markerLine) {
                if (id <= lastId || id < 0 || id >= limit || (idIsIndex && id != t))
                    return fail(text, QStringLiteral("bad target id"));
            }
            lastId = id;
            const double quality = head.at(l.key == "6di" ? 2 : 1).toDouble();
            if (quality > 1.0 || (quality < 0 && quality != -1.0))
                return fail(text, QStringLiteral("quality outside 0 … 1 and not -1"));
            if (quality >= 0 && !inVolume(l.groups.at(t * shapes.size() + 1), text))
                return false;
            if (shapes.size() > 2 && quality >= 0 && !rotation(l.groups.at(t * shapes.size() + 2), text))
                return false;
        }
        return true;
    }
    bool gripwandLine(const Line& l, const QByteArray& text)
    {
        if (!bare(l, text, 2, true))
            return false;
        const int n = l.bare.at(0).toInt(), m = l.bare.at(1).toInt();
        if (n != gripwands || m > n || l.groups.size() != 4 * m)
            return fail(text, QStringLiteral("gripwand counts"));
        for (int t = 0; t < m; ++t) {
            const QList<QByteArray>& h = l.groups.at(4 * t);
            if (h.size() != 4 || !numbers(h, "idii", text) || h.at(0).toInt() != t)
                return fail(text, QStringLiteral("gripwand head"));
            const int nbt = h.at(2).toInt(), nct = h.at(3).toInt();
            if (nbt > 8 || nct > 8 || l.groups.at(4 * t + 3).size() != (nbt + 31) / 32 + nct)
                return fail(text, QStringLiteral("gripwand buttons and controllers"));
            if (!numbers(l.groups.at(4 * t + 3), "i", text))
                return false;
            if (h.at(1).toDouble() >= 0 && (!inVolume(l.groups.at(4 * t + 1), text) || !rotation(l.groups.at(4 * t + 2), text)))
                return false;
        }
        return true;
    }
    bool toolLine(const Line& l, const QByteArray& text)
    {
        if (!bare(l, text, 2, true))
            return false;
        const int m = l.bare.at(1).toInt();
        if (m != tools || l.groups.size() != 5 * m)
            return fail(text, QStringLiteral("tool counts"));
        for (int t = 0; t < m; ++t) {
            const QList<QByteArray>& h = l.groups.at(5 * t);
            if (h.size() != 4 || !numbers(h, "idid", text) || h.at(0).toInt() != t)
                return fail(text, QStringLiteral("tool head"));
            const int nbt = qMin(16, h.at(2).toInt());
            if (l.groups.at(5 * t + 3).size() != (nbt + 31) / 32 || l.groups.at(5 * t + 4).size() != 6)
                return fail(text, QStringLiteral("tool buttons or covariance"));
            if (h.at(1).toDouble() >= 0 && !rotation(l.groups.at(5 * t + 2), text))
                return false;
        }
        return true;
    }
    bool handLine(const Line& l, const QByteArray& text)
    {
        if (!bare(l, text, 1, true))
            return false;
        int g = 0;
        for (int t = 0; t < l.bare.at(0).toInt(); ++t) {
            if (g + 3 > l.groups.size())
                return fail(text, QStringLiteral("hand groups missing"));
            const QList<QByteArray>& h = l.groups.at(g);
            if (h.size() != 4 || !numbers(h, "idii", text) || h.at(0).toInt() >= hands)
                return fail(text, QStringLiteral("hand head"));
            const int nf = h.at(3).toInt();
            if (nf > 5 || l.groups.at(g + 1).size() != 3 || l.groups.at(g + 2).size() != 9)
                return fail(text, QStringLiteral("hand pose"));
            g += 3;
            for (int f = 0; f < nf; ++f, g += 3)
                if (g + 3 > l.groups.size() || l.groups.at(g).size() != 3 || l.groups.at(g + 1).size() != 9
                    || l.groups.at(g + 2).size() != 6)
                    return fail(text, QStringLiteral("finger groups"));
        }
        return g == l.groups.size() ? true : fail(text, QStringLiteral("extra groups"));
    }
};

QList<QByteArray> linesOf(const QByteArray& datagram, QString* why)
{
    if (!datagram.endsWith("\r\n")) {
        *why = QStringLiteral("datagram does not end with CR LF");
        return {};
    }
    QList<QByteArray> lines = datagram.left(datagram.size() - 2).split('\n');
    for (QByteArray& l : lines) {
        if (l.endsWith('\r'))
            l.chop(1);
        else if (&l != &lines.last()) {
            *why = QStringLiteral("line not ended by CR LF");
            return {};
        }
        if (l.contains('\r') || l.isEmpty()) {
            *why = QStringLiteral("stray CR or empty line");
            return {};
        }
    }
    return lines;
}

// A front end's side of a measurement: command connection plus data socket.
struct Receiver
{
    SimTestClient control;
    QUdpSocket data;

    bool open()
    {
        return data.bind(QHostAddress(kClient), 0) && control.connectTo(kHost, 50105, kClient)
            && control.command("quorix2 set output net chmon udp my_ip " + QByteArray::number(data.localPort())) == "quorix2 ok";
    }
    QList<QByteArray> receive(int count, int timeoutMs = 5000)
    {
        QList<QByteArray> out;
        QElapsedTimer t;
        t.start();
        while (out.size() < count && t.elapsed() < timeoutMs) {
            if (!data.hasPendingDatagrams())
                data.waitForReadyRead(100);
            while (data.hasPendingDatagrams())
                out.append(data.receiveDatagram(70000).data());
        }
        return out;
    }
};

} // namespace

class SimStreamTest : public QObject
{
    Q_OBJECT

private slots:
    void everyLineOfAMeasurementHasTheLineFormat();
    void framesCountUpAndTimeStampsAdvance();
    void outputsSwitchLinesOnAndOff();
    void oldToolAndGripwandFormats();
    void streamStopsWithTheMeasurementAndLeavesFromTheReportedPort();
    void powerwallRoomsHaveYUp();
    void motionIsSmoothAndShowsDropoutsAndButtons();
    void fixedPointNumbersAreExact();
};

void SimStreamTest::everyLineOfAMeasurementHasTheLineFormat()
{
    SimScenario s;
    s.rate = 200;
    s.bodies = 4;
    s.gripwands = 2;
    s.tools = 2;
    s.references = 2;
    s.markers = 12;
    s.hands = 2;
    s.inertialSensors = 2;
    ControllerSimulator sim(s);
    QVERIFY(sim.start(kHost));
    Receiver r;
    QVERIFY(r.open());
    QCOMPARE(r.control.command("quorix2 tracking start"), QByteArray("quorix2 ok"));
    const QList<QByteArray> datagrams = r.receive(200);
    QVERIFY(datagrams.size() >= 200);
    FormatChecker checker;
    checker.bodies = 4;
    checker.gripwands = 2;
    checker.tools = 2;
    checker.references = 2;
    checker.markers = 12;
    checker.hands = 2;
    checker.inertial = 2;
    for (const QByteArray& d : datagrams) {
        QString why;
        const QList<QByteArray> lines = linesOf(d, &why);
        QVERIFY2(!lines.isEmpty(), qPrintable(why));
        QVERIFY(lines.first().startsWith("fr "));
        for (const QByteArray& line : lines)
            QVERIFY2(checker.check(line), qPrintable(checker.error));
    }
    const QSet<QByteArray> expected = {"fr", "ts", "6dcal", "6d", "6df2", "6dmt2", "6dmtr", "3d", "6di", "glcal", "gl"};
    QCOMPARE(checker.keysSeen, expected);
}

void SimStreamTest::framesCountUpAndTimeStampsAdvance()
{
    SimScenario s;
    s.rate = 100;
    ControllerSimulator sim(s);
    QVERIFY(sim.start(kHost));
    Receiver r;
    QVERIFY(r.open());
    r.control.command("quorix2 tracking start");
    const QList<QByteArray> datagrams = r.receive(50);
    QVERIFY(datagrams.size() >= 50);
    qint64 lastFrame = 0;
    double lastTs = -1;
    for (const QByteArray& d : datagrams) {
        const QList<QByteArray> lines = d.split('\n');
        const qint64 fr = lines.at(0).trimmed().mid(3).toLongLong();
        const double ts = lines.at(1).trimmed().mid(3).toDouble();
        QVERIFY(lines.at(1).startsWith("ts "));
        QVERIFY(fr > lastFrame);
        QVERIFY(ts > lastTs);
        if (lastTs >= 0) // time stamps step by the frame period
            QVERIFY(std::fabs((ts - lastTs) - double(fr - lastFrame) / 100.0) < 1e-6);
        lastFrame = fr;
        lastTs = ts;
    }
}

void SimStreamTest::outputsSwitchLinesOnAndOff()
{
    ControllerSimulator sim;
    QVERIFY(sim.start(kHost));
    Receiver r;
    QVERIFY(r.open());
    for (const char* type : {"6d", "6df2", "6dmt2", "6dmtr", "6di", "gl", "6dcal"})
        QCOMPARE(r.control.command(QByteArray("quorix2 set output active chmon ") + type + " no"), QByteArray("quorix2 ok"));
    // What the front end switches on at start-up.
    for (const char* type : {"ts", "3d", "6d", "2dmon"})
        QCOMPARE(r.control.command(QByteArray("quorix2 set output active chmon ") + type + " yes"), QByteArray("quorix2 ok"));
    r.control.command("quorix2 tracking start");
    const QList<QByteArray> datagrams = r.receive(5);
    QVERIFY(!datagrams.isEmpty());
    QSet<QByteArray> keys;
    for (const QByteArray& d : datagrams)
        for (const QByteArray& line : d.split('\n'))
            if (!line.trimmed().isEmpty())
                keys.insert(line.left(line.indexOf(' ')));
    QCOMPARE(keys, (QSet<QByteArray>{"fr", "ts", "6d", "3d"}));
}

void SimStreamTest::oldToolAndGripwandFormats()
{
    ControllerSimulator sim;
    QVERIFY(sim.start(kHost));
    Receiver r;
    QVERIFY(r.open());
    QCOMPARE(r.control.command("quorix2 set measurementtool output_6dmt yes"), QByteArray("quorix2 ok"));
    QCOMPARE(r.control.command("quorix2 set gripwand output_6df yes"), QByteArray("quorix2 ok"));
    r.control.command("quorix2 tracking start");
    const QList<QByteArray> datagrams = r.receive(3);
    QVERIFY(!datagrams.isEmpty());
    const QByteArray d = datagrams.first();
    QVERIFY(!d.contains("6dmt2 "));
    QVERIFY(!d.contains("6df2 "));
    // The old formats: N, then per target [id quality buttons][x y z][rotation]; the calibrated count includes them.
    for (const QByteArray& raw : d.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.startsWith("6dmt ") || line.startsWith("6df ")) {
            Line l;
            QString why;
            QVERIFY(split(line, &l, &why));
            QCOMPARE(l.bare.size(), 1);
            QCOMPARE(l.groups.size(), 3 * l.bare.at(0).toInt());
            QCOMPARE(l.groups.at(0).size(), 3);
            QCOMPARE(l.groups.at(0).at(0), QByteArray("0"));
        }
        if (line.startsWith("6dcal "))
            QCOMPARE(line, QByteArray("6dcal 4")); // 2 bodies + 1 gripwand + 1 tool
    }
    QVERIFY(d.contains("\r\n6dmt 1 ["));
    QVERIFY(d.contains("\r\n6df 1 ["));
}

void SimStreamTest::streamStopsWithTheMeasurementAndLeavesFromTheReportedPort()
{
    SimScenario s;
    s.rate = 100;
    ControllerSimulator sim(s);
    QVERIFY(sim.start(kHost));
    Receiver r;
    QVERIFY(r.open());
    QVERIFY(r.receive(1, 300).isEmpty()); // nothing before the start
    r.control.command("quorix2 tracking start");
    QVERIFY(r.data.waitForReadyRead(2000));
    const QNetworkDatagram first = r.data.receiveDatagram(70000);
    const QByteArray reply = r.control.command("quorix2 get output net_sender_port chmon");
    QCOMPARE(reply, "quorix2 set output net_sender_port chmon " + QByteArray::number(first.senderPort()));
    // The front end's dummy datagram to that port is accepted and answered with nothing.
    r.data.writeDatagram(QByteArray("dummy\0", 6), QHostAddress(kHost), quint16(first.senderPort()));
    QVERIFY(sim.waitForCommand(QStringLiteral("dummy")));
    QCOMPARE(r.control.command("quorix2 tracking stop"), QByteArray("quorix2 ok"));
    QTest::qWait(100);
    while (r.data.hasPendingDatagrams())
        r.data.receiveDatagram();
    QVERIFY(r.receive(1, 300).isEmpty());
    QCOMPARE(r.control.command("quorix2 get status active"), QByteArray("quorix2 set status active none"));
}

void SimStreamTest::powerwallRoomsHaveYUp()
{
    SimScenario s;
    s.coordinateType = QStringLiteral("powerwall");
    s.rate = 200;
    s.bodies = 6;
    ControllerSimulator sim(s);
    QVERIFY(sim.start(kHost));
    Receiver r;
    QVERIFY(r.open());
    r.control.command("quorix2 tracking start");
    FormatChecker checker;
    checker.powerwall = true;
    checker.bodies = 6;
    checker.gripwands = checker.tools = checker.references = checker.hands = checker.inertial = 1;
    checker.markers = 6;
    for (const QByteArray& d : r.receive(40)) {
        QString why;
        for (const QByteArray& line : linesOf(d, &why))
            QVERIFY2(checker.check(line), qPrintable(checker.error));
    }
    QCOMPARE(r.control.command("quorix2 get roomcal coordinate_type"), QByteArray("quorix2 set roomcal coordinate_type powerwall"));
}

void SimStreamTest::motionIsSmoothAndShowsDropoutsAndButtons()
{
    SimScenario s;
    s.bodies = 3;
    s.markers = 10;
    SimMotion m;
    m.configure(s);
    const double dt = 1.0 / 60.0;
    SimMotion::Pose last = m.bodies[0].pose;
    unsigned buttonsSeen = 0;
    int bodyDrops = 0, markerDrops = 0;
    double maxStep = 0;
    for (int f = 1; f <= 60 * 120; ++f) {
        m.update(f * dt);
        const SimMotion::Pose& p = m.bodies[0].pose;
        const double step = std::hypot(std::hypot(p.position[0] - last.position[0], p.position[1] - last.position[1]),
                                       p.position[2] - last.position[2]);
        maxStep = std::max(maxStep, step);
        last = p;
        buttonsSeen |= m.gripwands[0].buttons;
        for (const SimMotion::Target& b : m.bodies)
            bodyDrops += b.quality < 0 ? 1 : 0;
        for (const SimMotion::Marker& mk : m.markers)
            markerDrops += mk.quality < 0 ? 1 : 0;
    }
    QVERIFY2(maxStep < 40.0, qPrintable(QString::number(maxStep))); // walking pace at 60 Hz
    QVERIFY(maxStep > 0.5);                                          // but it does move
    QCOMPARE(buttonsSeen, 0xfu);                                     // every gripwand button was pressed
    QVERIFY(bodyDrops > 0);
    QVERIFY(bodyDrops < 3 * 60 * 120 / 10); // now and then, not mostly
    QVERIFY(markerDrops > 0);
    QVERIFY(markerDrops < 10 * 60 * 120 / 4);
}

void SimStreamTest::fixedPointNumbersAreExact()
{
    const struct
    {
        double v;
        int d;
        const char* text;
    } cases[] = {{0.0, 3, "0.000"}, {-0.0004, 3, "0.000"}, {-1.5, 1, "-1.5"}, {1234.5678, 3, "1234.568"},
                 {-0.000001, 6, "-0.000001"}, {42.0, 0, "42"}, {0.9995, 3, "1.000"}, {-2000.25, 2, "-2000.25"}};
    for (const auto& c : cases) {
        QByteArray out;
        SimStreamGenerator::appendFixed(&out, c.v, c.d);
        QCOMPARE(out, QByteArray(c.text));
    }
    QByteArray out;
    SimStreamGenerator::appendFixed(&out, std::nan(""), 3);
    QCOMPARE(out, QByteArray("0.000"));
}

QTEST_GUILESS_MAIN(SimStreamTest)
#include "tst_SimStream.moc"
