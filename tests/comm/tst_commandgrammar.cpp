// The channel's grammar, gate and registries, with the transport replaced by a
// scripted exchange: no sockets involved.
#include "FakeChannel.h"
#include "GermanLocale.h"
#include "IOManager.h"
#include "IOManagerUdpTcp.h"
#include "MainAppMessageReceiver.h"
#include "MessageBoxProvider.h"
#include "MessageReceiver.h"
#include "ReplyMatcher.h"
#include "ReplyReader.h"
#include "ReplyValues.h"
#include "Requester.h"
#include "TableSlot.h"

#include <QSignalSpy>
#include <QtTest>

#include <atomic>
#include <clocale>
#include <cstring>
#include <string>
#include <thread>

namespace {

struct RecordedBox {
    int type;
    QString title;
    QString text;
};

class BoxRecorder : public MessageBoxProvider
{
public:
    void openMessageBox(int type, QString title, QString text) override { boxes.append({type, title, text}); }
    QList<RecordedBox> boxes;
};

class CountingReceiver : public MessageReceiver
{
public:
    int receive(int type, const char *sender, const char *text) override
    {
        messages.append(QString("%1|%2|%3").arg(type).arg(sender).arg(text));
        return 0;
    }
    QStringList messages;
};

class NoticeCounter : public Requester
{
public:
    int onData(const char *, const char *) override { return 0; }
    void onMeasurementStarted() override { ++started; }
    void onMeasurementStopped() override { ++stopped; }
    int started = 0;
    int stopped = 0;
};

} // namespace

class tst_CommandGrammar : public QObject
{
    Q_OBJECT

private slots:
    void replyOwnerIsToldByItsWords();
    void numbersReadTheSameInAGermanLocale();
    void doubledOrStrayRepliesNeverShiftTheNext();
    void itemNumbersMatchByValue_data();
    void itemNumbersMatchByValue();
    void quotedWordsKeepTheirBlanks();
    void getValuesAreParsed();
    void getLeavesDestinationAloneOnMismatch();
    void valueParsingCounts();
    void setNeedsExactlyOk();
    void errorRepliesOpenOneBox();
    void measurementStartRefusalTexts_data();
    void measurementStartRefusalTexts();
    void startAlwaysRunsSynchronouslyWithLongTimeout();
    void overlongCommandsAreNotSent();
    void optionsApplyToTheNextCommandOnly();
    void secondThreadWaitsForPendingOptions();
    void asyncCommandHoldsTheGateUntilWait();
    void asyncWaitTimesOut();
    void messageBus();
    void requesterSetIgnoresDuplicates();
    void versionRule_data();
    void versionRule();
    void replyEndsAtZeroByteNeverAtAPause();
    void peerWithoutZeroBytesIsToldApartByItsFirstReply();
    void overlongReplyIsCutAndConsumed();
    void repliesPairWithTheirCommands();
    void hostReceiverDispatch_data();
    void hostReceiverDispatch();
    void interfaceSlotsKeepTheirOrder();
};

void tst_CommandGrammar::itemNumbersMatchByValue_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("matches");
    QTest::newRow("c1 answers c01") << "quorix2 set status x c1 5" << "quorix2 set status x c01 " << true;
    QTest::newRow("c001 answers c1") << "quorix2 set status x c001 5" << "quorix2 set status x c1 " << true;
    QTest::newRow("ch01 answers ch1") << "quorix2 set output active ch01 6d yes" << "quorix2 set output active ch1 6d " << true;
    QTest::newRow("c0 answers c000") << "quorix2 set a c0 1" << "quorix2 set a c000 " << true;
    QTest::newRow("c alone") << "quorix2 set status x c 5" << "quorix2 set status x c1 " << false;
    QTest::newRow("c1x") << "quorix2 set status x c1x 5" << "quorix2 set status x c1 " << false;
    QTest::newRow("other number") << "quorix2 set status x c3 5" << "quorix2 set status x c02 " << false;
    QTest::newRow("other letters") << "quorix2 set status x b1 5" << "quorix2 set status x c1 " << false;
    QTest::newRow("reply too short") << "quorix2 set status" << "quorix2 set status x " << false;
    QTest::newRow("error reply") << "quorix2 err -3 \"unknown\"" << "quorix2 set status x " << false;
}

void tst_CommandGrammar::itemNumbersMatchByValue()
{
    QFETCH(QString, reply);
    QFETCH(QString, expected);
    QFETCH(bool, matches);
    QCOMPARE(ReplyMatcher::valueOffset(reply.toLatin1().constData(), expected.toLatin1().constData()) >= 0, matches);
}

void tst_CommandGrammar::quotedWordsKeepTheirBlanks()
{
    QVector<ReplyMatcher::Word> words;
    const char text[] = "quorix2 set name \"two words\"  'x y' end";
    QVERIFY(ReplyMatcher::splitWords(text, &words));
    QCOMPARE(words.size(), 7);
    QCOMPARE(QByteArray(text + words[3].begin, words[3].length), QByteArray("\"two words\""));
    QCOMPARE(words[4].length, 0);   // two blanks give an empty word
    QCOMPARE(QByteArray(text + words[5].begin, words[5].length), QByteArray("'x y'"));

    // A quoted echo matches the plain parameter.
    QVERIFY(ReplyMatcher::valueOffset("quorix2 set body 'b01' 7", "quorix2 set body b01 ") > 0);
    QVERIFY(ReplyMatcher::valueOffset("quorix2 set body b01 7", "quorix2 set body \"b01\" ") > 0);

    QByteArray many("quorix2");
    for (int i = 0; i < 200; ++i)
        many += " w";
    QVERIFY(!ReplyMatcher::splitWords(many.constData(), &words));
}

void tst_CommandGrammar::getValuesAreParsed()
{
    FakeChannel channel;
    channel.queueReply("quorix2 set status number_of_used_rays c1 42");
    channel.queueReply("quorix2 set system full_name QUORIX demo system");
    channel.queueReply("quorix2 set camera position c02 1.5 -2.25 3e2");
    channel.queueReply("quorix2 set tracking available yes");
    channel.queueReply("quorix2 set status number_of_bodies");
    int rays = -1;
    QCOMPARE(channel.getInt(&rays, "status number_of_used_rays c%02d", 1), 0);
    QCOMPARE(rays, 42);
    QCOMPARE(channel.commands().last(), QByteArray("quorix2 get status number_of_used_rays c01"));

    char name[IOManager::BufferSize] = "";
    QCOMPARE(channel.getString(name, "system full_name"), 0);
    QCOMPARE(QByteArray(name), QByteArray("QUORIX demo system"));

    double position[3] = {};
    QCOMPARE(channel.getDoubles(position, 3, "camera position c%02d", 2), 0);
    QCOMPARE(position[1], -2.25);
    QCOMPARE(position[2], 300.0);

    bool available = false;
    QCOMPARE(channel.getBool(&available, "tracking available"), 0);
    QVERIFY(available);

    // The echo alone, no value: wrong number of values.
    int bodies = 7;
    QCOMPARE(channel.getInt(&bodies, "status number_of_bodies"), -33);
    QCOMPARE(bodies, 7);
}

void tst_CommandGrammar::getLeavesDestinationAloneOnMismatch()
{
    FakeChannel channel;
    channel.queueReply("quorix2 set status number_of_marker 12");
    channel.queueReply("quorix2 err -5 \"no such parameter\"");
    int value = 99;
    QCOMPARE(channel.getInt(&value, "status number_of_bodies"), -32);
    QCOMPARE(value, 99);
    QCOMPARE(channel.getInt(&value, "status number_of_bodies"), -32);
    QCOMPARE(value, 99);
}

void tst_CommandGrammar::valueParsingCounts()
{
    FakeChannel channel;
    int ints[3] = {0, 0, 0};
    QCOMPARE(channel.parseInts("1  2 3", ints, 3), 0);
    QCOMPARE(ints[2], 3);
    QCOMPARE(channel.parseInts("4 5", ints, 3), -33);   // fitted values are stored all the same
    QCOMPARE(ints[0], 4);
    QCOMPARE(ints[1], 5);
    QCOMPARE(channel.parseInts("6 x 8", ints, 3), -34);
    QCOMPARE(ints[0], 6);
    QCOMPARE(channel.parseInts("12abc", ints, 1), -34);
    QCOMPARE(channel.parseInts("99999999999", ints, 1), -34);
    QCOMPARE(channel.parseInts("1 2 3 4", ints, 3), -33);
    QCOMPARE(channel.parseInts(nullptr, ints, 1), -31);
    QCOMPARE(channel.parseInts("1", nullptr, 1), -31);
    QCOMPARE(channel.parseInts("1", ints, 0), -31);

    double d = 0;
    QCOMPARE(channel.parseDoubles("2.5e-3", &d, 1), 0);
    QCOMPARE(d, 0.0025);
    QCOMPARE(channel.parseDoubles("1,5", &d, 1), -34);
    for (const char *notANumber : {"nan", "-inf", "infinity", "1e400"})
        QCOMPARE(channel.parseDoubles(notANumber, &d, 1), -34);
    QCOMPARE(d, 0.0025);   // a rejected word leaves the value as it was

    bool b[2] = {false, true};
    QCOMPARE(channel.parseBools("yes no", b, 2), 0);
    QVERIFY(b[0] && !b[1]);
    QCOMPARE(channel.parseBools("Yes", b, 1), -34);
}

void tst_CommandGrammar::setNeedsExactlyOk()
{
    BoxRecorder boxes;
    FakeChannel channel(&boxes);
    channel.queueReply("quorix2 ok");
    channel.queueReply("quorix2 ok ");
    channel.queueReply("quorix2 err -1 \"read only\"");
    QCOMPARE(channel.setParameter("output active %s 6d yes", "chmon"), 0);
    QCOMPARE(channel.commands().last(), QByteArray("quorix2 set output active chmon 6d yes"));
    QCOMPARE(channel.setParameter("output active %s 3d yes", "chmon"), -34);
    QCOMPARE(channel.setParameter("system name %s", "x"), -34);
    QCOMPARE(boxes.boxes.size(), 1);
    QCOMPARE(boxes.boxes[0].type, 2);
    QCOMPARE(boxes.boxes[0].title, QString("Command Error"));
    QCOMPARE(boxes.boxes[0].text, QString("quorix2 set system name x\nquorix2 err -1 \"read only\""));
}

void tst_CommandGrammar::errorRepliesOpenOneBox()
{
    BoxRecorder boxes;
    FakeChannel channel(&boxes);
    const QByteArray error("quorix2 err -7 \"refused\"");

    channel.queueReply(error);
    channel.prepareNextCommand(false, -1, true);
    QCOMPARE(channel.setParameter("config active %d", 3), -34);
    QCOMPARE(boxes.boxes.size(), 0);   // quiet

    // The quiet option was consumed by that command.
    channel.queueReply(error);
    QCOMPARE(channel.setParameter("config active %d", 3), -34);
    QCOMPARE(boxes.boxes.size(), 1);

    // Exempt commands never show a box.
    channel.queueReply(error);
    channel.queueReply(error);
    char reply[IOManager::BufferSize];
    QCOMPARE(channel.sendCommand(reply, "quorix2 get status err c01"), 0);
    QCOMPARE(channel.sendCommand(reply, "quorix2 set camera update c01"), 0);
    QCOMPARE(boxes.boxes.size(), 1);

    // A raw command returns 0 with the error in its reply.
    channel.queueReply(error);
    QCOMPARE(channel.sendCommand(reply, "quorix2 reinit"), 0);
    QCOMPARE(QByteArray(reply), error);
    QCOMPARE(boxes.boxes.size(), 2);

    // A broken connection shows nothing.
    channel.queueReply("quorix2 err command_exec", -222);
    QCOMPARE(channel.sendCommand(reply, "quorix2 init"), -222);
    QCOMPARE(boxes.boxes.size(), 2);

    // No provider: no box, no crash.
    FakeChannel silent;
    silent.queueReply(error);
    QCOMPARE(silent.setParameter("x %d", 1), -34);
}

void tst_CommandGrammar::measurementStartRefusalTexts_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::newRow("reference") << "quorix2 err -99 \"1\" \"0\"" << "Command Failed"
        << "Measurement start failed:\nReference target cannot be tracked\n(see 'Event Display' for details)";
    QTest::newRow("two bodies") << "quorix2 err -99 \"1\" \"1\"" << "Command Failed"
        << "Measurement start failed:\nThere are 2 bodies that are equal or too similar to be tracked\n(see 'Event Display' for details)";
    QTest::newRow("five bodies") << "quorix2 err  -99 1 \"5\"" << "Command Failed"
        << "Measurement start failed:\nThere are 5 bodies that are equal or too similar to be tracked\n (see 'Event Display' for details)";
    QTest::newRow("other code") << "quorix2 err -98 \"1\" \"0\"" << "Command Error"
        << "quorix2 tracking start\nquorix2 err -98 \"1\" \"0\"";
    QTest::newRow("no fifth word") << "quorix2 err -99 \"1\"" << "Command Error"
        << "quorix2 tracking start\nquorix2 err -99 \"1\"";
}

void tst_CommandGrammar::measurementStartRefusalTexts()
{
    QFETCH(QString, reply);
    QFETCH(QString, title);
    QFETCH(QString, text);
    BoxRecorder boxes;
    FakeChannel channel(&boxes);
    channel.queueReply(reply.toLatin1());
    char buffer[IOManager::BufferSize];
    QCOMPARE(channel.sendCommand(buffer, "quorix2 tracking start"), 0);
    QCOMPARE(boxes.boxes.size(), 1);
    QCOMPARE(boxes.boxes[0].title, title);
    // A refusal goes on with what to do about it.
    const QString next = boxes.boxes[0].text.mid(text.size());
    QVERIFY2(boxes.boxes[0].text.startsWith(text), qPrintable(boxes.boxes[0].text));
    QCOMPARE(next.isEmpty(), title != "Command Failed");
    if (!next.isEmpty())
        QVERIFY2(next.startsWith("\n\n") && next.endsWith("then start the measurement again."), qPrintable(next));
}

void tst_CommandGrammar::startAlwaysRunsSynchronouslyWithLongTimeout()
{
    BoxRecorder boxes;
    FakeChannel channel(&boxes);
    channel.prepareNextCommand(true, 100, true);   // dropped by the start
    char reply[IOManager::BufferSize];
    channel.queueReply("quorix2 err -1 \"no cameras\"");
    QCOMPARE(channel.sendCommand(reply, "quorix2 tracking start"), 0);
    QCOMPARE(channel.timeouts().last(), 5000);
    QCOMPARE(boxes.boxes.size(), 1);   // not quiet, not asynchronous
    QVERIFY(!channel.isBusy());

    // A configured time-out above 5 s raises it further.
    channel.setReplyTimeout(7000000);
    QCOMPARE(channel.sendCommand(reply, "quorix2 tracking start"), 0);
    QCOMPARE(channel.timeouts().last(), 7000);
}

void tst_CommandGrammar::overlongCommandsAreNotSent()
{
    FakeChannel channel;
    const QByteArray word(190, 'x');
    char reply[IOManager::BufferSize];
    QCOMPARE(channel.setParameter("name %s", word.constData()), -1);   // 12 + 195 characters
    QCOMPARE(channel.sendCommand(reply, "%s", QByteArray(201, 'a').constData()), -1);
    QVERIFY(channel.commands().isEmpty());
    QCOMPARE(channel.sendCommand(reply, "%s", QByteArray(200, 'a').constData()), 0);
    QCOMPARE(channel.commands().size(), 1);

    // Options set before an overlong command are consumed with it.
    channel.prepareNextCommand(false, 9000, true);
    QCOMPARE(channel.sendCommand(reply, "%s", QByteArray(300, 'a').constData()), -1);
    QVERIFY(!channel.isBusy());
}

void tst_CommandGrammar::optionsApplyToTheNextCommandOnly()
{
    FakeChannel channel;
    channel.setReplyTimeout(2000000);
    char reply[IOManager::BufferSize];
    channel.prepareNextCommand(false, 10000, false);
    QVERIFY(channel.isBusy());
    QCOMPARE(channel.sendCommand(reply, "quorix2 init"), 0);
    QVERIFY(!channel.isBusy());
    QCOMPARE(channel.sendCommand(reply, "quorix2 getmsg"), 0);
    QCOMPARE(channel.timeouts(), (QList<int>{10000, -1}));

    // A shorter option is raised to the configured reply time-out.
    channel.prepareNextCommand(false, 500, false);
    QCOMPARE(channel.sendCommand(reply, "quorix2 getmsg"), 0);
    QCOMPARE(channel.timeouts().last(), 2000);
}

void tst_CommandGrammar::secondThreadWaitsForPendingOptions()
{
    FakeChannel channel;
    channel.prepareNextCommand(false, 4000, false);

    std::atomic<bool> secondPrepared{false};
    std::thread other([&] {
        channel.prepareNextCommand(false, 8000, false);
        secondPrepared = true;
        char reply[IOManager::BufferSize];
        channel.sendCommand(reply, "quorix2 second");
    });
    QTest::qWait(100);
    QVERIFY(!secondPrepared);   // still held by the first options

    char reply[IOManager::BufferSize];
    QCOMPARE(channel.sendCommand(reply, "quorix2 first"), 0);
    other.join();
    QVERIFY(secondPrepared);
    QCOMPARE(channel.commands(), (QList<QByteArray>{"quorix2 first", "quorix2 second"}));
    QCOMPARE(channel.timeouts(), (QList<int>{4000, 8000}));
    QVERIFY(!channel.isBusy());
}

void tst_CommandGrammar::asyncCommandHoldsTheGateUntilWait()
{
    BoxRecorder boxes;
    FakeChannel channel(&boxes);
    QCOMPARE(channel.waitAsyncReply(QEventLoop::AllEvents), -1);   // nothing pending

    channel.prepareNextCommand(true, 3000, false);
    int value = 0;
    QCOMPARE(channel.getInt(&value, "status frames_lost"), 1);
    QVERIFY(channel.isBusy());

    std::atomic<bool> otherDone{false};
    std::thread other([&] {
        char reply[IOManager::BufferSize];
        channel.sendCommand(reply, "quorix2 other");
        otherDone = true;
    });
    QTest::qWait(50);
    QVERIFY(!otherDone);

    channel.queueReply("quorix2 set status frames_lost 17");
    channel.setAsyncReplyReady(true);
    QCOMPARE(channel.waitAsyncReply(QEventLoop::AllEvents), 0);
    QCOMPARE(value, 17);
    other.join();
    QVERIFY(otherDone);
    QVERIFY(!channel.isBusy());

    // An error arriving asynchronously shows its box and fails the set.
    channel.setAsyncReplyReady(false);
    channel.prepareNextCommand(true, 3000, false);
    QCOMPARE(channel.setParameter("config active %d", 2), 1);
    channel.queueReply("quorix2 err -2 \"busy\"");
    channel.setAsyncReplyReady(true);
    QCOMPARE(channel.waitAsyncReply(QEventLoop::AllEvents), -34);
    QCOMPARE(boxes.boxes.size(), 1);
    QCOMPARE(boxes.boxes[0].text, QString("quorix2 set config active 2\nquorix2 err -2 \"busy\""));
}

void tst_CommandGrammar::asyncWaitTimesOut()
{
    FakeChannel channel;
    channel.prepareNextCommand(true, 50, false);   // raised to nothing: no configured time-out here
    char reply[IOManager::BufferSize];
    QCOMPARE(channel.sendCommand(reply, "quorix2 getmsg"), 1);
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(channel.waitAsyncReply(QEventLoop::AllEvents), -1);
    QVERIFY(clock.elapsed() >= 50);
    QVERIFY(!channel.isBusy());
}

void tst_CommandGrammar::messageBus()
{
    FakeChannel channel;
    CountingReceiver a;
    CountingReceiver b;
    QCOMPARE(channel.sendMessage("standard", "QUORIX4", 1, "nobody"), -1);
    QCOMPARE(channel.addMessageReceiver("standard", &a), 0);
    QCOMPARE(channel.addMessageReceiver("standard", &a), -1);
    QCOMPARE(channel.addMessageReceiver("standard", &b), 0);
    QCOMPARE(channel.addMessageReceiver("GlobalEvent", &b), 0);
    QCOMPARE(channel.sendMessage("standard", "QUORIX4", 1, "measurement started"), 0);
    QCOMPARE(a.messages, QStringList{"1|QUORIX4|measurement started"});
    QCOMPARE(b.messages, QStringList{"1|QUORIX4|measurement started"});
    QCOMPARE(channel.removeMessageReceiver("standard", &a), 0);
    QCOMPARE(channel.removeMessageReceiver("standard", &a), -1);
    QCOMPARE(channel.removeMessageReceiver("nochannel", &a), -1);
    QCOMPARE(channel.removeMessageReceiver("standard", &b), 0);
    QCOMPARE(channel.sendMessage("standard", "QUORIX4", 1, "gone"), -1);   // the empty channel was dropped
    QCOMPARE(channel.sendMessage("GlobalEvent", "Quorix2", 2, ""), 0);
    QCOMPARE(b.messages.last(), QString("2|Quorix2|"));
}

void tst_CommandGrammar::requesterSetIgnoresDuplicates()
{
    FakeChannel channel;
    NoticeCounter a;
    NoticeCounter b;
    channel.addRequester(&a);
    channel.addRequester(&a);
    channel.addRequester(&b);
    channel.removeRequester(&b);
    channel.removeRequester(&b);
    channel.notifyMeasurementStarted();
    channel.notifyMeasurementStopped();
    QCOMPARE(a.started, 1);
    QCOMPARE(a.stopped, 1);
    QCOMPARE(b.started, 0);
}

void tst_CommandGrammar::versionRule_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("minimum");
    QTest::addColumn<bool>("atLeast");
    QTest::newRow("numbers, not text") << "v0.2.10" << "v0.2.8" << true;
    QTest::newRow("older patch") << "v0.1.9" << "v0.2.8" << false;
    QTest::newRow("equal") << "v0.2.8" << "v0.2.8" << true;
    QTest::newRow("beta suffix") << "v0.2.8beta3" << "v0.2.8" << true;
    QTest::newRow("beta older") << "v0.2.7rc9" << "v0.2.8" << false;
    QTest::newRow("upper case") << "V1.24.0" << "v1.12.0" << true;
    QTest::newRow("trailing words") << "v1.4.2 (2026-01-05)" << "v1.4.9" << false;
    QTest::newRow("empty minimum") << "v0.2.2" << "" << true;
    QTest::newRow("empty minimum older") << "v0.2.1" << "" << false;
    QTest::newRow("missing patch passes a two-part minimum") << "v1.7" << "v1.7" << true;
    QTest::newRow("zero patch passes a two-part minimum") << "v1.7.0" << "v1.7" << true;
    QTest::newRow("missing patch is below every patch") << "v1.2" << "v1.2.0" << false;
    QTest::newRow("dash suffix without patch") << "v1.30-beta" << "v1.24" << true;
    QTest::newRow("letter suffix without patch") << "v1.30rc2" << "v1.24" << true;
    QTest::newRow("leading blank") << " v1.30" << "v1.24" << true;
    QTest::newRow("major decides") << "v2.0.0" << "v1.99.99" << true;
    QTest::newRow("dash suffix") << "v0.2.10-beta" << "v0.2.8" << true;
    QTest::newRow("underscore suffix") << "v0.2.10_rc1" << "v0.2.8" << true;
    QTest::newRow("build number") << "v0.2.8-1" << "v0.2.8" << true;
    QTest::newRow("build number older") << "v0.2.7-9" << "v0.2.8" << false;
    QTest::newRow("suffixed minimum") << "v0.2.8" << "v0.2.8-rc2" << true;
}

void tst_CommandGrammar::versionRule()
{
    QFETCH(QString, version);
    QFETCH(QString, minimum);
    QFETCH(bool, atLeast);
    QCOMPARE(IOManagerUdpTcp::isVersionAtLeast(version.toLatin1().constData(), minimum.toLatin1().constData()), atLeast);
}

void tst_CommandGrammar::replyEndsAtZeroByteNeverAtAPause()
{
    ReplyReader r;
    QByteArray reply;
    r.expectReply();
    r.feed("quorix2 set sys", 15, 100);
    QCOMPARE(r.msUntilQuiet(100), -1);
    QVERIFY(!r.takeReply(&reply, 100 + ReplyReader::QuietGapMs));
    r.feed("tem hostname tb\0", 16, 103);
    QVERIFY(r.takeReply(&reply, 103));
    QCOMPARE(reply, QByteArray("quorix2 set system hostname tb"));
    QCOMPARE(r.framing(), ReplyReader::Framing::ZeroByte);

    // Pauses of any length inside a reply, and a time-out, do not cut it.
    for (const int gapMs : {20, 100, 500, 5000}) {
        r.expectReply();
        r.feed("quorix2 set status", 18, 1000);
        QVERIFY(!r.takeReply(&reply, 1000 + gapMs));
        r.timeIsUp();
        QVERIFY(!r.takeReply(&reply, 1000 + gapMs));
        QCOMPARE(r.msUntilQuiet(1000 + gapMs), -1);
        r.feed(" active mea\0", 12, 1000 + gapMs);
        QVERIFY(r.takeReply(&reply, 1000 + gapMs));
        QCOMPARE(reply, QByteArray("quorix2 set status active mea"));
    }

    // A close in the middle of a reply cuts it off: that is no reply.
    r.expectReply();
    r.feed("quorix2 o", 9, 400);
    r.peerClosed();
    QVERIFY(!r.takeReply(&reply, 400));
    QCOMPARE(r.takeDropped().size(), size_t(1));
}

void tst_CommandGrammar::peerWithoutZeroBytesIsToldApartByItsFirstReply()
{
    ReplyReader r;
    QByteArray reply;
    QCOMPARE(r.framing(), ReplyReader::Framing::Unknown);
    // The first reply: no pause ends it, only the command's time-out.
    r.expectReply();
    r.feed("quorix2 set system access", 25, 10);
    QCOMPARE(r.msUntilQuiet(10), -1);
    QVERIFY(!r.takeReply(&reply, 1000));
    r.feed(" full", 5, 1000);
    QVERIFY(!r.takeReply(&reply, 1900));
    r.timeIsUp();
    QVERIFY(r.takeReply(&reply, 2010));
    QCOMPARE(reply, QByteArray("quorix2 set system access full"));
    QCOMPARE(r.framing(), ReplyReader::Framing::Silence);

    // From then on its replies end when it falls silent.
    r.expectReply();
    r.feed("quorix2 ok", 10, 3000);
    QCOMPARE(r.msUntilQuiet(3002), ReplyReader::QuietGapMs - 2);
    QVERIFY(!r.takeReply(&reply, 3002));
    QVERIFY(r.takeReply(&reply, 3000 + ReplyReader::QuietGapMs));
    QCOMPARE(reply, QByteArray("quorix2 ok"));
    QCOMPARE(r.msUntilQuiet(3100), -1);

    // A time-out with nothing received changes nothing.
    ReplyReader silent;
    silent.expectReply();
    silent.timeIsUp();
    QVERIFY(!silent.takeReply(&reply, 0));
    QCOMPARE(silent.framing(), ReplyReader::Framing::Unknown);

    // One zero byte, and pauses never end a reply again.
    r.expectReply();
    r.feed("quorix2 ok\0", 11, 4000);
    QVERIFY(r.takeReply(&reply, 4000));
    QCOMPARE(r.framing(), ReplyReader::Framing::ZeroByte);
    r.expectReply();
    r.feed("quorix2 o", 9, 5000);
    QVERIFY(!r.takeReply(&reply, 5500));
    r.feed("k\0", 2, 5500);
    QVERIFY(r.takeReply(&reply, 5500));
    QCOMPARE(reply, QByteArray("quorix2 ok"));
}

void tst_CommandGrammar::overlongReplyIsCutAndConsumed()
{
    ReplyReader r;
    const QByteArray huge = "quorix2 set system full_name " + QByteArray(3971, 'x') + '\0' + "quorix2 ok" + '\0';
    r.expectReply();
    r.expectReply();
    // In the odd pieces a socket may deliver.
    for (int at = 0; at < huge.size(); at += 1000)
        r.feed(huge.constData() + at, qMin(1000, huge.size() - at), 10);
    QByteArray reply;
    r.dropStale(10);   // both were owed by earlier commands
    QCOMPARE(r.owed(), 0);

    r.expectReply();
    r.feed(huge.constData(), huge.size() - 11, 20);
    QVERIFY(r.takeReply(&reply, 20));
    QCOMPARE(reply.size(), ReplyReader::MaxReplyLength);
    QVERIFY(reply.startsWith("quorix2 set system full_name xxx"));
    r.expectReply();
    r.feed(huge.constData() + huge.size() - 11, 11, 21);
    QVERIFY(r.takeReply(&reply, 21));
    QCOMPARE(reply, QByteArray("quorix2 ok"));
}

void tst_CommandGrammar::repliesPairWithTheirCommands()
{
    ReplyReader r;
    QByteArray reply;
    // Two commands gave up waiting; the third one's reply comes after theirs.
    r.expectReply();
    r.expectReply();
    r.expectReply();
    r.feed("quorix2 ok\0\0quorix2 set status active none\0", 43, 5);
    QVERIFY(!r.takeReply(&reply, 5));
    QCOMPARE(r.owed(), 1);
    r.feed("quorix2 err -3 \"bad value\"\0", 27, 6);
    QVERIFY(r.takeReply(&reply, 6));
    QCOMPARE(reply, QByteArray("quorix2 err -3 \"bad value\""));

    // Nothing owed: unasked input, whole or half, goes before the next command.
    r.feed("quorix2 msg spam\0quorix2 ms", 27, 10);
    r.dropStale(10);
    r.expectReply();
    r.feed("quorix2 ok\0", 11, 11);
    QVERIFY(r.takeReply(&reply, 11));
    QCOMPARE(reply, QByteArray("quorix2 ok"));

    // Half of a stale reply is kept before a command, so its rest is not taken for the new reply.
    r.expectReply();
    r.feed("quorix2 set sta", 15, 20);
    r.dropStale(21);
    QCOMPARE(r.owed(), 1);
    r.expectReply();
    r.feed("tus active mea\0quorix2 ok\0", 26, 22);
    QVERIFY(r.takeReply(&reply, 22));
    QCOMPARE(reply, QByteArray("quorix2 ok"));
}

void tst_CommandGrammar::hostReceiverDispatch_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("sender");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("signalNames");
    QTest::newRow("configuration") << 1 << "ConfigurationModule" << "ActiveConfigurationChanged"
                                   << QStringList{"receiveConfigurationChanged"};
    QTest::newRow("controller settings") << 1 << "ControllerSettingsModule" << "ActiveConfigurationChanged"
                                         << QStringList{"receiveConfigurationChanged"};
    QTest::newRow("configuration, other case") << 1 << "ConfigurationModule" << "activeConfigurationChanged"
                                               << QStringList{};
    QTest::newRow("update module") << 1 << "BqcUpateModule" << "AppReadyToShutdown" << QStringList{"receiveAppReadyToShutdown"};
    QTest::newRow("2d tab") << 1 << "Monitor2dModule" << "Monitor2dTabChanged 3" << QStringList{"receiveMonitor2dTabChanged"};
    QTest::newRow("2d most active") << 1 << "Monitor2dModule" << "Monitor2dMostActive c02"
                                    << QStringList{"receiveMonitor2dMostActiveChanged"};
    QTest::newRow("body cal open") << 1 << "BodyAdministrationModule" << "OpenBodyCalDialog b03"
                                   << QStringList{"receiveOpenBodyCalDialog"};
    QTest::newRow("body adjust open") << 1 << "BodyAdministrationModule" << "OpenBodyAdjustmentDialog"
                                      << QStringList{"receiveOpenBodyAdjustmentDialog"};
    QTest::newRow("hybrid open then close") << 1 << "HybridBodyCalibration" << "OpenHybridBodyCalibration b01"
                                            << QStringList{"receiveOpenHybridBodyCalDialog", "receiveCloseHybridBodyCalDialog"};
    QTest::newRow("hybrid other text closes") << 1 << "HybridBodyCalibration" << "done"
                                              << QStringList{"receiveCloseHybridBodyCalDialog"};
    QTest::newRow("hybrid close dialog relayed") << 1 << "HybridBodyCalibration" << "close dialog" << QStringList{};
    QTest::newRow("body cal close") << 1 << "BodyCalModule" << "close dialog" << QStringList{"receiveCloseBodyCalDialog"};
    QTest::newRow("body cal other") << 1 << "BodyCalModule" << "closed" << QStringList{};
    QTest::newRow("body adjust close") << 1 << "BodyAdjustmentModule" << "close dialog"
                                       << QStringList{"receiveCloseBodyAdjustmentDialog"};
    QTest::newRow("monitor master 0") << 0 << "Quorix2MonitorModeMaster" << "x" << QStringList{"receiveSetOnlyDisplay:false"};
    QTest::newRow("monitor master 3") << 3 << "Quorix2MonitorModeMaster" << "" << QStringList{"receiveSetOnlyDisplay:true"};
    QTest::newRow("inertial show") << 1 << "InertialTrackingModule" << "ShowInertialToolbar" << QStringList{"receiveInertialChanged"};
    QTest::newRow("inertial other") << 1 << "InertialTrackingModule" << "ShowInertialToolbars" << QStringList{};
    QTest::newRow("sender case") << 1 << "bodycalmodule" << "close dialog" << QStringList{};
}

void tst_CommandGrammar::hostReceiverDispatch()
{
    QFETCH(int, type);
    QFETCH(QString, sender);
    QFETCH(QString, text);
    QFETCH(QStringList, signalNames);

    MainAppMessageReceiver receiver;
    QStringList emitted;
    const QMetaObject *meta = receiver.metaObject();
    QList<QSignalSpy *> spies;
    for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
        const QMetaMethod m = meta->method(i);
        if (m.methodType() == QMetaMethod::Signal)
            spies << new QSignalSpy(&receiver, QByteArray("2" + m.methodSignature()).constData());
    }
    QCOMPARE(receiver.receive(type, sender.toLatin1().constData(), text.toLatin1().constData()), 0);
    for (QSignalSpy *spy : spies) {
        const QString name = QString::fromLatin1(spy->signal()).mid(0).section('(', 0, 0);
        for (const QList<QVariant> &args : *spy) {
            QString entry = name;
            if (!args.isEmpty() && args[0].type() == QVariant::Bool)
                entry += args[0].toBool() ? ":true" : ":false";
            else if (!args.isEmpty())
                QCOMPARE(args[0].toString(), text);
            emitted << entry;
        }
    }
    qDeleteAll(spies);
    std::sort(emitted.begin(), emitted.end());
    std::sort(signalNames.begin(), signalNames.end());
    QCOMPARE(emitted, signalNames);
}

// Separately compiled plug-ins call through the same table: the slots must
// stay in their declared order (two entries for the destructor come first).
void tst_CommandGrammar::interfaceSlotsKeepTheirOrder()
{
    const QList<std::ptrdiff_t> order = {
        slotOf(&IOManager::isBusy), slotOf(&IOManager::prepareNextCommand), slotOf(&IOManager::sendCommand),
        slotOf(&IOManager::waitAsyncReply), slotOf(&IOManager::getString), slotOf(&IOManager::getInt),
        slotOf(&IOManager::getDouble), slotOf(&IOManager::getBool), slotOf(&IOManager::getDoubles),
        slotOf(&IOManager::getInts), slotOf(&IOManager::setParameter), slotOf(&IOManager::addDataListener),
        slotOf(&IOManager::removeDataListener), slotOf(&IOManager::addRequester), slotOf(&IOManager::removeRequester),
        slotOf(&IOManager::sendMessage), slotOf(&IOManager::addMessageReceiver),
        slotOf(&IOManager::removeMessageReceiver), slotOf(&IOManager::lastErrorText), slotOf(&IOManager::parseBools),
        slotOf(&IOManager::parseInts), slotOf(&IOManager::parseDoubles), slotOf(&IOManager::replyTimeout),
        slotOf(&IOManager::setReplyTimeout), slotOf(&IOManager::notifyMeasurementStarted),
        slotOf(&IOManager::notifyMeasurementStopped), slotOf(&IOManager::pollAsyncReply), slotOf(&IOManager::exchange)};
    for (int i = 0; i < order.size(); ++i)
        QCOMPARE(order[i], std::ptrdiff_t(i + 2));
    QCOMPARE(slotOf(&Requester::onData), std::ptrdiff_t(0));
    QCOMPARE(slotOf(&Requester::onMeasurementStarted), std::ptrdiff_t(1));
    QCOMPARE(slotOf(&Requester::onMeasurementStopped), std::ptrdiff_t(2));
    QCOMPARE(slotOf(&MessageReceiver::receive), std::ptrdiff_t(0));
}

void tst_CommandGrammar::replyOwnerIsToldByItsWords()
{
    using O = ReplyMatcher::Owner;
    QCOMPARE(ReplyMatcher::owner("quorix2 get status active", "quorix2 set status active mea"), O::This);
    QCOMPARE(ReplyMatcher::owner("quorix2 get status number_of_used_rays c01", "quorix2 set status number_of_used_rays c1 17"), O::This);
    QCOMPARE(ReplyMatcher::owner("quorix2 get status active", "quorix2 set status frames_lost 0"), O::Other);
    QCOMPARE(ReplyMatcher::owner("quorix2 get status number_of_used_rays c01", "quorix2 set status number_of_used_rays c02 3"), O::Other);
    // A get's error names nothing; neither does any reply but an echo.
    QCOMPARE(ReplyMatcher::owner("quorix2 get status active", "quorix2 err -5 \"no\""), O::Unnamed);
    QCOMPARE(ReplyMatcher::owner("quorix2 getmsg", "quorix2 msg camera c03 lost"), O::Unnamed);
    QCOMPARE(ReplyMatcher::owner("quorix2 set camera c01 active yes", "quorix2 ok"), O::Unnamed);
    QCOMPARE(ReplyMatcher::owner("quorix2 get status active", "quorix2 ok"), O::Other);
    QCOMPARE(ReplyMatcher::owner("quorix2 get status active", "garbage"), O::Unnamed);
    // An echo answers a get only: to anything else it is another command's.
    QCOMPARE(ReplyMatcher::owner("quorix2 getmsg", "quorix2 set status frames_lost 0"), O::Other);
    QCOMPARE(ReplyMatcher::owner("quorix2 set camera c01 active yes", "quorix2 set camera c01 active yes"), O::Other);
}

void tst_CommandGrammar::doubledOrStrayRepliesNeverShiftTheNext()
{
    ReplyReader r;
    QByteArray reply;
    r.expectReply();
    r.feed("quorix2 set status frames_lost 0\0", sizeof "quorix2 set status frames_lost 0\0" - 1, 0);
    QVERIFY(r.takeReply(&reply, 0, "quorix2 get status frames_lost"));
    // Its copy comes while the next command waits: passed over, logged.
    r.expectReply();
    r.feed("quorix2 set status frames_lost 0\0quorix2 set status active none\0", sizeof "quorix2 set status frames_lost 0\0quorix2 set status active none\0" - 1, 30);
    QVERIFY(r.takeReply(&reply, 30, "quorix2 get status active"));
    QCOMPARE(reply, QByteArray("quorix2 set status active none"));
    QCOMPARE(r.takeDropped(), std::vector<QByteArray>{"quorix2 set status frames_lost 0"});
    // The late echo of a get that gave up before a set: the set's own reply counts.
    r.expectReply();
    r.expectReply();
    r.feed("quorix2 set system hostname tbox\0quorix2 ok\0", sizeof "quorix2 set system hostname tbox\0quorix2 ok\0" - 1, 40);
    QVERIFY(r.takeReply(&reply, 40, "quorix2 set camera c01 active yes"));
    QCOMPARE(reply, QByteArray("quorix2 ok"));
    QCOMPARE(r.owed(), 0);
    // A doubled "ok" names nothing: the command after it takes only its own echo.
    r.expectReply();
    r.feed("quorix2 ok\0quorix2 set status active mea\0", sizeof "quorix2 ok\0quorix2 set status active mea\0" - 1, 50);
    QVERIFY(r.takeReply(&reply, 50, "quorix2 get status active"));
    QCOMPARE(reply, QByteArray("quorix2 set status active mea"));
}

// The Controller writes '.', whatever the desktop's language; a German
// locale reads "1.5" as 1 followed by garbage in the C library.
void tst_CommandGrammar::numbersReadTheSameInAGermanLocale()
{
    double values[3] = {};
    int r = -1;
    FakeChannel channel;
    {
        const GermanLocale german;
        QVERIFY2(german.isActive(), "no German locale: scripts/bootstrap makes one");
        r = ReplyValues::parseDoubles("1.5 -250.25 3e2", values, 3);
        // ... and a value the front end sends goes out with '.' too.
        channel.setParameter("config exposure_time %.1f", 1.5);
    }
    QCOMPARE(channel.commands().value(0), QByteArray("quorix2 set config exposure_time 1.5"));
    QCOMPARE(r, 0);
    QCOMPARE(values[0], 1.5);
    QCOMPARE(values[1], -250.25);
    QCOMPARE(values[2], 300.0);
}

QTEST_GUILESS_MAIN(tst_CommandGrammar)
#include "tst_commandgrammar.moc"
