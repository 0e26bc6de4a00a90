// Each fault the simulator can show, set by option text or at run time through the API.
#include "ControllerSimulator.h"
#include "SimFaults.h"
#include "SimTestClient.h"

#include <QNetworkDatagram>
#include <QUdpSocket>
#include <QtTest>

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

QTEST_GUILESS_MAIN(SimFaultsTest)
#include "tst_SimFaults.moc"
