// The event display: polling the Controller's message queue, bus messages,
// the 200-line view and the per-day log files.
#include "EventDisplay.h"
#include "EventSeverity.h"
#include "FileSizeLimit.h"
#include "FakeChannel.h"
#include "SystemInfoBundle.h"
#include "MessageBoxProvider.h"
#include "TestHome.h"
#include "TextBrowser.h"
#include "WaitPastDue.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTextBlock>
#include <QtTest>

namespace {

const QRegularExpression Stamp("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d: ");

QStringList viewLines(const EventDisplay &d)
{
    return d.view()->toPlainText().split('\n', Qt::SkipEmptyParts);
}

QStringList fileLines(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return QString::fromLocal8Bit(f.readAll()).split('\n', Qt::SkipEmptyParts);
}

QString stripped(const QString &line)
{
    QString s = line;
    return s.remove(Stamp);
}

class BoxRecorder : public MessageBoxProvider
{
public:
    void openMessageBox(int, QString title, QString text) override { boxes << title + "|" + text; }
    QStringList boxes;
};

void touch(const QString &path)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("old\n");
}

} // namespace

class tst_EventDisplay : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_home.reset(new TestHome); m_logs = m_home->path() + "/logs/events"; }
    void cleanup() { m_home.reset(); }

    void queuedMessagesFetchedInOnePoll();
    void busyChannelSendsNothing();
    void failedGetmsgEndsPoll();
    void unexpectedGetmsgReplyEndsPoll_data();
    void unexpectedGetmsgReplyEndsPoll();
    void refusedGetmsgRaisesNoBoxAndBacksOff();
    void textIsShownLiterally();
    void reenteredPollIsDropped();
    void busMessageShowsSenderAndText();
    void viewKeepsLast200LinesLogKeepsAll();
    void oldLogsDeleted();
    void unwritableLogToldOnce();
    void logNeverWrittenThroughALink();
    void anyHostNameGivesItsOwnLogFile();
    void longMessages();
    void floodEmptiedOverSeveralPolls();
    void pollIntervalFollowsVisibility();
    void clearOnlyWithText();
    void problemsStandOutAndCanBeNarrowed();

private:
    QScopedPointer<TestHome> m_home;
    QString m_logs;
};

void tst_EventDisplay::queuedMessagesFetchedInOnePoll()
{
    FakeChannel ch;
    ch.queueMessage("camera c02 lost");
    EventDisplay d(&ch, m_logs, "quorixsim");
    // The constructor polls once.
    QCOMPARE(ch.count("quorix2 getmsg"), 2);
    QCOMPARE(viewLines(d).size(), 1);

    ch.queueMessage("first");
    ch.queueMessage("second");
    ch.queueMessage("third");
    ch.clearCommands();
    d.get_msg();
    QCOMPARE(ch.commands(), QList<QByteArray>({"quorix2 getmsg", "quorix2 getmsg", "quorix2 getmsg", "quorix2 getmsg"}));
    const QStringList lines = viewLines(d);
    QCOMPARE(lines.size(), 4);
    for (const QString &line : lines)
        QVERIFY2(Stamp.match(line).hasMatch(), qPrintable(line));
    // The text kept starts with the blank after "quorix2 msg".
    QCOMPARE(stripped(lines[1]), QString(" first"));
    QCOMPARE(stripped(lines[3]), QString(" third"));

    const QString file = d.logFilePath(QDate::currentDate());
    QCOMPARE(QFileInfo(file).fileName(), "events-" + QDate::currentDate().toString("yyyy-MM-dd") + "_quorixsim.log");
    QCOMPARE(fileLines(file), lines);
}

void tst_EventDisplay::busyChannelSendsNothing()
{
    FakeChannel ch;
    ch.setBusy(true);
    ch.queueMessage("waiting");
    EventDisplay d(&ch, m_logs, "h");
    d.get_msg();
    QVERIFY(ch.commands().isEmpty());
    QCOMPARE(viewLines(d), QStringList());
    ch.setBusy(false);
    d.get_msg();
    QCOMPARE(viewLines(d).size(), 1);
}

void tst_EventDisplay::failedGetmsgEndsPoll()
{
    FakeChannel ch;
    ch.fail("quorix2 getmsg", -111);
    EventDisplay d(&ch, m_logs, "h");
    ch.clearCommands();
    d.get_msg();
    QCOMPARE(ch.commands().size(), 1);
    QVERIFY(d.isPolling());
}

void tst_EventDisplay::unexpectedGetmsgReplyEndsPoll_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("shown");
    QTest::newRow("garbage") << QByteArray("\x01\x7f" "abc\r\n\x1b[2J") << QString("\\x01\\x7fabc\\r\\n\\x1b[2J");
    QTest::newRow("refusal") << QByteArray("quorix2 err -7 \"unknown command getmsg\"")
                             << QString("quorix2 err -7 \"unknown command getmsg\"");
    QTest::newRow("long reply word") << QByteArray("quorix2 message x") << QString("quorix2 message x");
    QTest::newRow("no blank after it") << QByteArray("quorix2 msg:x") << QString("quorix2 msg:x");
}

// A Controller that answers getmsg with something else must not be asked again
// and again within one tick, nor fill the day's log.
void tst_EventDisplay::unexpectedGetmsgReplyEndsPoll()
{
    QFETCH(QByteArray, reply);
    QFETCH(QString, shown);
    FakeChannel ch;
    ch.reply("quorix2 getmsg", reply);
    EventDisplay d(&ch, m_logs, "h");
    QCOMPARE(ch.count("quorix2 getmsg"), 1);
    d.get_msg();
    d.get_msg();
    QCOMPARE(ch.count("quorix2 getmsg"), 3);
    const QStringList logged = fileLines(d.logFilePath(QDate::currentDate()));
    QCOMPARE(logged.size(), 1);
    QCOMPARE(stripped(logged[0]), "(QUORIX4) Unexpected reply to \"quorix2 getmsg\": " + shown);
    QCOMPARE(viewLines(d), logged);

    // Back to normal: messages flow again, and a later fault is noted again.
    ch.forget("quorix2 getmsg");
    ch.queueMessage("camera c01 lost");
    d.get_msg();
    ch.reply("quorix2 getmsg", reply);
    d.get_msg();
    QCOMPARE(fileLines(d.logFilePath(QDate::currentDate())).size(), 3);
}

// A Controller that refuses getmsg: one box, one line in the event display,
// and a poll that asks less and less often while the refusals go on.
void tst_EventDisplay::refusedGetmsgRaisesNoBoxAndBacksOff()
{
    const QByteArray refusal("quorix2 err -7 \"unknown command getmsg\"");
    BoxRecorder boxes;
    FakeChannel ch(&boxes);
    ch.reply("quorix2 getmsg", refusal);
    EventDisplay d(&ch, m_logs, "h");
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    for (int i = 0; i < 20; ++i)
        d.get_msg();
    QCOMPARE(ch.count("quorix2 getmsg"), 21);
    // A poll: the refusal is a line in the display, never a box.
    QVERIFY(boxes.boxes.isEmpty());
    QCOMPARE(viewLines(d).size(), 1);
    QCOMPARE(fileLines(d.logFilePath(QDate::currentDate())).size(), 1);
    QCOMPARE(d.pollInterval(), int(EventDisplay::MaxRefusedPollMs));
    d.hide();
    QCOMPARE(d.pollInterval(), int(EventDisplay::MaxRefusedPollMs));

    // Back to normal: the usual pace, messages flow.
    ch.forget("quorix2 getmsg");
    ch.queueMessage("camera c01 lost");
    d.get_msg();
    QCOMPARE(d.pollInterval(), int(EventDisplay::HiddenPollMs));
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    QCOMPARE(d.pollInterval(), int(EventDisplay::ShownPollMs));
    QCOMPARE(viewLines(d).size(), 2);

    // Refused again: noted again, still no box; the timer slows down by itself,
    // each refusal doubling the wait before the next poll. A timer fires late
    // on a busy machine, never early by more than its coarse slack (5 %).
    ch.reply("quorix2 getmsg", refusal);
    ch.clearCommands();
    QElapsedTimer clock;
    clock.start();
    QList<qint64> askedAt;
    ch.setExchangeHook([&](const QByteArray &) { askedAt << clock.elapsed(); });
    QTRY_VERIFY_WITH_TIMEOUT(askedAt.size() >= 4, 30000);
    ch.setExchangeHook(nullptr);
    for (int i = 1; i < askedAt.size(); ++i) {
        const qint64 wait = qint64(EventDisplay::ShownPollMs) << i;
        QVERIFY2(askedAt[i] - askedAt[i - 1] >= wait * 9 / 10,
                 qPrintable(QString("poll %1 after %2 ms").arg(i).arg(askedAt[i] - askedAt[i - 1])));
    }
    QVERIFY(boxes.boxes.isEmpty());
    QCOMPARE(viewLines(d).size(), 3);
    QVERIFY(d.pollInterval() > int(EventDisplay::ShownPollMs));
}

// Controller and module texts are plain text, never markup; control characters
// cannot break an event into several lines.
void tst_EventDisplay::textIsShownLiterally()
{
    FakeChannel ch;
    ch.queueMessage("note: <b>x</b> & a<b");
    ch.queueMessage("two\nlines\tand a bell\a");
    EventDisplay d(&ch, m_logs, "h");
    d.receive(1, "Holoview", "<i>settings</i> &amp; <br>more");
    const QStringList expected{" note: <b>x</b> & a<b", " two\\nlines\\tand a bell\\x07",
                               "(Holoview) <i>settings</i> &amp; <br>more"};
    QStringList shown;
    for (const QString &line : viewLines(d))
        shown << stripped(line);
    QCOMPARE(shown, expected);
    QStringList logged;
    for (const QString &line : fileLines(d.logFilePath(QDate::currentDate())))
        logged << stripped(line);
    QCOMPARE(logged, expected);

    // Nothing of it was taken for formatting.
    for (QTextBlock b = d.view()->document()->begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            QVERIFY(it.fragment().charFormat().fontWeight() <= QFont::Normal && !it.fragment().charFormat().fontItalic());
}

// A tick processed inside the channel's nested event loop must not start a second poll.
void tst_EventDisplay::reenteredPollIsDropped()
{
    FakeChannel ch;
    EventDisplay d(&ch, m_logs, "h");
    ch.queueMessage("one");
    ch.clearCommands();
    bool reentered = false;
    ch.setExchangeHook([&](const QByteArray &) {
        if (!reentered) {
            reentered = true;
            d.get_msg();
        }
    });
    d.get_msg();
    QCOMPARE(ch.commands(), QList<QByteArray>({"quorix2 getmsg", "quorix2 getmsg"}));
    QCOMPARE(viewLines(d).size(), 1);
    // The lock was released: the next poll runs.
    ch.clearCommands();
    d.get_msg();
    QCOMPARE(ch.commands().size(), 1);
}

void tst_EventDisplay::busMessageShowsSenderAndText()
{
    FakeChannel ch;
    EventDisplay d(&ch, m_logs, "quorixsim");
    ch.addMessageReceiver("standard", &d);
    QCOMPARE(ch.sendMessage("standard", "IOManagerUdpTcp", 2, "UDP timeout: last command sent: quorix2 init"), 0);
    const QStringList lines = viewLines(d);
    QCOMPARE(lines.size(), 1);
    QVERIFY(Stamp.match(lines[0]).hasMatch());
    QCOMPARE(stripped(lines[0]), QString("(IOManagerUdpTcp) UDP timeout: last command sent: quorix2 init"));
    QCOMPARE(fileLines(d.logFilePath(QDate::currentDate())), lines);

    // From another thread the line still arrives, in the GUI thread.
    QThread *t = QThread::create([&] { d.receive(1, "QUORIX4", "from worker"); });
    t->start();
    t->wait();
    delete t;
    QTRY_COMPARE(viewLines(d).size(), 2);
    QCOMPARE(stripped(viewLines(d)[1]), QString("(QUORIX4) from worker"));
    ch.removeMessageReceiver("standard", &d);
}

// Among many plain lines a camera without a room calibration is found: it is
// marked, a filter narrows the view, and the switch leaves warnings and
// errors only; the lines come back when both are cleared, the log keeps all.
void tst_EventDisplay::problemsStandOutAndCanBeNarrowed()
{
    QCOMPARE(EventSeverity::of("camera c03 has no room calibration"), EventSeverity::Warning);
    QCOMPARE(EventSeverity::of("Fehler: Markerposition nicht lesbar"), EventSeverity::Error);
    QCOMPARE(EventSeverity::of("measurement start unsuccessful!"), EventSeverity::Error);
    QCOMPARE(EventSeverity::of("Connection to Controller lost"), EventSeverity::Error);
    QCOMPARE(EventSeverity::of("measurement started"), EventSeverity::Plain);
    QCOMPARE(EventSeverity::of("no terror in an unfailing system"), EventSeverity::Plain);

    FakeChannel ch;
    EventDisplay d(&ch, m_logs, "quorixsim");
    ch.addMessageReceiver("standard", &d);
    for (int i = 0; i < 60; ++i)
        ch.sendMessage("standard", "Quorix2", 1, qPrintable(QString("body %1 calibrated").arg(i)));
    ch.sendMessage("standard", "Quorix2", 1, "camera c03 has no room calibration");
    ch.sendMessage("standard", "Quorix2", 1, "Error: Unable to get marker position");
    QCOMPARE(viewLines(d).size(), 62);
    const QTextBlock warning = d.view()->document()->findBlockByNumber(60);
    QVERIFY(warning.text().endsWith("camera c03 has no room calibration"));
    QCOMPARE(warning.begin().fragment().charFormat().fontWeight(), int(QFont::Bold));
    QVERIFY(d.view()->document()->findBlockByNumber(0).begin().fragment().charFormat().fontWeight() != int(QFont::Bold));

    d.filterField()->setText("c03");
    QCOMPARE(viewLines(d).size(), 1);
    d.filterField()->clear();
    d.problemsOnlySwitch()->setChecked(true);
    QCOMPARE(viewLines(d).size(), 2);
    ch.sendMessage("standard", "Quorix2", 1, "body 61 calibrated");
    QCOMPARE(viewLines(d).size(), 2);
    d.problemsOnlySwitch()->setChecked(false);
    QCOMPARE(viewLines(d).size(), 63);
    QCOMPARE(fileLines(d.logFilePath(QDate::currentDate())).size(), 63);
    ch.removeMessageReceiver("standard", &d);
}

void tst_EventDisplay::viewKeepsLast200LinesLogKeepsAll()
{
    FakeChannel ch;
    EventDisplay d(&ch, m_logs, "h");
    for (int i = 1; i <= 200; ++i)
        d.receive(1, "t", QByteArray::number(i).constData());
    QCOMPARE(stripped(viewLines(d).first()), QString("(t) 1"));
    d.receive(1, "t", "201");
    const QStringList lines = viewLines(d);
    QCOMPARE(lines.size(), 200);
    QCOMPARE(stripped(lines.first()), QString("(t) 2"));
    QCOMPARE(stripped(lines.last()), QString("(t) 201"));
    const QStringList logged = fileLines(d.logFilePath(QDate::currentDate()));
    QCOMPARE(logged.size(), 201);
    QCOMPARE(stripped(logged.first()), QString("(t) 1"));
}

void tst_EventDisplay::oldLogsDeleted()
{
    QVERIFY(QDir().mkpath(m_logs));
    const QDate today = QDate::currentDate();
    auto name = [&](int daysAgo) {
        return m_logs + "/events-" + today.addDays(-daysAgo).toString("yyyy-MM-dd") + "_quorixsim.log";
    };
    touch(name(201));
    touch(name(400));
    touch(name(200));
    touch(name(199));
    touch(m_logs + "/other-2001-01-01.log");
    touch(m_logs + "/events-2001-01-01_h.txt");
    FakeChannel ch;
    EventDisplay d(&ch, m_logs, "quorixsim");
    QVERIFY(!QFile::exists(name(201)));
    QVERIFY(!QFile::exists(name(400)));
    QVERIFY(QFile::exists(name(200)));
    QVERIFY(QFile::exists(name(199)));
    QVERIFY(QFile::exists(m_logs + "/other-2001-01-01.log"));
    QVERIFY(QFile::exists(m_logs + "/events-2001-01-01_h.txt"));

    // The daily clean-up does the same later on.
    touch(name(300));
    d.onDeleteOldLogFiles();
    QVERIFY(!QFile::exists(name(300)));
}

// Events go on being shown; the user learns once that they are not kept.
void tst_EventDisplay::unwritableLogToldOnce()
{
    // A file where the directory should be.
    const QString blocked = m_home->path() + "/blocked";
    touch(blocked);
    FakeChannel ch;
    ch.queueMessage("lost");
    {
        EventDisplay d(&ch, blocked + "/events", "h");
        d.receive(1, "QUORIX4", "still shown");
        const QStringList lines = viewLines(d);
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines[0].endsWith(" lost"));
        QVERIFY2(lines[1].contains("(QUORIX4) Error: the event log ") && lines[1].contains("cannot be written"),
                 qPrintable(lines[1]));
        QVERIFY(lines[2].endsWith("(QUORIX4) still shown"));
        QVERIFY(QFileInfo(blocked).isFile());
    }

    // A full disk: the day's log cannot grow.
    EventDisplay d(&ch, m_logs, "h");
    d.receive(1, "QUORIX4", "kept");
    const QString file = d.logFilePath(QDate::currentDate());
    const qint64 size = QFileInfo(file).size();
    {
        FileSizeLimit full(size);
        d.receive(1, "QUORIX4", "not kept 1");
        d.receive(1, "QUORIX4", "not kept 2");
    }
    QStringList lines = viewLines(d);
    QCOMPARE(lines.size(), 4);
    QVERIFY2(lines[2].contains("Error: the event log " + file + " cannot be written"), qPrintable(lines[2]));
    QCOMPARE(fileLines(file).size(), 1);
    // Space again, then full again: told again.
    d.receive(1, "QUORIX4", "kept again");
    {
        FileSizeLimit full(QFileInfo(file).size());
        d.receive(1, "QUORIX4", "not kept 3");
    }
    lines = viewLines(d);
    QCOMPARE(lines.size(), 7);
    QVERIFY(lines[6].contains("Error: the event log "));
    QCOMPARE(fileLines(file).size(), 2);
}

void tst_EventDisplay::logNeverWrittenThroughALink()
{
    // Someone else's file, linked where today's log will be.
    const QString target = m_home->path() + "/elsewhere.txt";
    touch(target);
    QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther);
    FakeChannel ch;
    EventDisplay d(&ch, m_logs, "h");
    QDir().mkpath(m_logs);
    const QString file = d.logFilePath(QDate::currentDate());
    QVERIFY(QFile::link(target, file));
    d.receive(1, "QUORIX4", "shown only");
    const QStringList lines = viewLines(d);
    QCOMPARE(lines.size(), 2);
    QVERIFY2(lines[1].contains("cannot be written (it is a symbolic link)"), qPrintable(lines[1]));
    QCOMPARE(fileLines(target), QStringList{"old"});
    QVERIFY(QFile::permissions(target) & QFileDevice::ReadOther);
}

void tst_EventDisplay::anyHostNameGivesItsOwnLogFile()
{
    const QString root = m_home->path() + "/root";
    const QString logs = root + "/v4.0.1/logs";
    const QString longName(300, QLatin1Char('h'));
    const QStringList hosts{"kst-hall.local_2", "hall/a", "hall%2Fa", "..", "../../x", "a b\tc\x01", QString::fromUtf8("Halle-\xc3\xa4"),
                            longName, longName + "x"};
    QSet<QString> names;
    for (const QString &host : hosts) {
        FakeChannel ch;
        EventDisplay d(&ch, logs, host);
        d.receive(1, "QUORIX4", "logged");
        const QFileInfo file(d.logFilePath(QDate::currentDate()));
        // In the log folder itself, a name the file system takes, one per host.
        QCOMPARE(file.absolutePath(), QFileInfo(logs).absoluteFilePath());
        QVERIFY2(file.isFile(), qPrintable(file.filePath()));
        QVERIFY(file.fileName().toUtf8().size() <= 200);
        QCOMPARE(fileLines(file.filePath()).size(), 1);
        names.insert(file.fileName());
        QCOMPARE(int(file.permissions() & 0x0777), 0x0600);   // for the user alone
        // The support export finds the log under the same name.
        const QVector<SystemInfoBundle::LogFile> found = SystemInfoBundle::findLogs(root, host, QDate::currentDate());
        QCOMPARE(found.size(), 1);
        QCOMPARE(found.first().path, file.absoluteFilePath());
    }
    QCOMPARE(names.size(), hosts.size());
    QVERIFY(names.contains("events-" + QDate::currentDate().toString("yyyy-MM-dd") + "_kst-hall.local_2.log"));
    QCOMPARE(int(QFileInfo(logs).permissions() & 0x0777), 0x0700);
}

void tst_EventDisplay::longMessages()
{
    FakeChannel ch;
    // The longest reply a 200-byte buffer carries.
    const QByteArray text(199 - 12, 'x');
    ch.queueMessage(text + "");
    EventDisplay d(&ch, m_logs, "h");
    QCOMPARE(stripped(viewLines(d).value(0)), " " + QString(text));

    const QByteArray bus(199, 'y');
    d.receive(1, "s", bus.constData());
    QCOMPARE(stripped(viewLines(d).value(1)), "(s) " + QString(bus));
    QCOMPARE(fileLines(d.logFilePath(QDate::currentDate())).size(), 2);
}

void tst_EventDisplay::floodEmptiedOverSeveralPolls()
{
    FakeChannel ch;
    EventDisplay d(&ch, m_logs, "h");
    for (int i = 0; i < 1000; ++i)
        ch.queueMessage("m" + QByteArray::number(i));
    d.get_msg();
    const int left = ch.queuedMessages();
    QVERIFY2(left > 0 && left < 1000, qPrintable(QString::number(left)));
    int polls = 1;
    while (ch.queuedMessages() > 0 && polls < 1000) {
        d.get_msg();
        ++polls;
    }
    QCOMPARE(ch.queuedMessages(), 0);
    const QStringList logged = fileLines(d.logFilePath(QDate::currentDate()));
    QCOMPARE(logged.size(), 1000);
    QCOMPARE(stripped(logged.last()), QString(" m999"));
    QCOMPARE(viewLines(d).size(), 200);
}

void tst_EventDisplay::pollIntervalFollowsVisibility()
{
    FakeChannel ch;
    EventDisplay d(&ch, m_logs, "h");
    QVERIFY(d.isPolling());
    QCOMPARE(d.pollInterval(), 1000);
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    QCOMPARE(d.pollInterval(), 100);
    // The timer really polls: a message queued now shows up.
    ch.queueMessage("late");
    QTRY_COMPARE_WITH_TIMEOUT(viewLines(d).size(), 1, 3000);
    d.hide();
    QCOMPARE(d.pollInterval(), 1000);
    d.stop();
    QVERIFY(!d.isPolling());
    ch.clearCommands();
    QVERIFY(waitPastDue(2 * EventDisplay::HiddenPollMs));   // past the next tick, had it still run
    QVERIFY(ch.commands().isEmpty());
}

void tst_EventDisplay::clearOnlyWithText()
{
    FakeChannel ch;
    EventDisplay d(&ch, m_logs, "h");
    TextBrowser *view = d.view();
    QVERIFY(view->isReadOnly());
    QScopedPointer<QMenu> empty(view->createContextMenu(QPoint()));
    QVERIFY(empty->actions().contains(view->clearAction()));
    QCOMPARE(empty->actions().last(), view->clearAction());
    QVERIFY(empty->actions().at(empty->actions().size() - 2)->isSeparator());
    QVERIFY(!view->clearAction()->isEnabled());

    d.receive(1, "s", "text");
    QScopedPointer<QMenu> full(view->createContextMenu(QPoint()));
    QVERIFY(view->clearAction()->isEnabled());
    view->clearAction()->trigger();
    QVERIFY(view->toPlainText().isEmpty());
    // The log keeps what the view lost.
    QCOMPARE(fileLines(d.logFilePath(QDate::currentDate())).size(), 1);
}

QTEST_MAIN(tst_EventDisplay)
#include "tst_eventdisplay.moc"
