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

#include <cmath>

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
    QTest::qWait(150);
    QTcpSocket &socket = m_client->socket();
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

QTEST_GUILESS_MAIN(SimFaultsTest)
#include "tst_SimFaults.moc"
