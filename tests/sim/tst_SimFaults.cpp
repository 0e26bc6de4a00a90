// Each fault the simulator can show, set by option text or at run time through the API,
// and the tracking faults of the scenario, driven frame by frame without a clock.
#include "ControllerSimulator.h"
#include "SimCommandProcessor.h"
#include "SimFaults.h"
#include "SimStreamGenerator.h"
#include "SimTestClient.h"

#include <QNetworkDatagram>
#include <QUdpSocket>
#include <QtTest>

#include <cerrno>
#include <cmath>
#include <cstring>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const QString kHost = QStringLiteral("127.0.3.40");
const QString kClient = QStringLiteral("127.0.3.41");

SimFaults faultsFrom(const QString& name, const QString& value)
{
    SimFaults f;
    QString error;
    if (!f.applyOption(name, value, &error))
        qWarning("%s", qPrintable(error));
    return f;
}

const QHostAddress kPeer(QStringLiteral("127.0.3.41"));

int status(SimCommandProcessor& p, const QByteArray& key)
{
    const QByteArray reply = p.handle("quorix2 get " + key, kPeer).text;
    const QByteArray prefix = "quorix2 set " + key + ' ';
    return reply.startsWith(prefix) ? reply.mid(prefix.size()).toInt() : -1;
}

// The frame's "6d" line lists body 0.
bool streamsFirstBody(const SimCommandProcessor& p)
{
    SimStreamGenerator::Outputs only6d;
    only6d.ts = only6d.cal6d = only6d.gripwand = only6d.tool = only6d.reference = false;
    only6d.markers = only6d.inertial = only6d.hands = false;
    QByteArray text;
    SimStreamGenerator().frame(p.frameNumber(), p.timeStamp(), p.motion(), only6d, &text);
    return text.contains(" [0 ");
}

void startMeasuring(SimCommandProcessor* p, const SimScenario& s)
{
    p->setScenario(s);
    p->handle("quorix2 tracking start", kPeer);
}

// A bare POSIX client, for what a QTcpSocket hides: the errno of a reset and
// a connect that neither completes nor fails.
class RawClient
{
public:
    ~RawClient()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    // Starts a non-blocking connect; true once it is under way.
    bool start(const QString& host, const QString& source, quint16 port = 50105)
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        sockaddr_in from = address(source, 0), to = address(host, port);
        if (m_fd < 0 || ::bind(m_fd, reinterpret_cast<sockaddr*>(&from), sizeof from) != 0)
            return false;
        return ::connect(m_fd, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0 || errno == EINPROGRESS;
    }
    // 0 when connected within the time, the error when it failed, -1 when still pending.
    int waitConnected(int timeoutMs)
    {
        pollfd p = {m_fd, POLLOUT, 0};
        if (::poll(&p, 1, timeoutMs) != 1)
            return -1;
        int error = 0;
        socklen_t size = sizeof error;
        ::getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &error, &size);
        return error;
    }
    bool send(const QByteArray& command)
    {
        const QByteArray bytes = command + '\0';
        return ::send(m_fd, bytes.constData(), size_t(bytes.size()), MSG_NOSIGNAL) == bytes.size();
    }
    // Reads until a zero byte, the end of the connection or the time-out.
    // end: 0 for an orderly close, an errno, or -1 while the connection lasts.
    QByteArray read(int timeoutMs, int* end, bool toZero = true)
    {
        QByteArray got;
        *end = -1;
        QElapsedTimer clock;
        clock.start();
        while (!(toZero && got.contains('\0')) && clock.elapsed() < timeoutMs) {
            pollfd p = {m_fd, POLLIN, 0};
            if (::poll(&p, 1, int(timeoutMs - clock.elapsed())) != 1)
                continue;
            char buffer[512];
            const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, 0);
            if (n > 0) {
                got.append(buffer, int(n));
            } else {
                *end = n == 0 ? 0 : errno;
                break;
            }
        }
        return got;
    }

private:
    static sockaddr_in address(const QString& host, quint16 port)
    {
        sockaddr_in a;
        std::memset(&a, 0, sizeof a);
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        a.sin_addr.s_addr = htonl(QHostAddress(host).toIPv4Address());
        return a;
    }
    int m_fd = -1;
};

struct Arrival
{
    QByteArray data;
    QHostAddress from;
    quint16 port = 0;
    qint64 atMs = 0;
};

// Every datagram that arrives on socket within ms, with the time since clock started.
QList<Arrival> collect(QUdpSocket* socket, int ms, const QElapsedTimer& clock)
{
    QList<Arrival> out;
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        if (!socket->hasPendingDatagrams())
            socket->waitForReadyRead(int(qMax<qint64>(1, ms - t.elapsed())));
        while (socket->hasPendingDatagrams()) {
            const QNetworkDatagram d = socket->receiveDatagram(70000);
            out.append({d.data(), d.senderAddress(), quint16(d.senderPort()), clock.elapsed()});
        }
    }
    return out;
}

// The bracketed groups of a frame line: "6d 2 [0 1.000][x y z][r ...] ..." gives "0 1.000", "x y z", ...
QList<QByteArray> groups(const QByteArray& line)
{
    QList<QByteArray> out;
    for (int open = line.indexOf('['); open >= 0; open = line.indexOf('[', open + 1))
        out.append(line.mid(open + 1, line.indexOf(']', open) - open - 1));
    return out;
}

QByteArray frameLine(const QByteArray& datagram, const QByteArray& name)
{
    for (const QByteArray& line : datagram.split('\n'))
        if (line.startsWith(name + ' '))
            return line.trimmed();
    return QByteArray();
}

} // namespace

class SimFaultsTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void patternsMatchWithOrWithoutPrefix();
    void replyDelay();
    void noReplyForGivenCommands();
    void dropTheConnectionAfterNCommands();
    void resetTheConnectionAfterNCommands();
    void errorRepliesForGivenParameters();
    void longReplies();
    void garbageReplies();
    void oversizedDatagrams();
    void splitReplies();
    void repliesWithoutZeroByte();
    void faultsCanBeClearedAtRunTime();
    void jitterIsRepeatableAndKeepsTheOrder();
    void duplicateRepliesComeTwiceTheSecondLate();
    void cutRepliesEndTheConnectionMidReply();
    void blackholeAnswersUdpButLeavesConnectsHanging();
    void strangerSendsAlteredCopiesFromItsOwnAddress();
    void polledFramesLostQueryCanBeRefused();
    void newFaultOptionsRejectBadValues();
    void firstBodyDropsOutOnTimeAndTheBodyCountFollows();
    void lostFramesSkipTheirNumbersAndAreReportedForTheLastSecond();
    void lostFramesLeaveGapsInTheStream();
    void dimmedCameraSeesHalfAndUsesAThirdOfTheRays();

private:
    ControllerSimulator* m_sim = nullptr;
    SimTestClient* m_client = nullptr;
};

void SimFaultsTest::init()
{
    m_sim = new ControllerSimulator;
    QVERIFY(m_sim->start(kHost));
    m_client = new SimTestClient;
    QVERIFY(m_client->connectTo(kHost, 50105, kClient));
}

void SimFaultsTest::cleanup()
{
    delete m_client;
    delete m_sim;
}

void SimFaultsTest::patternsMatchWithOrWithoutPrefix()
{
    QVERIFY(SimFaults::matches(QStringLiteral("get status"), "quorix2 get status active"));
    QVERIFY(SimFaults::matches(QStringLiteral("quorix2 get status active"), "quorix2 get status active"));
    QVERIFY(!SimFaults::matches(QStringLiteral("get status active"), "quorix2 get status"));
    QVERIFY(!SimFaults::matches(QString(), "quorix2 init"));
}

void SimFaultsTest::replyDelay()
{
    m_sim->setFaults(faultsFrom(QStringLiteral("fault-delay"), QStringLiteral("400:get system hostname")));
    m_client->sendRaw(QByteArray("quorix2 get system hostname\0quorix2 get system model\0", 53));
    QCOMPARE(m_client->readReply(100), QByteArray("<timeout>"));
    QCOMPARE(m_client->readReply(), QByteArray("quorix2 set system hostname quorixsim"));
    QCOMPARE(m_client->readReply(), QByteArray("quorix2 set system model 0")); // order is kept
    QCOMPARE(m_client->command("quorix2 get system model", 300), QByteArray("quorix2 set system model 0"));

    // A client that sends on while its command waits does not grow the
    // simulator without bound: past a megabyte it is reset.
    m_client->sendRaw(QByteArray("quorix2 get system hostname\0", 28));
    const QByteArray flood(64 * 1024, 'x');
    for (int i = 0; i < 20 && m_client->socket().state() == QAbstractSocket::ConnectedState; ++i) {
        m_client->sendRaw(flood);
        QTest::qWait(5);
    }
    QVERIFY(m_client->waitClosed());
    QCOMPARE(m_client->socket().error(), QAbstractSocket::RemoteHostClosedError);
}

void SimFaultsTest::noReplyForGivenCommands()
{
    m_sim->setFaults(faultsFrom(QStringLiteral("fault-no-reply"), QStringLiteral("get status active")));
    QCOMPARE(m_client->command("quorix2 get status active", 300), QByteArray("<timeout>"));
    QCOMPARE(m_client->command("quorix2 get system model"), QByteArray("quorix2 set system model 0"));
    QCOMPARE(SimTestClient::udpCommand(kHost, QByteArray("quorix2 get status active\0", 26), kClient, 300),
             QByteArray("<timeout>"));
    QVERIFY(m_sim->waitForCommands(3));
}

void SimFaultsTest::dropTheConnectionAfterNCommands()
{
    m_sim->setFaults(faultsFrom(QStringLiteral("fault-drop-after"), QStringLiteral("2")));
    QCOMPARE(m_client->command("quorix2 get system model"), QByteArray("quorix2 set system model 0"));
    QCOMPARE(m_client->command("quorix2 get system model"), QByteArray("quorix2 set system model 0"));
    QCOMPARE(m_client->command("quorix2 get system model", 1000), QByteArray("<timeout>"));
    QVERIFY(m_client->waitClosed());
    // A new connection counts afresh.
    SimTestClient again;
    QVERIFY(again.connectTo(kHost, 50105, kClient));
    QCOMPARE(again.command("quorix2 get system model"), QByteArray("quorix2 set system model 0"));
}

void SimFaultsTest::resetTheConnectionAfterNCommands()
{
    m_sim->setFaults(faultsFrom(QStringLiteral("fault-reset-after"), QStringLiteral("1")));
    QCOMPARE(m_client->command("quorix2 get system model"), QByteArray("quorix2 set system model 0"));
    m_client->sendRaw(QByteArray("quorix2 get system model\0", 25));
    QVERIFY(m_client->waitClosed());
    QCOMPARE(m_client->socket().error(), QAbstractSocket::RemoteHostClosedError);
}

void SimFaultsTest::errorRepliesForGivenParameters()
{
    SimFaults f = faultsFrom(QStringLiteral("fault-error"), QStringLiteral("get camera number_of_cameras"));
    QString error;
    QVERIFY(f.applyOption(QStringLiteral("fault-error"), QStringLiteral("set output"), &error));
    m_sim->setFaults(f);
    QCOMPARE(m_client->command("quorix2 get camera number_of_cameras"), QByteArray("quorix2 err -8 \"simulated fault\""));
    QCOMPARE(m_client->command("quorix2 set output active chmon 6d yes"), QByteArray("quorix2 err -8 \"simulated fault\""));
    QVERIFY(m_client->command("quorix2 get camera focal_length c01").startsWith("quorix2 set"));
}

void SimFaultsTest::longReplies()
{
    SimFaults f = faultsFrom(QStringLiteral("fault-long-reply"), QStringLiteral("get system hostname"));
    f.longReplyLength = 260;
    m_sim->setFaults(f);
    const QByteArray reply = m_client->command("quorix2 get system hostname");
    QCOMPARE(reply.size(), 260);
    QVERIFY(reply.startsWith("quorix2 set system hostname quorixsim"));
    QCOMPARE(m_client->command("quorix2 get system model"), QByteArray("quorix2 set system model 0"));
}

void SimFaultsTest::garbageReplies()
{
    m_sim->setFaults(faultsFrom(QStringLiteral("fault-garbage"), QStringLiteral("getmsg")));
    const QByteArray reply = m_client->command("quorix2 getmsg");
    QVERIFY(!reply.startsWith("quorix2"));
    QVERIFY(reply != "<timeout>");
    QCOMPARE(m_client->command("quorix2 get system model"), QByteArray("quorix2 set system model 0"));
}

void SimFaultsTest::oversizedDatagrams()
{
    m_sim->setFaults(faultsFrom(QStringLiteral("fault-datagram-size"), QStringLiteral("20000")));
    QUdpSocket data;
    QVERIFY(data.bind(QHostAddress(kClient), 0));
    QCOMPARE(m_client->command("quorix2 set output net chmon udp my_ip " + QByteArray::number(data.localPort())),
             QByteArray("quorix2 ok"));
    QCOMPARE(m_client->command("quorix2 tracking start"), QByteArray("quorix2 ok"));
    QVERIFY(data.waitForReadyRead(3000));
    const QByteArray d = data.receiveDatagram(70000).data();
    QCOMPARE(d.size(), 20000);
    QVERIFY(d.startsWith("fr "));
    QVERIFY(d.endsWith("\r\n"));
}

void SimFaultsTest::splitReplies()
{
    m_sim->setFaults(faultsFrom(QStringLiteral("fault-split-reply"), QStringLiteral("300")));
    m_client->sendRaw(QByteArray("quorix2 get system model\0quorix2 get system hostname\0", 53));
    QTcpSocket &socket = m_client->socket();
    QTRY_VERIFY_WITH_TIMEOUT(socket.bytesAvailable() > 0 || socket.waitForReadyRead(10), 10000);
    const QByteArray first = socket.readAll();
    QCOMPARE(first, QByteArray("quorix2 set s"));   // the first half of the reply and its zero byte
    QCOMPARE(m_client->readReply(), QByteArray("ystem model 0"));
    QCOMPARE(m_client->readReply(), QByteArray("quorix2 set system hostname quorixsim"));   // order is kept
}

void SimFaultsTest::repliesWithoutZeroByte()
{
    m_sim->setFaults(faultsFrom(QStringLiteral("fault-no-zero"), QStringLiteral("yes")));
    m_client->sendRaw(QByteArray("quorix2 get system model\0", 25));
    QTcpSocket &socket = m_client->socket();
    QByteArray got;
    QElapsedTimer clock;
    clock.start();
    while (got.size() < 26 && clock.elapsed() < 3000 && socket.waitForReadyRead(100))
        got += socket.readAll();
    QCOMPARE(got, QByteArray("quorix2 set system model 0"));
    SimFaults f;
    QString error;
    QVERIFY(!f.applyOption(QStringLiteral("fault-no-zero"), QStringLiteral("maybe"), &error));
}

void SimFaultsTest::faultsCanBeClearedAtRunTime()
{
    m_sim->setFaults(faultsFrom(QStringLiteral("fault-no-reply"), QStringLiteral("get")));
    QVERIFY(m_sim->faults().any());
    QCOMPARE(m_client->command("quorix2 get system model", 200), QByteArray("<timeout>"));
    m_sim->setFaults(SimFaults());
    QVERIFY(!m_sim->faults().any());
    QCOMPARE(m_client->command("quorix2 get system model"), QByteArray("quorix2 set system model 0"));
}

void SimFaultsTest::firstBodyDropsOutOnTimeAndTheBodyCountFollows()
{
    // Against a run without the fault: body 0 is gone exactly in the windows.
    SimScenario plain;
    plain.rate = 100;
    plain.bodies = 3;
    SimScenario faulty = plain;
    QVERIFY(faulty.applyOption(QStringLiteral("drop-body"), QStringLiteral("1500:20"), nullptr));
    SimCommandProcessor a, b;
    startMeasuring(&a, plain);
    startMeasuring(&b, faulty);
    for (int f = 1; f <= 100 * 65; ++f) {
        a.advanceFrame();
        b.advanceFrame();
        const bool window = f >= 2000 && f % 2000 < 150; // from 20 s, 40 s and 60 s on for 1.5 s
        const bool wasTracked = a.motion().bodies[0].quality >= 0;
        QVERIFY2(streamsFirstBody(b) == (wasTracked && !window), qPrintable(QString::number(f)));
        QCOMPARE(b.motion().bodies[1].quality, a.motion().bodies[1].quality);
        QCOMPARE(status(b, "status number_of_bodies"), status(a, "status number_of_bodies") - (wasTracked && window ? 1 : 0));
    }
}

void SimFaultsTest::lostFramesSkipTheirNumbersAndAreReportedForTheLastSecond()
{
    SimScenario s;
    s.rate = 60;
    s.loseFramesEverySec = 5;
    SimCommandProcessor p, again;
    startMeasuring(&p, s);
    startMeasuring(&again, s);
    QMap<quint32, int> lostIn; // second of the measurement -> frames lost in it
    QSet<quint32> jumps;
    int gaps = 0;
    for (quint32 last = 0; last < 60 * 600;) {
        p.advanceFrame();
        again.advanceFrame();
        const quint32 fr = p.frameNumber();
        QCOMPARE(again.frameNumber(), fr); // the same frames go missing in every run
        QVERIFY2(fr - last >= 1 && fr - last <= 6, qPrintable(QStringLiteral("%1 after %2").arg(fr).arg(last)));
        gaps += fr - last > 1 ? 1 : 0;
        jumps.insert(fr - last);
        for (quint32 n = last + 1; n < fr; ++n)
            ++lostIn[n / 60];
        last = fr;
        QCOMPARE(status(p, "status frames_lost"), lostIn.value(fr / 60 - 1));
    }
    QVERIFY2(gaps >= 60 && gaps <= 240, qPrintable(QString::number(gaps))); // about every 5 s in 10 minutes
    QCOMPARE(jumps, (QSet<quint32>{1, 2, 3, 4, 5, 6}));

    // Without the option frames go 1 by 1, unless the server could not send
    // them in time; those are skipped and reported alike.
    s.loseFramesEverySec = 0;
    startMeasuring(&p, s);
    for (quint32 f = 1; f <= 70; ++f) {
        p.advanceFrame();
        QCOMPARE(p.frameNumber(), f);
    }
    p.loseFrames(3);
    while (p.frameNumber() < 120)
        p.advanceFrame();
    QCOMPARE(status(p, "status frames_lost"), 3);
    p.loseFrames(100000); // a long stall is skipped at once: a whole second lost
    p.advanceFrame();
    QCOMPARE(p.frameNumber(), quint32(100121));
    QCOMPARE(status(p, "status frames_lost"), 60);
    p.handle("quorix2 tracking stop", kPeer);
    QCOMPARE(status(p, "status frames_lost"), 0);
}

void SimFaultsTest::lostFramesLeaveGapsInTheStream()
{
    SimScenario s;
    s.rate = 200;
    s.loseFramesEverySec = 1;
    m_sim->setScenario(s);
    QUdpSocket data;
    QVERIFY(data.bind(QHostAddress(kClient), 0));
    m_client->command("quorix2 set output net chmon udp my_ip " + QByteArray::number(data.localPort()));
    QCOMPARE(m_client->command("quorix2 tracking start"), QByteArray("quorix2 ok"));
    qint64 last = 0;
    int gaps = 0;
    while (gaps < 2 && data.waitForReadyRead(3000)) {
        while (data.hasPendingDatagrams()) {
            const QByteArray d = data.receiveDatagram(70000).data();
            const qint64 fr = d.mid(3, d.indexOf('\r') - 3).toLongLong();
            QVERIFY(fr > last);
            gaps += last > 0 && fr - last > 1 ? 1 : 0;
            last = fr;
        }
    }
    QVERIFY2(gaps >= 2, qPrintable(QStringLiteral("%1 gaps up to frame %2").arg(gaps).arg(last)));
}

void SimFaultsTest::dimmedCameraSeesHalfAndUsesAThirdOfTheRays()
{
    SimScenario s;
    s.cameras = 4;
    s.markers = 20;
    s.dimCamera = 3;
    SimCommandProcessor p;
    startMeasuring(&p, s);
    double seen[5] = {}, used[5] = {};
    for (int f = 0; f < 600; ++f) {
        p.advanceFrame();
        for (int c = 1; c <= 4; ++c) {
            const QByteArray camera = " c0" + QByteArray::number(c);
            seen[c] += status(p, "status number_of_rays" + camera);
            used[c] += status(p, "status number_of_used_rays" + camera);
        }
    }
    const double othersSeen = (seen[1] + seen[2] + seen[4]) / 3, othersUsed = (used[1] + used[2] + used[4]) / 3;
    QVERIFY(othersSeen > 1000 && std::abs(seen[1] - seen[4]) < 0.2 * othersSeen);
    QVERIFY2(seen[3] > 0.4 * othersSeen && seen[3] < 0.6 * othersSeen, qPrintable(QString::number(seen[3] / othersSeen)));
    QVERIFY2(used[3] > 0.25 * othersUsed && used[3] < 0.42 * othersUsed, qPrintable(QString::number(used[3] / othersUsed)));
}

void SimFaultsTest::jitterIsRepeatableAndKeepsTheOrder()
{
    SimFaults f = faultsFrom(QStringLiteral("fault-jitter"), QStringLiteral("120"));
    const SimFaults same = f;
    SimFaults otherSeed = f;
    otherSeed.jitterSeed = 7;
    QSet<int> values;
    bool seedMatters = false, transportMatters = false;
    for (quint32 n = 1; n <= 60; ++n) {
        const int j = f.jitterFor(false, n);
        QVERIFY(j >= 0 && j <= 120);
        QCOMPARE(same.jitterFor(false, n), j);
        values.insert(j);
        seedMatters |= otherSeed.jitterFor(false, n) != j;
        transportMatters |= f.jitterFor(true, n) != j;
    }
    QVERIFY2(values.size() > 20, qPrintable(QString::number(values.size())));
    QVERIFY(seedMatters && transportMatters);

    // Eight commands at once on one connection: answered in order, each after
    // its own wait on top of the fixed delay.
    f.replyDelayMs = 10;
    m_sim->setFaults(f);
    QByteArray batch;
    int waits = 0;
    for (quint32 n = 1; n <= 8; ++n) {
        batch += n % 2 ? QByteArray("quorix2 get system model") : QByteArray("quorix2 get system hostname");
        batch += '\0';
        waits += 10 + f.jitterFor(false, n);
    }
    QElapsedTimer clock;
    clock.start();
    m_client->sendRaw(batch);
    for (int n = 1; n <= 8; ++n)
        QCOMPARE(m_client->readReply(), n % 2 ? QByteArray("quorix2 set system model 0")
                                              : QByteArray("quorix2 set system hostname quorixsim"));
    QVERIFY2(clock.elapsed() >= waits - 8, qPrintable(QStringLiteral("%1 ms for %2 ms of waits").arg(clock.elapsed()).arg(waits)));
    QCOMPARE(SimTestClient::udpCommand(kHost, QByteArray("quorix2 get system model\0", 25), kClient),
             QByteArray("quorix2 set system model 0"));
}

void SimFaultsTest::duplicateRepliesComeTwiceTheSecondLate()
{
    m_sim->setFaults(faultsFrom(QStringLiteral("fault-duplicate"), QStringLiteral("300:get system hostname")));
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(m_client->command("quorix2 get system hostname"), QByteArray("quorix2 set system hostname quorixsim"));
    const qint64 first = clock.elapsed();
    // The next command is answered before the late copy, which others do not get.
    QCOMPARE(m_client->command("quorix2 get system model"), QByteArray("quorix2 set system model 0"));
    QCOMPARE(m_client->readReply(), QByteArray("quorix2 set system hostname quorixsim"));
    const qint64 late = clock.elapsed() - first;
    QVERIFY2(late >= 250 && late < 2000, qPrintable(QString::number(late)));
    QCOMPARE(m_client->readReply(500), QByteArray("<timeout>"));

    QUdpSocket udp;
    QVERIFY(udp.bind(QHostAddress(kClient), 0));
    clock.restart();
    udp.writeDatagram(QByteArray("quorix2 get system hostname\0", 28), QHostAddress(kHost), 50105);
    udp.writeDatagram(QByteArray("quorix2 get system model\0", 25), QHostAddress(kHost), 50105);
    const QList<Arrival> got = collect(&udp, 900, clock);
    QCOMPARE(got.size(), 3);
    QCOMPARE(got[0].data, QByteArray("quorix2 set system hostname quorixsim\0", 38));
    QCOMPARE(got[2].data, got[0].data);
    QVERIFY2(got[2].atMs - got[0].atMs >= 250, qPrintable(QString::number(got[2].atMs - got[0].atMs)));

    // 0: the copy follows at once, for every command when no pattern is given.
    m_sim->setFaults(faultsFrom(QStringLiteral("fault-duplicate"), QStringLiteral("0")));
    QCOMPARE(m_client->command("quorix2 get system model"), QByteArray("quorix2 set system model 0"));
    QCOMPARE(m_client->readReply(200), QByteArray("quorix2 set system model 0"));
    QCOMPARE(collect(&udp, 0, clock).size(), 0);
    udp.writeDatagram(QByteArray("quorix2 get system model\0", 25), QHostAddress(kHost), 50105);
    QCOMPARE(collect(&udp, 300, clock).size(), 2);
}

void SimFaultsTest::cutRepliesEndTheConnectionMidReply()
{
    SimFaults f = faultsFrom(QStringLiteral("fault-cut-close"), QStringLiteral("get system hostname"));
    QString error;
    QVERIFY(f.applyOption(QStringLiteral("fault-cut-reset"), QStringLiteral("get system model"), &error));
    m_sim->setFaults(f);
    const QString source = QStringLiteral("127.0.3.53");
    int end = 0;

    RawClient closed;
    QVERIFY(closed.start(kHost, source));
    QCOMPARE(closed.waitConnected(3000), 0);
    QVERIFY(closed.send("quorix2 get camera number_of_cameras"));
    QCOMPARE(closed.read(3000, &end), QByteArray("quorix2 set camera number_of_cameras 4\0", 39));
    QVERIFY(closed.send("quorix2 get system hostname"));
    QCOMPARE(closed.read(3000, &end, false), QByteArray("quorix2 set system")); // 18 of its 37 characters
    QCOMPARE(end, 0);

    RawClient reset;
    QVERIFY(reset.start(kHost, source));
    QCOMPARE(reset.waitConnected(3000), 0);
    QVERIFY(reset.send("quorix2 get system model"));
    QCOMPARE(reset.read(3000, &end, false), QByteArray("quorix2 set s"));
    QCOMPARE(end, ECONNRESET);

    // Other connections are served on; UDP replies are never cut.
    QCOMPARE(m_client->command("quorix2 get camera number_of_cameras"), QByteArray("quorix2 set camera number_of_cameras 4"));
    QCOMPARE(SimTestClient::udpCommand(kHost, QByteArray("quorix2 get system model\0", 25), kClient),
             QByteArray("quorix2 set system model 0"));
}

void SimFaultsTest::blackholeAnswersUdpButLeavesConnectsHanging()
{
    const QString host = QStringLiteral("127.0.3.50"), source = QStringLiteral("127.0.3.51");
    const SimFaults blackhole = faultsFrom(QStringLiteral("fault-tcp-blackhole"), QStringLiteral("yes"));
    ControllerSimulator sim;
    sim.setFaults(blackhole);
    QString error;
    QVERIFY2(sim.start(host, 50105, &error), qPrintable(error));
    QVERIFY(sim.isRunning());
    QCOMPARE(SimTestClient::udpCommand(host, QByteArray("quorix2 get system model\0", 25), source),
             QByteArray("quorix2 set system model 0"));
    {
        RawClient pending;
        QVERIFY(pending.start(host, source));
        QCOMPARE(pending.waitConnected(1000), -1); // neither connected nor refused
    }

    // Switched off at run time, the port accepts again; switched on, it stops.
    sim.setFaults(SimFaults());
    SimTestClient client;
    QVERIFY(client.connectTo(host, 50105, source));
    QCOMPARE(client.command("quorix2 get system model"), QByteArray("quorix2 set system model 0"));
    sim.setFaults(blackhole);
    RawClient again;
    QVERIFY(again.start(host, source));
    QCOMPARE(again.waitConnected(1000), -1);
    QCOMPARE(client.command("quorix2 get system model"), QByteArray("quorix2 set system model 0")); // a connection made before stays
}

void SimFaultsTest::strangerSendsAlteredCopiesFromItsOwnAddress()
{
    const QString host = QStringLiteral("127.0.3.54"), source = QStringLiteral("127.0.3.55");
    const QString stranger = QStringLiteral("127.0.3.99");
    ControllerSimulator sim;
    sim.setFaults(faultsFrom(QStringLiteral("fault-stranger-data"), stranger));
    QString error;
    QVERIFY2(sim.start(host, 50105, &error), qPrintable(error));
    SimTestClient client;
    QVERIFY(client.connectTo(host, 50105, source));
    QUdpSocket data;
    QVERIFY(data.bind(QHostAddress(source), 0));
    client.command("quorix2 set output net chmon udp my_ip " + QByteArray::number(data.localPort()));
    QCOMPARE(client.command("quorix2 tracking start"), QByteArray("quorix2 ok"));
    QElapsedTimer clock;
    clock.start();
    QHash<qint64, QByteArray> own, strange;
    for (const Arrival& a : collect(&data, 700, clock)) {
        const qint64 fr = frameLine(a.data, "fr").mid(3).toLongLong();
        if (a.from == QHostAddress(stranger)) {
            QVERIFY(a.port != sim.senderPort());
            QVERIFY2(fr > qint64(SimFaults::StrangerFrameOffset), qPrintable(QString::number(fr)));
            strange.insert(fr - SimFaults::StrangerFrameOffset, a.data);
        } else {
            QCOMPARE(a.from, QHostAddress(host));
            QCOMPARE(a.port, sim.senderPort());
            own.insert(fr, a.data);
        }
    }
    QVERIFY2(own.size() > 10 && strange.size() > 10, qPrintable(QStringLiteral("%1 %2").arg(own.size()).arg(strange.size())));
    int compared = 0;
    for (auto it = strange.cbegin(); it != strange.cend(); ++it) {
        if (!own.contains(it.key()))
            continue;
        const QByteArray& mine = own[it.key()];
        QCOMPARE(frameLine(it.value(), "ts"), frameLine(mine, "ts"));
        // Each body the same, but 1000 mm further along x.
        const QList<QByteArray> a = groups(frameLine(mine, "6d")), b = groups(frameLine(it.value(), "6d"));
        QCOMPARE(b.size(), a.size());
        for (int i = 1; i < a.size(); i += 3) {
            QCOMPARE(b[i - 1], a[i - 1]);
            const QList<QByteArray> p = a[i].split(' '), q = b[i].split(' ');
            QVERIFY(std::abs(q[0].toDouble() - p[0].toDouble() - SimFaults::StrangerShiftXmm) < 0.0015);
            QCOMPARE(q.mid(1), p.mid(1));
            QCOMPARE(b[i + 1], a[i + 1]);
        }
        // And every marker.
        const QList<QByteArray> m = groups(frameLine(mine, "3d")), n = groups(frameLine(it.value(), "3d"));
        QCOMPARE(n.size(), m.size());
        for (int i = 1; i < m.size(); i += 2)
            QVERIFY(std::abs(n[i].split(' ')[0].toDouble() - m[i].split(' ')[0].toDouble() - SimFaults::StrangerShiftXmm) < 0.0015);
        ++compared;
    }
    QVERIFY(compared > 10);

    // Switched off at run time, only the simulator's own datagrams come.
    sim.setFaults(SimFaults());
    collect(&data, 100, clock);
    for (const Arrival& a : collect(&data, 300, clock))
        QCOMPARE(a.from, QHostAddress(host));

    // A stranger address that this machine lacks is a reason not to start.
    ControllerSimulator elsewhere;
    elsewhere.setFaults(faultsFrom(QStringLiteral("fault-stranger-data"), QStringLiteral("198.18.200.1")));
    QVERIFY(!elsewhere.start(QStringLiteral("127.0.3.56"), 50105, &error));
    QVERIFY2(error.startsWith(QLatin1String("stranger data 198.18.200.1")), qPrintable(error));
}

void SimFaultsTest::polledFramesLostQueryCanBeRefused()
{
    // The front end polls this once a second while measuring; every poll is refused.
    m_sim->setFaults(faultsFrom(QStringLiteral("fault-error"), QStringLiteral("get status frames_lost")));
    QCOMPARE(m_client->command("quorix2 tracking start"), QByteArray("quorix2 ok"));
    for (int poll = 0; poll < 3; ++poll) {
        QCOMPARE(m_client->command("quorix2 get status frames_lost"), QByteArray("quorix2 err -8 \"simulated fault\""));
        QCOMPARE(m_client->command("quorix2 get status active"), QByteArray("quorix2 set status active mea"));
        QTest::qWait(50);
    }
    QCOMPARE(SimTestClient::udpCommand(kHost, QByteArray("quorix2 get status frames_lost\0", 31), kClient),
             QByteArray("quorix2 err -8 \"simulated fault\""));
}

void SimFaultsTest::newFaultOptionsRejectBadValues()
{
    const struct
    {
        const char* name;
        const char* value;
        const char* says;
    } bad[] = {
        {"fault-jitter", "-1", "0 to 60000"},
        {"fault-jitter", "60001", "0 to 60000"},
        {"fault-jitter-seed", "seed", "0 to 4294967295"},
        {"fault-duplicate", "later:get", "0 to 60000"},
        {"fault-duplicate", "", "0 to 60000"},
        {"fault-cut-close", " ", "command pattern"},
        {"fault-cut-reset", "", "command pattern"},
        {"fault-tcp-blackhole", "maybe", "yes or no"},
        {"fault-stranger-data", "stranger", "IPv4 address"},
        {"fault-stranger-data", "0.0.0.0", "IPv4 address"},
        {"fault-stranger-data", "::1", "IPv4 address"},
        {"fault-stranger-data", "224.0.0.1", "IPv4 address"},
    };
    for (const auto& b : bad) {
        SimFaults f;
        QString error;
        QVERIFY2(!f.applyOption(QLatin1String(b.name), QLatin1String(b.value), &error), b.name);
        QVERIFY2(error.startsWith(QLatin1String(b.name) + QLatin1String(": ")) && error.contains(QLatin1String(b.says)),
                 qPrintable(error));
        QVERIFY(!f.any());
    }
    SimFaults f;
    QString error;
    QVERIFY(f.applyOption(QStringLiteral("fault-duplicate"), QStringLiteral("250: get status"), &error));
    QCOMPARE(f.duplicateMs, 250);
    QCOMPARE(f.duplicatePattern, QStringLiteral("get status"));
    QVERIFY(f.applyOption(QStringLiteral("fault-stranger-data"), QStringLiteral("127.0.0.99"), &error));
    QVERIFY(f.applyOption(QStringLiteral("fault-stranger-data"), QStringLiteral("off"), &error));
    QVERIFY(f.strangerData.isNull());
}

QTEST_GUILESS_MAIN(SimFaultsTest)
#include "tst_SimFaults.moc"
