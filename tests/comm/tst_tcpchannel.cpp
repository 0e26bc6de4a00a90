// The TCP channel and the UDP channel against a scripted loopback Controller.
#include "CommandsLog.h"
#include "IOManagerUdp.h"
#include "IOManagerUdpTcp.h"
#include "MessageBoxProvider.h"
#include "MessageReceiver.h"
#include "Requester.h"
#include "ScriptedResponder.h"
#include "Socket.h"
#include "TestHome.h"

#include <QFile>
#include <QRegularExpression>
#include <QUdpSocket>
#include <QtTest>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <arpa/inet.h>

#include <atomic>
#include <mutex>
#include <thread>

using Action = ScriptedResponder::Action;
using Use = ScriptedResponder::Use;

namespace {

const int Port = 50105;

class LineRecorder : public Requester
{
public:
    int onData(const char *key, const char *line) override
    {
        if (delayMs)
            std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        std::lock_guard<std::mutex> lock(mutex);
        lines << QByteArray(key) + "|" + QByteArray(line);
        ++calls;
        return 0;
    }
    void onMeasurementStarted() override { ++started; }
    void onMeasurementStopped() override { ++stopped; }

    QList<QByteArray> taken()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return lines;
    }

    std::mutex mutex;
    QList<QByteArray> lines;
    std::atomic<int> calls{0};
    std::atomic<int> started{0};
    std::atomic<int> stopped{0};
    int delayMs = 0;
};

class StandardChannel : public MessageReceiver
{
public:
    int receive(int, const char *sender, const char *text) override
    {
        messages << QString("%1: %2").arg(sender, text);
        return 0;
    }
    QStringList messages;
};

class BoxRecorder : public MessageBoxProvider
{
public:
    void openMessageBox(int, QString title, QString text) override { boxes << title + "|" + text; }
    QStringList boxes;
};

struct Connected {
    ScriptedResponder controller;
    BoxRecorder boxes;
    IOManagerUdpTcp channel{&boxes};
    StandardChannel standard;
    unsigned short dataPort = 0;

    bool open(const char *address)
    {
        if (!controller.start(address, Port))
            return false;
        channel.addMessageReceiver("standard", &standard);
        return channel.connectController(address, Port, &dataPort) == 0 && dataPort != 0;
    }
};

// Status replies for a measurement that a command starts.
void scriptStart(ScriptedResponder &c, const char *version = "v0.2.8", int senderPort = Port)
{
    c.on("quorix2 get status active", Action::reply("quorix2 set status active none"), Use::Once);
    c.on("quorix2 get status active", Action::reply("quorix2 set status active mea"), Use::Once);
    c.on("quorix2 get system version", Action::reply(QByteArray("quorix2 set system version ") + version));
    c.on("quorix2 get output net_sender_port chmon",
         Action::reply("quorix2 set output net_sender_port chmon " + QByteArray::number(senderPort)));
}

} // namespace

class tst_TcpChannel : public QObject
{
    Q_OBJECT

private slots:
    void connectsOnceAndExchanges();
    void connectionRefused();
    void replyInPiecesIsCollected();
    void pauseInsideAReplyNeverSplitsIt_data();
    void pauseInsideAReplyNeverSplitsIt();
    void replyWithoutZeroByteEndsWhenThePeerFallsSilent();
    void asyncReplyWithoutZeroByteIsTaken();
    void overlongReplyIsCutAndItsRestDiscarded();
    void overlongReplyLeavesTheChannelInStep();
    void lateReplyWithinSecondWaitIsAccepted();
    void noReplyBreaksTheChannel();
    void lateReplyIsNotTakenForTheNextOne();
    void lateReplyNeverAnswersALaterCommand_data();
    void lateReplyNeverAnswersALaterCommand();
    void closeOrResetBreaksTheChannel_data();
    void closeOrResetBreaksTheChannel();
    void lossIsRecordedAndEndsTheMeasurement_data();
    void lossIsRecordedAndEndsTheMeasurement();
    void overlongCommandTouchesNoSocket();
    void startWaitsLongerThanOtherCommands();
    void measurementStartAndStopAreNoticed();
    void pollThatSeesAStartKeepsItsOwnValue();
    void datagramLinesReachTheirSubscribers();
    void unsubscribeWaitsForDelivery();
    void unsubscribeFromInsideDelivery();
    void destructionStopsTheWorker();
    void asyncCommandOverTcp();
    void commandsLogEntries();
    void commandsLogSizeCheck();
    void commandsLogNeverThroughALink();
    void passwordsNeverReachALog();
    void commandsLogReportsUnwritableDirectory();
    void udpExchange();
    void connectAttemptIsBoundedAndCancellable();
    void doubledOrStrayRepliesNeverAnswerTheNextCommand();
    void commandFromTheWaitingThreadFailsAtOnce();
    void cancelledWaitEndsAtOnce();
    void refusedPollRaisesNoBoxAndIsSaidOnce();
    void resetBeforeASendIsAClose();
    void measurementDataOnlyFromTheController();
    void skippedDatagramsAreCountedForTheStatusRound();
};

void tst_TcpChannel::connectsOnceAndExchanges()
{
    Connected c;
    QVERIFY(c.open("127.0.1.1"));
    c.controller.on("quorix2 get status number_of_used_rays c01", Action::reply("quorix2 set status number_of_used_rays c1 17"));
    int rays = 0;
    QCOMPARE(c.channel.getInt(&rays, "status number_of_used_rays c%02d", 1), 0);
    QCOMPARE(rays, 17);
    unsigned short again = 0;
    QCOMPARE(c.channel.connectController("127.0.1.1", Port, &again), -1);
    QCOMPARE(c.controller.connectionCount(), 1);
}

void tst_TcpChannel::connectionRefused()
{
    IOManagerUdpTcp channel(nullptr);
    unsigned short dataPort = 0;
    QCOMPARE(channel.connectController("127.0.1.2", Port, &dataPort), -2);   // nobody listens there
    char reply[IOManager::BufferSize];
    QCOMPARE(channel.sendCommand(reply, "quorix2 init"), -2);
    QCOMPARE(QByteArray(reply), QByteArray("quorix2 err command_exec"));
    QCOMPARE(channel.sendCommand(reply, "quorix2 init"), -222);
}

void tst_TcpChannel::replyInPiecesIsCollected()
{
    Connected c;
    QVERIFY(c.open("127.0.1.3"));
    // Two segments back to back, as a long reply may travel.
    c.controller.on("quorix2 get system full_name",
                    Action::reply("quorix2 set system full_name Room 4 tracking").splitAt(14, 0));
    char name[IOManager::BufferSize] = "";
    QCOMPARE(c.channel.getString(name, "system full_name"), 0);
    QCOMPARE(QByteArray(name), QByteArray("Room 4 tracking"));
}

void tst_TcpChannel::pauseInsideAReplyNeverSplitsIt_data()
{
    QTest::addColumn<int>("gapMs");
    QTest::addColumn<bool>("async");
    QTest::addColumn<QString>("address");
    QTest::newRow("20 ms, waiting") << 20 << false << "127.0.1.30";
    QTest::newRow("100 ms, waiting") << 100 << false << "127.0.1.31";
    QTest::newRow("500 ms, waiting") << 500 << false << "127.0.1.32";
    QTest::newRow("20 ms, asynchronous") << 20 << true << "127.0.1.33";
    QTest::newRow("100 ms, asynchronous") << 100 << true << "127.0.1.34";
    QTest::newRow("500 ms, asynchronous") << 500 << true << "127.0.1.35";
}

// Every reply comes in two TCP segments with a pause between them, the first
// reply of the connection as well as the later ones.
void tst_TcpChannel::pauseInsideAReplyNeverSplitsIt()
{
    QFETCH(int, gapMs);
    QFETCH(bool, async);
    QFETCH(QString, address);
    Connected c;
    QVERIFY(c.open(address.toLatin1().constData()));
    c.controller.on("quorix2 get system access", Action::reply("quorix2 set system access full").splitAt(20, gapMs));
    c.controller.on("quorix2 get status number_of_bodies",
                    Action::reply("quorix2 set status number_of_bodies 2").splitAt(30, gapMs));
    c.controller.on("quorix2 get config active_name",
                    Action::reply("quorix2 set config active_name hall").splitAt(8, gapMs));

    char access[IOManager::BufferSize] = "";
    int bodies = -1;
    char name[IOManager::BufferSize] = "";
    for (int round = 0; round < 2; ++round) {
        if (async) {
            c.channel.prepareNextCommand(true, 3000, false);
            QCOMPARE(c.channel.getString(access, "system access"), 1);
            QCOMPARE(c.channel.waitAsyncReply(QEventLoop::AllEvents), 0);
            c.channel.prepareNextCommand(true, 3000, false);
            QCOMPARE(c.channel.getInt(&bodies, "status number_of_bodies"), 1);
            QCOMPARE(c.channel.waitAsyncReply(QEventLoop::AllEvents), 0);
        } else {
            QCOMPARE(c.channel.getString(access, "system access"), 0);
            QCOMPARE(c.channel.getInt(&bodies, "status number_of_bodies"), 0);
        }
        QCOMPARE(QByteArray(access), QByteArray("full"));
        QCOMPARE(bodies, 2);
        // A waiting command after an asynchronous one, and the other way round.
        if (async) {
            QCOMPARE(c.channel.getString(name, "config active_name"), 0);
        } else {
            c.channel.prepareNextCommand(true, 3000, false);
            QCOMPARE(c.channel.getString(name, "config active_name"), 1);
            QCOMPARE(c.channel.waitAsyncReply(QEventLoop::AllEvents), 0);
        }
        QCOMPARE(QByteArray(name), QByteArray("hall"));
    }
    QVERIFY(!c.channel.isBroken());
    QVERIFY(c.standard.messages.isEmpty());
    QVERIFY(c.boxes.boxes.isEmpty());
}

// A peer that ends its replies with no zero byte costs one time-out, at its
// first reply; after that a moment per reply.
void tst_TcpChannel::replyWithoutZeroByteEndsWhenThePeerFallsSilent()
{
    Connected c;
    QVERIFY(c.open("127.0.1.4"));
    c.controller.on("quorix2 get status active", Action::raw("quorix2 set status active none"));
    c.controller.on("quorix2 init", Action::raw("quorix2 ok"));
    char reply[IOManager::BufferSize];
    QElapsedTimer clock;
    clock.start();
    c.channel.prepareNextCommand(false, 300, false);
    QCOMPARE(c.channel.sendCommand(reply, "quorix2 init"), 0);
    QCOMPARE(QByteArray(reply), QByteArray("quorix2 ok"));
    QVERIFY(clock.elapsed() >= 300);

    clock.restart();
    c.channel.prepareNextCommand(false, 10000, false);
    QCOMPARE(c.channel.sendCommand(reply, "quorix2 init"), 0);
    QCOMPARE(QByteArray(reply), QByteArray("quorix2 ok"));
    char state[IOManager::BufferSize] = "";
    QCOMPARE(c.channel.getString(state, "status active"), 0);
    QCOMPARE(QByteArray(state), QByteArray("none"));
    QVERIFY2(clock.elapsed() < 5000, "waited out the time-out");
    QVERIFY(!c.channel.isBroken());
    QVERIFY(c.standard.messages.isEmpty());
}

void tst_TcpChannel::asyncReplyWithoutZeroByteIsTaken()
{
    Connected c;
    QVERIFY(c.open("127.0.1.21"));
    c.controller.on("quorix2 get config active_name", Action::raw("quorix2 set config active_name hall").delayed(50));
    c.channel.prepareNextCommand(true, 300, false);
    char name[IOManager::BufferSize] = "";
    QCOMPARE(c.channel.getString(name, "config active_name"), 1);
    QCOMPARE(c.channel.waitAsyncReply(QEventLoop::AllEvents), 0);
    QCOMPARE(QByteArray(name), QByteArray("hall"));

    // Known now: the next replies end when the peer falls silent.
    QElapsedTimer clock;
    clock.start();
    name[0] = '\0';
    c.channel.prepareNextCommand(true, 10000, false);
    QCOMPARE(c.channel.getString(name, "config active_name"), 1);
    QCOMPARE(c.channel.waitAsyncReply(QEventLoop::AllEvents), 0);
    QCOMPARE(QByteArray(name), QByteArray("hall"));
    QVERIFY2(clock.elapsed() < 5000, "waited out the time-out");
    int lost = -1;
    c.controller.on("quorix2 get status frames_lost", Action::reply("quorix2 set status frames_lost 4"));
    QCOMPARE(c.channel.getInt(&lost, "status frames_lost"), 0);
    QCOMPARE(lost, 4);
}

void tst_TcpChannel::overlongReplyIsCutAndItsRestDiscarded()
{
    Connected c;
    QVERIFY(c.open("127.0.1.5"));
    const QByteArray huge = "quorix2 set system full_name " + QByteArray(300, 'x');
    c.controller.on("quorix2 get system full_name", Action::reply(huge));
    c.controller.on("quorix2 get status frames_lost", Action::reply("quorix2 set status frames_lost 3"));
    char reply[IOManager::BufferSize];
    QCOMPARE(c.channel.sendCommand(reply, "quorix2 get system full_name"), 0);
    QCOMPARE(int(strlen(reply)), 199);
    QVERIFY(QByteArray(reply).startsWith("quorix2 set system full_name xxx"));
    QTest::qWait(50);   // the rest of the long reply is waiting now
    int lost = -1;
    QCOMPARE(c.channel.getInt(&lost, "status frames_lost"), 0);
    QCOMPARE(lost, 3);
}

void tst_TcpChannel::overlongReplyLeavesTheChannelInStep()
{
    Connected c;
    QVERIFY(c.open("127.0.1.22"));
    c.controller.on("quorix2 get system full_name", Action::reply("quorix2 set system full_name " + QByteArray(3971, 'x')));
    c.controller.on("quorix2 get status active", Action::reply("quorix2 set status active none"));
    c.controller.on("quorix2 get status frames_lost", Action::reply("quorix2 set status frames_lost 3"));
    c.controller.on("quorix2 get system hostname", Action::reply("quorix2 set system hostname tbox"));
    char name[IOManager::BufferSize] = "";
    QCOMPARE(c.channel.getString(name, "system full_name"), 0);
    QCOMPARE(int(strlen(name)), 199 - 29);

    char state[IOManager::BufferSize] = "";
    int lost = -1;
    char host[IOManager::BufferSize] = "";
    QCOMPARE(c.channel.getString(state, "status active"), 0);
    QCOMPARE(QByteArray(state), QByteArray("none"));
    QCOMPARE(c.channel.getInt(&lost, "status frames_lost"), 0);
    QCOMPARE(lost, 3);
    QCOMPARE(c.channel.getString(host, "system hostname"), 0);
    QCOMPARE(QByteArray(host), QByteArray("tbox"));
    QVERIFY(c.standard.messages.isEmpty());
    QVERIFY(c.boxes.boxes.isEmpty());
}

void tst_TcpChannel::lateReplyWithinSecondWaitIsAccepted()
{
    Connected c;
    QVERIFY(c.open("127.0.1.6"));
    c.channel.setReplyTimeout(400000);
    c.controller.on("quorix2 get status frames_lost", Action::reply("quorix2 set status frames_lost 8").delayed(600));
    int lost = -1;
    QCOMPARE(c.channel.getInt(&lost, "status frames_lost"), 0);
    QCOMPARE(lost, 8);
    QVERIFY(c.standard.messages.isEmpty());
    QVERIFY(!c.channel.isBroken());
}

void tst_TcpChannel::noReplyBreaksTheChannel()
{
    Connected c;
    QVERIFY(c.open("127.0.1.7"));
    c.channel.setReplyTimeout(200000);
    c.controller.on("quorix2 getmsg", Action::none());
    char reply[IOManager::BufferSize];
    QCOMPARE(c.channel.sendCommand(reply, "quorix2 getmsg"), -111);
    QCOMPARE(QByteArray(reply), QByteArray("quorix2 err command_exec"));
    QCOMPARE(c.standard.messages, QStringList{"IOManagerUdpTcp: UDP timeout: last command sent: quorix2 getmsg"});
    QVERIFY(c.channel.isBroken());

    const int sent = c.controller.commands().size();
    QCOMPARE(c.channel.sendCommand(reply, "quorix2 get status active"), -222);
    QCOMPARE(QByteArray(reply), QByteArray("quorix2 err command_exec"));
    QCOMPARE(c.channel.setParameter("output active chmon 6d yes"), -222);
    QTest::qWait(50);
    QCOMPARE(c.controller.commands().size(), sent);
}

void tst_TcpChannel::lateReplyIsNotTakenForTheNextOne()
{
    Connected c;
    QVERIFY(c.open("127.0.1.8"));
    c.channel.setReplyTimeout(150000);
    // A reboot never breaks the channel through its own reply, so a next command follows.
    c.controller.on("quorix2 system reboot", Action::late("quorix2 ok", 250));
    c.controller.on("quorix2 get status number_of_bodies", Action::reply("quorix2 set status number_of_bodies 2"));
    char reply[IOManager::BufferSize];
    QCOMPARE(c.channel.sendCommand(reply, "quorix2 system reboot"), -111);
    QVERIFY(!c.channel.isBroken());
    QTest::qWait(350);   // the late "quorix2 ok" has arrived by now
    int bodies = -1;
    QCOMPARE(c.channel.getInt(&bodies, "status number_of_bodies"), 0);
    QCOMPARE(bodies, 2);
}

void tst_TcpChannel::lateReplyNeverAnswersALaterCommand_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("address");
    QTest::newRow("reboot") << "reboot" << "127.0.1.23";
    QTest::newRow("shutdown") << "shutdown" << "127.0.1.24";
    QTest::newRow("asynchronous set") << "async set" << "127.0.1.25";
    QTest::newRow("asynchronous get") << "async get" << "127.0.1.26";
    QTest::newRow("state query of a stop") << "state query" << "127.0.1.27";
}

// A command gives up on its reply, the reply comes all the same, and then a
// set that the Controller refuses must still be seen as refused.
void tst_TcpChannel::lateReplyNeverAnswersALaterCommand()
{
    QFETCH(QString, kind);
    QFETCH(QString, address);
    Connected c;
    QVERIFY(c.open(address.toLatin1().constData()));
    c.channel.setReplyTimeout(300000);
    const int lateMs = 500;
    char reply[IOManager::BufferSize] = "";
    if (kind == "reboot" || kind == "shutdown") {
        const QByteArray command = "quorix2 system " + kind.toLatin1();
        c.controller.on(command, Action::late("quorix2 ok", lateMs));
        QCOMPARE(c.channel.sendCommand(reply, "%s", command.constData()), -111);
    } else if (kind == "async set") {
        c.controller.on("quorix2 set output active chmon 6d yes", Action::late("quorix2 ok", lateMs));
        c.channel.prepareNextCommand(true, 100, false);
        QCOMPARE(c.channel.setParameter("output active %s 6d yes", "chmon"), 1);
        QCOMPARE(c.channel.waitAsyncReply(QEventLoop::AllEvents), -1);
    } else if (kind == "async get") {
        c.controller.on("quorix2 get config active_name", Action::late("quorix2 set config active_name a", lateMs));
        c.channel.prepareNextCommand(true, 100, false);
        char name[IOManager::BufferSize] = "";
        QCOMPARE(c.channel.getString(name, "config active_name"), 1);
        QCOMPARE(c.channel.waitAsyncReply(QEventLoop::AllEvents), -1);
    } else {
        // The state query before the stop times out; its answer comes just ahead of the stop's.
        c.controller.on("quorix2 get status active", Action::late("quorix2 set status active mea", lateMs), Use::Once);
        c.controller.on("quorix2 get status active", Action::reply("quorix2 set status active none"));
        c.controller.on("quorix2 tracking stop", Action::reply("quorix2 ok"));
        QCOMPARE(c.channel.sendCommand(reply, "quorix2 tracking stop"), 0);
        QCOMPARE(QByteArray(reply), QByteArray("quorix2 ok"));
    }
    QVERIFY(!c.channel.isBroken());

    // Sent before the late reply is out: the Controller answers it right behind.
    c.controller.on("quorix2 set camera c01 active yes", Action::reply("quorix2 err -3 \"bad value\""));
    QCOMPARE(c.channel.setParameter("camera c%02d active yes", 1), -34);
    QCOMPARE(c.boxes.boxes,
             QStringList{"Command Error|quorix2 set camera c01 active yes\nquorix2 err -3 \"bad value\""});
    c.controller.on("quorix2 get status frames_lost", Action::reply("quorix2 set status frames_lost 3"));
    int lost = -1;
    QCOMPARE(c.channel.getInt(&lost, "status frames_lost"), 0);
    QCOMPARE(lost, 3);
}

void tst_TcpChannel::closeOrResetBreaksTheChannel_data()
{
    QTest::addColumn<bool>("reset");
    QTest::addColumn<QString>("address");
    QTest::newRow("close") << false << "127.0.1.9";
    QTest::newRow("reset") << true << "127.0.1.10";
}

void tst_TcpChannel::closeOrResetBreaksTheChannel()
{
    QFETCH(bool, reset);
    QFETCH(QString, address);
    Connected c;
    QVERIFY(c.open(address.toLatin1().constData()));
    c.controller.on("quorix2 init", reset ? Action::reset() : Action::raw("quorix2 o").thenClose());
    char reply[IOManager::BufferSize];
    const int r = c.channel.sendCommand(reply, "quorix2 init");
    // Half a reply, then the close, is no reply: the command failed with the connection.
    QCOMPARE(r, -22);
    QCOMPARE(QByteArray(reply), QByteArray("quorix2 err command_exec"));
    QVERIFY(c.channel.isBroken());
    QCOMPARE(c.channel.sendCommand(reply, "quorix2 getmsg"), -222);
}

void tst_TcpChannel::lossIsRecordedAndEndsTheMeasurement_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("address");
    QTest::newRow("close") << "close" << "127.0.1.40";
    QTest::newRow("reset") << "reset" << "127.0.1.41";
    QTest::newRow("time-out") << "time-out" << "127.0.1.42";
}

// A Controller that goes away while measuring (a reboot): the loss and the end
// of the measurement are told on channel "standard", and the requesters hear
// that the measurement stopped.
void tst_TcpChannel::lossIsRecordedAndEndsTheMeasurement()
{
    QFETCH(QString, how);
    QFETCH(QString, address);
    Connected c;
    QVERIFY(c.open(address.toLatin1().constData()));
    LineRecorder requester;
    c.channel.addRequester(&requester);
    scriptStart(c.controller);
    char reply[IOManager::BufferSize];
    QCOMPARE(c.channel.sendCommand(reply, "quorix2 tracking start"), 0);
    QVERIFY(c.channel.isRunning());
    QCOMPARE(requester.started.load(), 1);

    c.channel.setReplyTimeout(200000);
    c.controller.on("quorix2 get status number_of_bodies",
                    how == "close" ? Action::close() : how == "reset" ? Action::reset() : Action::none());
    int bodies = -1;
    const int r = c.channel.getInt(&bodies, "status number_of_bodies");
    QCOMPARE(r, how == "time-out" ? -111 : -22);
    QVERIFY(c.channel.isBroken());
    QVERIFY(!c.channel.isRunning());
    QCOMPARE(requester.stopped.load(), 1);
    const QString first = how == "time-out"
        ? QString("IOManagerUdpTcp: UDP timeout: last command sent: quorix2 get status number_of_bodies")
        : QString("IOManagerUdpTcp: Connection to Controller %1 lost: the Controller closed or reset the connection. "
                  "Last command sent: quorix2 get status number_of_bodies").arg(address);
    QCOMPARE(c.standard.messages,
             (QStringList{first, QString("IOManagerUdpTcp: Measurement ended for QUORIX4: connection to Controller %1 lost.")
                                     .arg(address)}));

    // Said once: later commands find the channel broken and say nothing more.
    QCOMPARE(c.channel.getInt(&bodies, "status number_of_bodies"), -222);
    QCOMPARE(c.standard.messages.size(), 2);
    QCOMPARE(requester.stopped.load(), 1);
    c.channel.removeRequester(&requester);
}

void tst_TcpChannel::overlongCommandTouchesNoSocket()
{
    Connected c;
    QVERIFY(c.open("127.0.1.11"));
    char reply[IOManager::BufferSize];
    const QByteArray command = "quorix2 " + QByteArray(193, 'a');
    QCOMPARE(command.size(), 201);
    QCOMPARE(c.channel.exchange(reply, command.constData()), -1);
    QCOMPARE(c.channel.sendCommand(reply, "%s", command.constData()), -1);
    QVERIFY(!c.channel.isBroken());
    // The next command on the same connection is the first the Controller gets.
    c.controller.on("quorix2 get status active", Action::reply("quorix2 set status active none"));
    QCOMPARE(c.channel.sendCommand(reply, "quorix2 get status active"), 0);
    QCOMPARE(c.controller.commands(), QList<QByteArray>{"quorix2 get status active"});
}

void tst_TcpChannel::startWaitsLongerThanOtherCommands()
{
    Connected c;
    QVERIFY(c.open("127.0.1.12"));
    c.controller.on("quorix2 get status active", Action::reply("quorix2 set status active none"));
    c.controller.on("quorix2 tracking start", Action::reply("quorix2 err -1 \"no cameras\"").delayed(2600));
    char reply[IOManager::BufferSize];
    QCOMPARE(c.channel.sendCommand(reply, "quorix2 tracking start"), 0);
    QCOMPARE(QByteArray(reply), QByteArray("quorix2 err -1 \"no cameras\""));
    QVERIFY(c.standard.messages.isEmpty());
}

void tst_TcpChannel::measurementStartAndStopAreNoticed()
{
    Connected c;
    QVERIFY(c.open("127.0.1.13"));
    LineRecorder requester;
    c.channel.addRequester(&requester);
    scriptStart(c.controller);
    char reply[IOManager::BufferSize];
    QCOMPARE(c.channel.sendCommand(reply, "quorix2 tracking start"), 0);
    QCOMPARE(requester.started.load(), 1);
    QVERIFY(c.channel.isRunning());

    // The dummy datagram leaves from the data port towards the reported sender port.
    QVERIFY(c.controller.waitForCommands(6, 2000));
    const QList<ScriptedResponder::Received> log = c.controller.received();
    QStringList tcp;
    for (const auto &r : log)
        if (r.transport == ScriptedResponder::Transport::Tcp)
            tcp << QString::fromLatin1(r.command);
    QCOMPARE(tcp, (QStringList{"quorix2 get status active", "quorix2 tracking start", "quorix2 get status active",
                               "quorix2 get system version", "quorix2 get output net_sender_port chmon"}));
    QCOMPARE(log.last().transport, ScriptedResponder::Transport::Udp);
    QCOMPARE(log.last().command, QByteArray("dummy"));
    QCOMPARE(log.last().peerPort, c.dataPort);

    // Another client stopped the measurement: the next status poll tells.
    c.controller.on("quorix2 get status active", Action::reply("quorix2 set status active mea"), Use::Once);
    c.controller.on("quorix2 get status active", Action::reply("quorix2 set status active none"), Use::Once);
    QCOMPARE(c.channel.sendCommand(reply, "quorix2 get status active"), 0);
    QCOMPARE(requester.stopped.load(), 0);
    QCOMPARE(c.channel.sendCommand(reply, "quorix2 get status active"), 0);
    QCOMPARE(requester.stopped.load(), 1);
    QVERIFY(!c.channel.isRunning());

    // Old Controllers get no dummy datagram.
    Connected old;
    QVERIFY(old.open("127.0.1.14"));
    scriptStart(old.controller, "v0.2.7");
    QCOMPARE(old.channel.sendCommand(reply, "quorix2 tracking start"), 0);
    // A dummy would have left within the start; a datagram sent after it
    // reaches the Controller behind it.
    QUdpSocket sentinel;
    QCOMPARE(sentinel.writeDatagram("sentinel", old.controller.address(), old.controller.port()), qint64(8));
    QTRY_VERIFY_WITH_TIMEOUT(old.controller.commands().contains("sentinel"), 10000);
    QStringList udp;
    for (const auto &r : old.controller.received())
        if (r.transport == ScriptedResponder::Transport::Udp)
            udp << QString::fromLatin1(r.command);
    QCOMPARE(udp, QStringList{"sentinel"});
    QVERIFY(old.channel.isRunning());
}

// The state query that first sees a measurement started (or stopped)
// elsewhere sets off the notices, whose own queries must not answer it.
void tst_TcpChannel::pollThatSeesAStartKeepsItsOwnValue()
{
    Connected c;
    QVERIFY(c.open("127.0.1.70"));
    LineRecorder requester;
    c.channel.addRequester(&requester);
    c.controller.on("quorix2 get system version", Action::reply("quorix2 set system version v0.2.8"));
    c.controller.on("quorix2 get output net_sender_port chmon",
                    Action::reply("quorix2 set output net_sender_port chmon " + QByteArray::number(Port)));
    c.controller.on("quorix2 get status active", Action::reply("quorix2 set status active mea"), Use::Once);
    c.controller.on("quorix2 get status active", Action::reply("quorix2 set status active none"), Use::Once);

    char state[IOManager::BufferSize] = "";
    QCOMPARE(c.channel.getString(state, "status active"), 0);
    QCOMPARE(QByteArray(state), QByteArray("mea"));
    QCOMPARE(requester.started.load(), 1);
    QVERIFY(c.channel.isRunning());
    // The notice's queries went out after the poll, whole.
    const QList<QByteArray> sent = c.controller.commands();
    QVERIFY(sent.indexOf("quorix2 get system version") > sent.indexOf("quorix2 get status active"));

    QCOMPARE(c.channel.getString(state, "status active"), 0);
    QCOMPARE(QByteArray(state), QByteArray("none"));
    QCOMPARE(requester.stopped.load(), 1);
    QVERIFY(!c.channel.isRunning());
}

void tst_TcpChannel::datagramLinesReachTheirSubscribers()
{
    Connected c;
    QVERIFY(c.open("127.0.1.15"));
    LineRecorder first;
    LineRecorder second;
    QCOMPARE(c.channel.addDataListener("6d", &first), 0);
    QCOMPARE(c.channel.addDataListener("6d", &first), -1);
    QCOMPARE(c.channel.addDataListener("6d", &second), 0);
    QCOMPARE(c.channel.addDataListener("3d", &second), 0);
    QCOMPARE(c.channel.addDataListener("abcdefghij", &second), 0);
    scriptStart(c.controller, "v0.2.2");
    char reply[IOManager::BufferSize];
    QCOMPARE(c.channel.sendCommand(reply, "quorix2 tracking start"), 0);

    const QHostAddress local("127.0.0.1");
    QVERIFY(c.controller.sendDatagram("fr 21\r\n6d 1 [0 1.000][1 2 3 0 0 0]\r\n\r\n3d 2 [1 1.0][4 5 6]\r\n"
                                      "abcdefghij x\n6dmt 0",
                                      local, c.dataPort));
    QTRY_COMPARE(second.calls.load(), 2);
    QTRY_COMPARE(first.calls.load(), 1);
    QCOMPARE(first.taken(), QList<QByteArray>{"6d|6d 1 [0 1.000][1 2 3 0 0 0]"});
    QCOMPARE(second.taken(), (QList<QByteArray>{"6d|6d 1 [0 1.000][1 2 3 0 0 0]", "3d|3d 2 [1 1.0][4 5 6]"}));

    // A subscriber that left gets nothing more.
    QCOMPARE(c.channel.removeDataListener("6d", &second), 0);
    QCOMPARE(c.channel.removeDataListener("6d", &second), -1);
    QCOMPARE(c.channel.removeDataListener("nokey", &second), -1);
    QVERIFY(c.controller.sendDatagram("6d 0\n", local, c.dataPort));
    QTRY_COMPARE(first.calls.load(), 2);
    QTest::qWait(50);
    QCOMPARE(second.calls.load(), 2);
    c.channel.removeDataListener("6d", &first);
    c.channel.removeDataListener("3d", &second);
    c.channel.removeDataListener("abcdefghij", &second);
}

void tst_TcpChannel::unsubscribeWaitsForDelivery()
{
    Connected c;
    QVERIFY(c.open("127.0.1.16"));
    LineRecorder slow;
    slow.delayMs = 30;
    c.channel.addDataListener("6d", &slow);
    scriptStart(c.controller, "v0.2.2");
    char reply[IOManager::BufferSize];
    QCOMPARE(c.channel.sendCommand(reply, "quorix2 tracking start"), 0);

    std::atomic<bool> streaming{true};
    std::thread stream([&] {
        // From the Controller's address: nothing else reaches the listeners.
        QUdpSocket s;
        s.bind(QHostAddress("127.0.1.16"), 0);
        const char line[] = "6d 1 [0 1.0][0 0 0 0 0 0]";
        while (streaming) {
            s.writeDatagram(line, sizeof line - 1, QHostAddress::LocalHost, c.dataPort);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    QTRY_VERIFY(slow.calls.load() >= 2);
    QCOMPARE(c.channel.removeDataListener("6d", &slow), 0);
    const int afterRemoval = slow.calls.load();
    QTest::qWait(150);
    streaming = false;
    stream.join();
    QCOMPARE(slow.calls.load(), afterRemoval);
}

void tst_TcpChannel::unsubscribeFromInsideDelivery()
{
    // A listener that leaves from inside onData, on the data thread, neither
    // waits for itself nor is called again; the others on the line still are.
    class Leaving : public LineRecorder
    {
    public:
        int onData(const char *key, const char *line) override
        {
            LineRecorder::onData(key, line);
            return channel->removeDataListener(key, this);
        }
        IOManagerUdpTcp *channel = nullptr;
    };
    IOManagerUdpTcp channel(nullptr);
    Leaving leaving;
    leaving.channel = &channel;
    LineRecorder staying;
    QCOMPARE(channel.addDataListener("6d", &leaving), 0);
    QCOMPARE(channel.addDataListener("6d", &staying), 0);
    char datagram[] = "6d 1 [0 1.0][0 0 0 0 0 0]\n6d 2 [0 1.0][0 0 0 0 0 0]";
    std::thread data([&] { channel.dispatchDatagram(datagram); });
    data.join();
    QCOMPARE(leaving.calls.load(), 1);
    QCOMPARE(staying.calls.load(), 2);
    QCOMPARE(channel.removeDataListener("6d", &leaving), -1);
}

void tst_TcpChannel::destructionStopsTheWorker()
{
    ScriptedResponder controller;
    QVERIFY(controller.start("127.0.1.17", Port));
    auto *channel = new IOManagerUdpTcp(nullptr);
    unsigned short dataPort = 0;
    QCOMPARE(channel->connectController("127.0.1.17", Port, &dataPort), 0);
    LineRecorder requester;
    channel->addDataListener("3d", &requester);
    scriptStart(controller, "v0.2.2");
    char reply[IOManager::BufferSize];
    QCOMPARE(channel->sendCommand(reply, "quorix2 tracking start"), 0);
    QVERIFY(controller.sendDatagram("3d 0", QHostAddress("127.0.0.1"), dataPort));
    QTRY_COMPARE(requester.calls.load(), 1);
    delete channel;   // the worker is still receiving
    QVERIFY(controller.sendDatagram("3d 0", QHostAddress("127.0.0.1"), dataPort));
    QTest::qWait(50);
    QCOMPARE(requester.calls.load(), 1);
}

void tst_TcpChannel::asyncCommandOverTcp()
{
    Connected c;
    QVERIFY(c.open("127.0.1.18"));
    c.controller.on("quorix2 get config active_name", Action::reply("quorix2 set config active_name \"Hall A\"").splitAt(20, 0).delayed(100));
    c.channel.prepareNextCommand(true, 3000, false);
    char name[IOManager::BufferSize] = "";
    QCOMPARE(c.channel.getString(name, "config active_name"), 1);
    QVERIFY(c.channel.isBusy());
    QCOMPARE(c.channel.waitAsyncReply(QEventLoop::AllEvents), 0);
    QCOMPARE(QByteArray(name), QByteArray("\"Hall A\""));
    QVERIFY(!c.channel.isBusy());
}

void tst_TcpChannel::commandsLogEntries()
{
    TestHome home;
    Connected c;
    QVERIFY(c.open("127.0.1.19"));
    c.channel.setCommandLog(true, QString(), QStringLiteral("  tcp: "));
    QCOMPARE(c.channel.commandLogPath(), home.path() + "/.ZEL/QUORIX4/commands_log.txt");
    c.controller.on("quorix2 get status active", Action::reply("quorix2 set status active none"));
    c.controller.on("quorix2 tracking stop", Action::reply("quorix2 ok"));
    char reply[IOManager::BufferSize];
    QCOMPARE(c.channel.sendCommand(reply, "quorix2 tracking stop"), 0);

    QFile file(c.channel.commandLogPath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromLatin1(file.readAll());
    // The state queries around the stop are not logged.
    const QRegularExpression entries(
        "^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d,\\d{3} > quorix2 tracking stop\n"
        "\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d,\\d{3} < tcp:quorix2 ok ptf_io-error: 0\n\n$");
    QVERIFY2(entries.match(text).hasMatch(), qPrintable(text));
    // For the user alone, the folder too.
    QCOMPARE(int(QFileInfo(file.fileName()).permissions() & 0x0777), 0x0600);
    QCOMPARE(int(QFileInfo(home.path() + "/.ZEL/QUORIX4").permissions() & 0x0777), 0x0700);

    IOManagerUdpTcp named(nullptr);
    named.setCommandLog(true, QStringLiteral(" mine.txt "), QString());
    QCOMPARE(named.commandLogPath(), home.path() + "/.ZEL/QUORIX4/mine.txt");
}

void tst_TcpChannel::commandsLogSizeCheck()
{
    TestHome home;
    CommandsLog log([](const QString &) {});
    log.configure(true, "big.txt", QString());
    QDir().mkpath(log.directory());
    QFile file(log.path());
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.resize(12 * 1024 * 1024));
    file.close();

    // The counter is shared by every log in the process: within 3000 replies it comes round.
    int written = 0;
    while (QFileInfo(log.path()).size() >= CommandsLog::SizeLimit && written < CommandsLog::SizeCheckInterval) {
        log.logReply("quorix2 ok", 0);
        ++written;
    }
    QVERIFY(written <= CommandsLog::SizeCheckInterval);
    QCOMPARE(QFileInfo(log.path()).size(), 0);

    // A small log is left alone at the next check.
    for (int i = 0; i < CommandsLog::SizeCheckInterval; ++i)
        log.logReply("quorix2 ok", 0);
    QCOMPARE(QFileInfo(log.path()).size(), qint64(CommandsLog::SizeCheckInterval) * qint64(QByteArray("2026-01-01T00:00:00,000 < quorix2 ok ptf_io-error: 0\n\n").size()));
}

void tst_TcpChannel::commandsLogNeverThroughALink()
{
    // A large file of someone else's, linked in the log's place: neither
    // written to nor emptied by the size check.
    TestHome home;
    QStringList reports;
    CommandsLog log([&](const QString &text) { reports << text; });
    log.configure(true, "linked.txt", QString());
    QDir().mkpath(log.directory());
    const QString target = home.path() + "/elsewhere.bin";
    QFile file(target);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.resize(CommandsLog::SizeLimit + 1));
    file.close();
    QVERIFY(QFile::link(target, log.path()));
    for (int i = 0; i < CommandsLog::SizeCheckInterval; ++i)
        log.logReply("quorix2 ok", 0);
    QCOMPARE(QFileInfo(target).size(), CommandsLog::SizeLimit + 1);
    QVERIFY(QFileInfo(log.path()).isSymLink());
    // Said once, not at each of the thousands of entries; again after the
    // log has worked meanwhile.
    const QString told = QString("Log file %1 cannot be opened for writing.").arg(log.path());
    QCOMPARE(reports, QStringList{told});
    QVERIFY(QFile::remove(log.path()));
    log.logCommand("quorix2 init");
    QCOMPARE(reports.size(), 1);
    QVERIFY(QFile::remove(log.path()));
    QVERIFY(QFile::link(target, log.path()));
    log.logCommand("quorix2 init");
    log.logCommand("quorix2 init");
    QCOMPARE(reports, (QStringList{told, told}));
}

void tst_TcpChannel::passwordsNeverReachALog()
{
    TestHome home;
    Connected c;
    QVERIFY(c.open("127.0.1.20"));
    c.channel.setCommandLog(true, QString(), QString());
    c.channel.setReplyTimeout(200000);
    c.controller.on("quorix2 set config new_frontend_password 'New.Secret2'", Action::reply("quorix2 ok"));
    c.controller.on("quorix2 get config is_frontend_password 'se.cret'",
                    Action::reply("quorix2 set config is_frontend_password 'se.cret' yes"));
    c.controller.on("quorix2 set config new_frontend_password none", Action::reply("quorix2 ok"));
    QCOMPARE(c.channel.setParameter("config new_frontend_password '%s'", "New.Secret2"), 0);
    char value[IOManager::BufferSize];
    QCOMPARE(c.channel.getString(value, "config is_frontend_password '%s'", "se.cret"), 0);
    QCOMPARE(QByteArray(value), QByteArray("yes"));   // only the log is masked
    QCOMPARE(c.channel.setParameter("config new_frontend_password none"), 0);
    // A lost reply is reported on the event channel, which the event log keeps.
    c.controller.on("quorix2 set config new_frontend_password \"Late 1\"", Action::none());
    QVERIFY(c.channel.setParameter("config new_frontend_password \"Late 1\"") < 0);
    QCOMPARE(c.standard.messages,
             QStringList{"IOManagerUdpTcp: UDP timeout: last command sent: quorix2 set config new_frontend_password '***'"});

    QFile file(c.channel.commandLogPath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromLatin1(file.readAll());
    for (const char *secret : {"New.Secret2", "se.cret", "Late"})
        QVERIFY2(!text.contains(secret), qPrintable(text));
    QCOMPARE(text.count("> quorix2 set config new_frontend_password '***'\n"), 2);
    QVERIFY(text.contains("> quorix2 get config is_frontend_password '***'\n"));
    QVERIFY(text.contains("< quorix2 set config is_frontend_password '***' yes ptf_io-error: 0\n"));
    QVERIFY(text.contains("> quorix2 set config new_frontend_password none\n"));   // no password to hide
    // Words that only contain the key are no password arguments.
    QCOMPARE(CommandsLog::masked("quorix2 get config my_new_frontend_password_x 'a'"),
             QByteArray("quorix2 get config my_new_frontend_password_x 'a'"));
}

void tst_TcpChannel::commandsLogReportsUnwritableDirectory()
{
    TestHome home;
    QFile blocker(home.path() + "/.ZEL");
    QVERIFY(blocker.open(QIODevice::WriteOnly));   // a file where the directory should be
    blocker.close();
    QStringList reports;
    CommandsLog log([&](const QString &text) { reports << text; });
    log.configure(true, QString(), QString());
    log.logCommand("quorix2 init");
    log.logReply("quorix2 ok", 0);
    QCOMPARE(reports, QStringList{QString("Directory %1/.ZEL/QUORIX4 doesn't exist and cannot be created.").arg(home.path())});
}

void tst_TcpChannel::udpExchange()
{
    ScriptedResponder controller;
    QVERIFY(controller.start("127.0.1.20", Port));
    controller.on("quorix2 get system hostname", Action::reply("quorix2 set system hostname tbox-7"));
    IOManagerUdp channel;
    QCOMPARE(channel.replyTimeout(), 0u);
    channel.setTarget(Socket::resolve("127.0.1.20"), Port);
    char host[IOManager::BufferSize] = "";
    QCOMPARE(channel.getString(host, "system hostname"), 0);
    QCOMPARE(QByteArray(host), QByteArray("tbox-7"));
    unsigned ip = 0;
    unsigned short port = 0;
    channel.lastSender(&ip, &port);
    QCOMPARE(ip, Socket::resolve("127.0.1.20"));
    QCOMPARE(port, quint16(Port));
    channel.lastSender(nullptr, nullptr);

    LineRecorder r;
    QCOMPARE(channel.addDataListener("6d", &r), -111);

    // No answer: the default half second, then -1.
    controller.on("quorix2 getmsg", Action::none());
    char reply[IOManager::BufferSize];
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(channel.sendCommand(reply, "quorix2 getmsg"), -1);
    QVERIFY(clock.elapsed() >= 450);

    // Receive-only: nothing is sent, a datagram that comes is taken.
    QCOMPARE(channel.sendOnly("quorix2 get system hostname"), 0);
    QTest::qWait(100);
    const int before = controller.commands().size();
    channel.setReceiveOnly(true);
    QCOMPARE(channel.sendCommand(reply, "quorix2 anything"), 0);
    QCOMPARE(QByteArray(reply), QByteArray("quorix2 set system hostname tbox-7"));
    QCOMPARE(controller.commands().size(), before);
}


namespace {

// A listener whose accept queue is full and never served: connection attempts
// beyond the first are dropped, as behind a firewall that drops them.
struct BlackHole {
    int listener = -1;
    int filler = -1;
    bool open(const char *address)
    {
        listener = ::socket(AF_INET, SOCK_STREAM, 0);
        filler = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a = {};
        a.sin_family = AF_INET;
        a.sin_port = htons(Port);
        ::inet_pton(AF_INET, address, &a.sin_addr);
        const int on = 1;
        ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        return ::bind(listener, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0 && ::listen(listener, 0) == 0
            && ::connect(filler, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0;
    }
    ~BlackHole()
    {
        ::close(filler);
        ::close(listener);
    }
};

} // namespace

// A Controller that drops connection attempts costs a few seconds, not the
// kernel's minutes; the window is kept alive meanwhile, and the user may stop.
void tst_TcpChannel::connectAttemptIsBoundedAndCancellable()
{
    BlackHole hole;
    QVERIFY(hole.open("127.0.1.60"));
    QElapsedTimer clock;
    clock.start();
    int calls = 0;
    {
        IOManagerUdpTcp channel(nullptr);
        unsigned short dataPort = 0;
        QCOMPARE(channel.connectController("127.0.1.60", Port, &dataPort, [&] { return ++calls > 0; }), -2);
        QCOMPARE(channel.connectFailure(), IOManagerUdpTcp::ConnectFailure::TimedOut);
        QVERIFY2(clock.elapsed() < 30000, "the attempt was left to the kernel");
        QVERIFY(calls > 10);
    }
    {
        IOManagerUdpTcp channel(nullptr);
        unsigned short dataPort = 0;
        calls = 0;
        QCOMPARE(channel.connectController("127.0.1.60", Port, &dataPort, [&] { return ++calls < 3; }), -2);
        QCOMPARE(channel.connectFailure(), IOManagerUdpTcp::ConnectFailure::Cancelled);
        QCOMPARE(calls, 3);
    }
    {
        IOManagerUdpTcp channel(nullptr);
        unsigned short dataPort = 0;
        QCOMPARE(channel.connectController("127.0.1.61", Port, &dataPort), -2);   // nobody listens
        QCOMPARE(channel.connectFailure(), IOManagerUdpTcp::ConnectFailure::Refused);
    }
}

// Replies name what they answer: an answer sent twice, late, or to another
// command is dropped (and logged), never taken by the command that follows.
void tst_TcpChannel::doubledOrStrayRepliesNeverAnswerTheNextCommand()
{
    TestHome home;
    Connected c;
    QVERIFY(c.open("127.0.1.62"));
    c.channel.setCommandLog(true, "commands.txt", QString());
    const QByteArray twice("quorix2 set status frames_lost 0\0quorix2 set status frames_lost 0", 65);
    // The second copy follows 30 ms after the first.
    c.controller.on("quorix2 get status frames_lost", Action::reply(twice).splitAt(33, 30));
    c.controller.on("quorix2 get status active", Action::reply("quorix2 set status active none"));
    c.controller.on("quorix2 getmsg", Action::reply("quorix2 ok"));
    c.controller.on("quorix2 set camera c01 active yes",
                    Action::reply(QByteArray("quorix2 set status frames_lost 0\0quorix2 ok", 43)));
    char state[IOManager::BufferSize] = "";
    char reply[IOManager::BufferSize] = "";
    for (int round = 0; round < 5; ++round) {
        int lost = -1;
        QCOMPARE(c.channel.getInt(&lost, "status frames_lost"), 0);
        QCOMPARE(lost, 0);
        QTest::qWait(40);   // the copy is in by now
        QCOMPARE(c.channel.sendCommand(reply, "quorix2 getmsg"), 0);
        QCOMPARE(QByteArray(reply), QByteArray("quorix2 ok"));
        QCOMPARE(c.channel.getString(state, "status active"), 0);
        QCOMPARE(QByteArray(state), QByteArray("none"));
        QCOMPARE(c.channel.setParameter("camera c%02d active yes", 1), 0);
    }
    QVERIFY(!c.channel.isBroken());
    QVERIFY(c.boxes.boxes.isEmpty());
    QFile log(c.channel.commandLogPath());
    QVERIFY(log.open(QIODevice::ReadOnly));
    QVERIFY(log.readAll().contains("quorix2 set status frames_lost 0 (stale"));
}

// A command from an event handler run while this thread's own command waits
// would wait for itself: it fails at once, and the window's events go on.
void tst_TcpChannel::commandFromTheWaitingThreadFailsAtOnce()
{
    Connected c;
    QVERIFY(c.open("127.0.1.63"));
    c.controller.on("quorix2 reinit", Action::reply("quorix2 ok").delayed(300));
    c.controller.on("quorix2 get status number_of_bodies", Action::reply("quorix2 set status number_of_bodies 2").delayed(300));
    char reply[IOManager::BufferSize] = "";
    bool value = false;
    QCOMPARE(c.channel.prepareNextCommand(true, 2000, false), 0);
    QCOMPARE(c.channel.sendCommand(reply, "quorix2 reinit"), 1);
    QCOMPARE(c.channel.getBool(&value, "standard calculate_marker"), int(IOManager::BusyWithOwnCommand));
    QCOMPARE(c.channel.prepareNextCommand(false, 100, true), int(IOManager::BusyWithOwnCommand));
    QCOMPARE(c.channel.waitAsyncReply(QEventLoop::AllEvents), 0);
    QCOMPARE(QByteArray(reply), QByteArray("quorix2 ok"));

    int ticks = 0;
    int nested = 0;
    QTimer timer;
    timer.setInterval(10);
    connect(&timer, &QTimer::timeout, [&] {
        ++ticks;
        if (c.channel.isWaitingOnThisThread())
            nested = c.channel.getBool(&value, "standard calculate_marker");
    });
    timer.start();
    int bodies = -1;
    QCOMPARE(c.channel.getInt(&bodies, "status number_of_bodies"), 0);
    QCOMPARE(bodies, 2);
    QVERIFY2(ticks >= 5, "the wait kept the events from being processed");
    QCOMPARE(nested, int(IOManager::BusyWithOwnCommand));
    QVERIFY(!c.channel.isWaitingOnThisThread());
    QVERIFY(!c.channel.isBusy());
}

void tst_TcpChannel::cancelledWaitEndsAtOnce()
{
    Connected c;
    QVERIFY(c.open("127.0.1.64"));
    c.controller.on("quorix2 get status number_of_bodies", Action::reply("quorix2 set status number_of_bodies 2").delayed(20000));
    QTimer::singleShot(50, [&] { c.channel.cancelWaits(); });
    QElapsedTimer clock;
    clock.start();
    int bodies = -1;
    QCOMPARE(c.channel.getInt(&bodies, "status number_of_bodies"), -1);
    QVERIFY(clock.elapsed() < 15000);
    // Closing, not broken: nothing is reported, nothing more is sent.
    QVERIFY(!c.channel.isBroken());
    QVERIFY(c.standard.messages.isEmpty());
    const int sent = c.controller.commands().size();
    QCOMPARE(c.channel.getInt(&bodies, "status number_of_bodies"), -1);
    QCOMPARE(c.controller.commands().size(), sent);
}

// A Controller that refuses one periodic query: no box, one line that says
// which query failed and why, and one more only after it worked in between.
void tst_TcpChannel::refusedPollRaisesNoBoxAndIsSaidOnce()
{
    Connected c;
    QVERIFY(c.open("127.0.1.65"));
    c.controller.on("quorix2 get status frames_lost", Action::reply("quorix2 err -5 \"not now\""), Use::Once);
    c.controller.on("quorix2 get status frames_lost", Action::reply("quorix2 err -5 \"not now\""), Use::Once);
    c.controller.on("quorix2 get status frames_lost", Action::reply("quorix2 set status frames_lost 1"), Use::Once);
    c.controller.on("quorix2 get status frames_lost", Action::reply("quorix2 err -5 \"not now\""));
    int lost = -1;
    {
        const CommandChannel::PollScope polling(&c.channel);
        for (int i = 0; i < 2; ++i)
            QCOMPARE(c.channel.getInt(&lost, "status frames_lost"), -32);
        QCOMPARE(c.standard.messages.size(), 1);
        QVERIFY(c.standard.messages[0].contains("quorix2 get status frames_lost"));
        QVERIFY(c.standard.messages[0].contains("not now"));
        QCOMPARE(c.channel.getInt(&lost, "status frames_lost"), 0);
        QCOMPARE(c.channel.getInt(&lost, "status frames_lost"), -32);
        QCOMPARE(c.standard.messages.size(), 2);
    }
    QVERIFY(c.boxes.boxes.isEmpty());
    // Outside a poll the user asked, and is told.
    QCOMPARE(c.channel.getInt(&lost, "status frames_lost"), -32);
    QCOMPARE(c.boxes.boxes.size(), 1);

    // An error reply cut off by the connection going down is no refusal.
    Connected lost2;
    QVERIFY(lost2.open("127.0.1.69"));
    lost2.controller.on("quorix2 get status frames_lost", Action::raw("quorix2 err -5 \"not").thenClose());
    {
        const CommandChannel::PollScope polling(&lost2.channel);
        QCOMPARE(lost2.channel.getInt(&lost, "status frames_lost"), -22);
    }
    // The loss is said once, by the channel, not again as a failed poll.
    QCOMPARE(lost2.standard.messages.size(), 1);
    QVERIFY2(lost2.standard.messages[0].contains("closed or reset"), qPrintable(lost2.standard.messages[0]));
}

// The Controller reset the connection before the next command went out: the
// user reads that the Controller closed it, not that a send failed.
void tst_TcpChannel::resetBeforeASendIsAClose()
{
    Connected c;
    QVERIFY(c.open("127.0.1.66"));
    c.controller.on("quorix2 init", Action::reply("quorix2 ok").thenReset());
    char reply[IOManager::BufferSize] = "";
    QCOMPARE(c.channel.sendCommand(reply, "quorix2 init"), 0);
    QTRY_COMPARE_WITH_TIMEOUT(c.controller.openConnectionCount(), 0, 10000);   // the reset is out
    int bodies = -1;
    QCOMPARE(c.channel.getInt(&bodies, "status number_of_bodies"), -22);
    QCOMPARE(c.standard.messages.size(), 1);
    QVERIFY(c.standard.messages[0].contains("closed or reset"));
}

// Datagrams from any other sender are dropped and counted, even when they
// come last (the newest kept is the Controller's), and a flood cannot hold
// the data thread.
void tst_TcpChannel::measurementDataOnlyFromTheController()
{
    Connected c;
    QVERIFY(c.open("127.0.1.67"));
    LineRecorder recorder;
    QCOMPARE(c.channel.addDataListener("6d", &recorder), 0);
    scriptStart(c.controller);
    char reply[IOManager::BufferSize];
    QCOMPARE(c.channel.sendCommand(reply, "quorix2 tracking start"), 0);
    QUdpSocket stranger;
    QVERIFY(stranger.bind(QHostAddress("127.0.0.99"), 0));
    QUdpSocket otherPort;
    QVERIFY(otherPort.bind(QHostAddress("127.0.1.67"), 0));   // the Controller's address, not its sender port
    const QHostAddress local("127.0.0.1");
    for (int i = 0; i < 200; ++i)
        stranger.writeDatagram("6d 1 [0 1.000][9999 9999 9999 0 0 0]\n", local, c.dataPort);
    QVERIFY(c.controller.sendDatagram("6d 1 [0 1.000][1 2 3 0 0 0]\n", local, c.dataPort));
    stranger.writeDatagram("6d 1 [0 1.000][9999 9999 9999 0 0 0]\n", local, c.dataPort);
    otherPort.writeDatagram("6d 1 [0 1.000][8888 8888 8888 0 0 0]\n", local, c.dataPort);
    QTRY_VERIFY(recorder.calls.load() >= 1);
    QTRY_VERIFY(c.channel.foreignDatagrams() >= 2);
    // The Controller's next line comes behind the strangers' ones.
    QVERIFY(c.controller.sendDatagram("6d 2 [0 1.000][1 2 3 0 0 0]\n", local, c.dataPort));
    QTRY_VERIFY_WITH_TIMEOUT(recorder.taken().contains("6d|6d 2 [0 1.000][1 2 3 0 0 0]"), 10000);
    for (const QByteArray &line : recorder.taken())
        QVERIFY2(line.endsWith("[1 2 3 0 0 0]"), line.constData());
    c.channel.removeDataListener("6d", &recorder);
}

// A slow reader gets only the newest of the datagrams that piled up meanwhile;
// each of the others is counted, so that its gap in the frame numbers is not
// taken for a loss of the Controller's.
void tst_TcpChannel::skippedDatagramsAreCountedForTheStatusRound()
{
    Connected c;
    QVERIFY(c.open("127.0.1.68"));
    LineRecorder recorder;
    recorder.delayMs = 100;
    QCOMPARE(c.channel.addDataListener("fr", &recorder), 0);
    scriptStart(c.controller);
    char reply[IOManager::BufferSize];
    QCOMPARE(c.channel.sendCommand(reply, "quorix2 tracking start"), 0);
    const QHostAddress local("127.0.0.1");
    const int sent = 21;
    for (int i = 0; i < sent; ++i)
        QVERIFY(c.controller.sendDatagram("fr " + QByteArray::number(i) + "\n", local, c.dataPort));
    unsigned skipped = 0;
    QTRY_VERIFY_WITH_TIMEOUT((skipped += c.channel.takeSkippedDatagrams(), recorder.calls.load() + int(skipped) == sent),
                             10000);
    QVERIFY(skipped > 0);
    c.channel.removeDataListener("fr", &recorder);
}

QTEST_GUILESS_MAIN(tst_TcpChannel)
#include "tst_tcpchannel.moc"
