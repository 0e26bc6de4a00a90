#include "ModalWatcher.h"
#include "ScriptedResponder.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QtTest>

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

using Action = ScriptedResponder::Action;
using Use = ScriptedResponder::Use;

namespace {

// A bare client, so that what the responder puts on the wire is seen unfiltered.
class RawSocket
{
public:
    explicit RawSocket(int type) : m_fd(::socket(AF_INET, type, 0)) {}
    ~RawSocket() { ::close(m_fd); }

    bool connectTo(const char *ip, quint16 port)
    {
        const sockaddr_in a = address(ip, port);
        return ::connect(m_fd, reinterpret_cast<const sockaddr *>(&a), sizeof a) == 0;
    }
    bool bindTo(const char *ip)
    {
        const sockaddr_in a = address(ip, 0);
        return ::bind(m_fd, reinterpret_cast<const sockaddr *>(&a), sizeof a) == 0;
    }
    bool send(const QByteArray &bytes)
    {
        return ::send(m_fd, bytes.constData(), size_t(bytes.size()), MSG_NOSIGNAL) == bytes.size();
    }
    bool sendTo(const QByteArray &bytes, const char *ip, quint16 port)
    {
        const sockaddr_in a = address(ip, port);
        return ::sendto(m_fd, bytes.constData(), size_t(bytes.size()), 0,
                        reinterpret_cast<const sockaddr *>(&a), sizeof a) == bytes.size();
    }
    // One receive: byte count, 0 at end of stream, -1 on time-out, -2 on error (see error()).
    int receive(QByteArray *out, int timeoutMs, quint16 *fromPort = nullptr)
    {
        pollfd p{m_fd, POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) == 0)
            return -1;
        char buf[1024];
        sockaddr_in from;
        socklen_t len = sizeof from;
        const ssize_t n = ::recvfrom(m_fd, buf, sizeof buf, 0, reinterpret_cast<sockaddr *>(&from), &len);
        m_errno = errno;
        if (n < 0)
            return -2;
        if (fromPort)
            *fromPort = ntohs(from.sin_port);
        *out = QByteArray(buf, int(n));
        return int(n);
    }
    // Reads until `size` bytes have arrived or nothing more comes.
    QByteArray receiveAll(int size, int timeoutMs = 2000)
    {
        QByteArray all, part;
        while (all.size() < size && receive(&part, timeoutMs) > 0)
            all += part;
        return all;
    }
    quint16 localPort() const
    {
        sockaddr_in a;
        socklen_t len = sizeof a;
        ::getsockname(m_fd, reinterpret_cast<sockaddr *>(&a), &len);
        return ntohs(a.sin_port);
    }
    int error() const { return m_errno; }

private:
    static sockaddr_in address(const char *ip, quint16 port)
    {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        ::inet_pton(AF_INET, ip, &a.sin_addr);
        return a;
    }
    int m_fd;
    int m_errno = 0;
};

QByteArray z(const char *text)
{
    return QByteArray(text) + '\0';
}

} // namespace

class TestSupport : public QObject
{
    Q_OBJECT

private slots:
    void responderAnswersByRulesAndLogsCommands();
    void responderSplitsAndDelaysReplies();
    void responderClosesAndResetsConnections();
    void responderSpeaksUdp();
    void watcherAnswersBoxesAndDialogs();
    void watcherPressesScriptedButtons();
};

void TestSupport::responderAnswersByRulesAndLogsCommands()
{
    ScriptedResponder r;
    QVERIFY(r.start("127.0.9.1"));
    QCOMPARE(r.port(), quint16(50105));
    r.on("quorix2 get system version", Action::reply("quorix2 set system version v0.2.8"));
    r.onPrefix("quorix2 get camera", Action::reply("quorix2 set camera generic"));
    r.onPrefix("quorix2 get camera c01", Action::reply("quorix2 set camera c01 1"));
    r.on("quorix2 getmsg", Action::reply("first"), Use::Once);
    r.on("quorix2 getmsg", Action::reply("second"), Use::Once);
    r.on("quorix2 init", Action::raw("quorix2 ok"));
    const QByteArray longReply(250, 'x');
    r.on("quorix2 get long", Action::reply(longReply));

    RawSocket c(SOCK_STREAM);
    QVERIFY(c.bindTo("127.0.9.6"));
    QVERIFY(c.connectTo("127.0.9.1", 50105));
    auto ask = [&c](const char *command, int expectedSize) {
        c.send(z(command));
        return c.receiveAll(expectedSize);
    };
    QCOMPARE(ask("quorix2 get system version", 34), z("quorix2 set system version v0.2.8"));
    QCOMPARE(ask("quorix2 get camera c01 status", 24), z("quorix2 set camera c01 1"));
    QCOMPARE(ask("quorix2 get camera c02", 26), z("quorix2 set camera generic"));
    QCOMPARE(ask("quorix2 getmsg", 6), z("first"));
    QCOMPARE(ask("quorix2 getmsg", 7), z("second"));
    QCOMPARE(ask("quorix2 getmsg", 11), z("quorix2 ok"));  // queue used up: default
    QCOMPARE(ask("quorix2 init", 10), QByteArray("quorix2 ok"));
    QByteArray extra;
    QCOMPARE(c.receive(&extra, 100), -1);  // really no zero byte behind it
    QCOMPARE(ask("quorix2 get long", 251), longReply + '\0');

    // Commands are framed by their zero byte, not by segments.
    r.clear();
    c.send(z("quorix2 a") + z("quorix2 b") + "quorix2 ");
    QVERIFY(r.waitForCommands(2));
    QTest::qWait(50);
    c.send(z("c"));
    QVERIFY(r.waitForCommands(3));
    QCOMPARE(r.commands(), (QList<QByteArray>{"quorix2 a", "quorix2 b", "quorix2 c"}));
    QCOMPARE(c.receiveAll(33), z("quorix2 ok") + z("quorix2 ok") + z("quorix2 ok"));
    const auto log = r.received();
    QCOMPARE(log[0].transport, ScriptedResponder::Transport::Tcp);
    QCOMPARE(log[0].peerPort, c.localPort());
    QVERIFY(log[0].atMs <= log[2].atMs);
    QCOMPARE(r.lastPeerAddress(), QHostAddress("127.0.9.6"));
    QCOMPARE(r.lastPeerPort(), c.localPort());

    // The port is held until stop().
    ScriptedResponder second;
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("tcp bind"));
    QVERIFY(!second.start("127.0.9.1"));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("not an IPv4 loopback"));
    QVERIFY(!second.start("192.0.2.1"));  // never off the loopback
}

void TestSupport::responderSplitsAndDelaysReplies()
{
    ScriptedResponder r;
    QVERIFY(r.start("127.0.9.2"));
    r.on("quorix2 tracking start", Action::reply("quorix2 ok").splitAt(5, 300));
    r.on("quorix2 tracking stop", Action::late("quorix2 ok", 400));
    RawSocket c(SOCK_STREAM);
    QVERIFY(c.connectTo("127.0.9.2", 50105));

    QByteArray part;
    c.send(z("quorix2 tracking start"));
    QCOMPARE(c.receive(&part, 2000), 5);
    QCOMPARE(part, QByteArray("quori"));
    QCOMPARE(c.receive(&part, 2000), 6);
    QCOMPARE(part, z("x2 ok"));

    // The late reply misses a short wait but still arrives, ahead of the
    // reply to the command sent after it.
    c.send(z("quorix2 tracking stop"));
    QCOMPARE(c.receive(&part, 100), -1);
    c.send(z("quorix2 get status active"));
    QCOMPARE(c.receiveAll(22, 3000), z("quorix2 ok") + z("quorix2 ok"));
}

void TestSupport::responderClosesAndResetsConnections()
{
    ScriptedResponder r;
    QVERIFY(r.start("127.0.9.3"));
    r.on("quorix2 system shutdown", Action::close());
    r.on("quorix2 system reboot", Action::reset());
    r.on("quorix2 getmsg", Action::none());
    r.on("quorix2 reinit", Action::reply("quorix2 ok").thenClose());
    QByteArray got;

    RawSocket closed(SOCK_STREAM);
    QVERIFY(closed.connectTo("127.0.9.3", 50105));
    closed.send(z("quorix2 system shutdown"));
    QCOMPARE(closed.receive(&got, 2000), 0);

    RawSocket reset(SOCK_STREAM);
    QVERIFY(reset.connectTo("127.0.9.3", 50105));
    reset.send(z("quorix2 system reboot"));
    QCOMPARE(reset.receive(&got, 2000), -2);
    QCOMPARE(reset.error(), ECONNRESET);

    RawSocket silent(SOCK_STREAM);
    QVERIFY(silent.connectTo("127.0.9.3", 50105));
    silent.send(z("quorix2 getmsg"));
    QCOMPARE(silent.receive(&got, 200), -1);
    silent.send(z("quorix2 reinit"));
    QCOMPARE(silent.receiveAll(11), z("quorix2 ok"));
    QCOMPARE(silent.receive(&got, 2000), 0);

    QVERIFY(r.waitForConnections(3));
    QCOMPARE(r.connectionCount(), 3);
    QCOMPARE(r.received().size(), 4);
}

void TestSupport::responderSpeaksUdp()
{
    ScriptedResponder r;
    QVERIFY(r.start("127.0.9.4"));
    r.on("quorix2 get status active", Action::reply("quorix2 set status active none"));
    RawSocket u(SOCK_DGRAM);
    QVERIFY(u.bindTo("127.0.9.5"));

    QVERIFY(u.sendTo(z("quorix2 get status active"), "127.0.9.4", 50105));
    QByteArray got;
    quint16 from = 0;
    QVERIFY(u.receive(&got, 2000, &from) > 0);
    QCOMPARE(got, z("quorix2 set status active none"));
    QCOMPARE(from, quint16(50105));
    QCOMPARE(r.received().at(0).transport, ScriptedResponder::Transport::Udp);
    QCOMPARE(r.received().at(0).peer, QHostAddress("127.0.9.5"));

    QVERIFY(r.sendDatagram("6d 1 0.0 1.0\r\n3d 2\r\n", QHostAddress("127.0.9.5"), u.localPort()));
    QVERIFY(u.receive(&got, 2000) > 0);
    QCOMPARE(got, QByteArray("6d 1 0.0 1.0\r\n3d 2\r\n"));
}

void TestSupport::watcherAnswersBoxesAndDialogs()
{
    ModalWatcher watcher;

    int result = -1;
    QTimer::singleShot(0, [&result] {
        result = QMessageBox::critical(nullptr, "Command Error", "quorix2 get x\nquorix2 err 3 unknown");
    });
    QVERIFY(watcher.waitForModal());
    QTRY_COMPARE(result, int(QMessageBox::Ok));
    QCOMPARE(watcher.seen().size(), 1);
    QCOMPARE(watcher.seen()[0].title, QString("Command Error"));
    QCOMPARE(watcher.seen()[0].text, QString("quorix2 get x\nquorix2 err 3 unknown"));
    QCOMPARE(watcher.seen()[0].answer, QString("OK"));

    // A dialog run from the test's own thread, and one nested inside it.
    QDialog outer;
    outer.setWindowTitle("Connect");
    outer.setObjectName("connectDialog");
    int nestedResult = -1;
    watcher.answer("Connect", ModalWatcher::Answer::leaveOpen());
    QTimer::singleShot(100, &outer, [&] {
        nestedResult = QMessageBox::warning(&outer, "Wake", "Waking the Controller.");
        outer.accept();
    });
    QCOMPARE(outer.exec(), int(QDialog::Accepted));
    QCOMPARE(nestedResult, int(QMessageBox::Ok));
    QCOMPARE(watcher.seen().size(), 3);
    QStringList titles{watcher.seen()[1].title, watcher.seen()[2].title};
    titles.sort();
    QCOMPARE(titles, (QStringList{"Connect", "Wake"}));
    const int connect = watcher.seen()[1].title == "Connect" ? 1 : 2;
    QCOMPARE(watcher.seen()[connect].objectName, QString("connectDialog"));
    QCOMPARE(watcher.seen()[connect].answer, QString("open"));

    watcher.clear();

    // Shown, not exec'd: modal by setModal, or made modal only after showing.
    for (bool modalFirst : {true, false}) {
        QMessageBox box(QMessageBox::Information, "Shown", "text", QMessageBox::Ok);
        if (modalFirst)
            box.setModal(true);
        box.show();
        box.setModal(true);
        QVERIFY(watcher.waitForModal());
        QTRY_VERIFY(!box.isVisible());
        QCOMPARE(box.result(), int(QMessageBox::Ok));
    }
    QVERIFY(!watcher.waitForModal(50));
}

void TestSupport::watcherPressesScriptedButtons()
{
    ModalWatcher watcher;
    watcher.answerOnce("Stop?", ModalWatcher::Answer::press(QMessageBox::No));
    watcher.answer("Stop?", ModalWatcher::Answer::press("&Yes"));
    watcher.answer("Retry?", ModalWatcher::Answer::press("Try again"));
    watcher.answer("Missing", ModalWatcher::Answer::press(QMessageBox::Save));
    watcher.answer("Dialog", ModalWatcher::Answer::reject());

    const auto yesNo = QMessageBox::Yes | QMessageBox::No;
    QCOMPARE(QMessageBox::question(nullptr, "Stop?", "a", yesNo, QMessageBox::Yes), QMessageBox::No);
    QCOMPARE(QMessageBox::question(nullptr, "Stop?", "b", yesNo, QMessageBox::No), QMessageBox::Yes);

    QMessageBox box(QMessageBox::Question, "Retry?", "c");
    box.addButton("Give up", QMessageBox::RejectRole);
    QAbstractButton *again = box.addButton("Try again", QMessageBox::AcceptRole);
    box.exec();
    QCOMPARE(box.clickedButton(), again);

    QCOMPARE(QMessageBox::information(nullptr, "Missing", "d", QMessageBox::Ok, QMessageBox::Ok),
             QMessageBox::Ok);  // rejected through its only button

    QDialog dialog;
    dialog.setWindowTitle("Dialog");
    QCOMPARE(dialog.exec(), int(QDialog::Rejected));

    const auto seen = watcher.seen();
    QCOMPARE(seen.size(), 5);
    QCOMPARE(seen[0].answer, QString("No"));
    QCOMPARE(seen[1].answer, QString("Yes"));
    QCOMPARE(seen[2].answer, QString("Try again"));
    QVERIFY(seen[3].answer.startsWith("missing"));
    QCOMPARE(seen[4].answer, QString("reject"));
}

QTEST_MAIN(TestSupport)
#include "tst_support.moc"
