#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QString>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// A stand-in Controller for unit tests of the command channel. It listens on
// TCP and UDP at one loopback address and answers each zero-terminated command
// by the rules the test set up beforehand. It runs in a thread of its own,
// because the channel under test blocks the test's thread in select/recv.
//
//   ScriptedResponder r;
//   QVERIFY(r.start("127.0.0.2"));
//   r.on("quorix2 get system version", ScriptedResponder::Action::reply("quorix2 set system version v0.2.8"));
//   r.on("quorix2 tracking start", ScriptedResponder::Action::reset(), ScriptedResponder::Use::Once);
//
// start() and stop() belong to the thread that owns the responder; every other
// member may be called from any thread while it runs.
class ScriptedResponder
{
public:
    enum class Transport { Tcp, Udp };

    // How long a rule lives: until it has answered one command, or for ever.
    // Several Once rules for the same command answer successive commands in
    // the order they were added; a matching Always rule takes over after them.
    enum class Use { Once, Always };

    // What to do with a command. Everything happens after delayMs; replies
    // to successive commands on one connection go out in command order, so a
    // delayed reply also holds back the replies queued behind it.
    class Action
    {
    public:
        enum class Kind { Reply, Silent, Close, Reset };

        // Sends bytes followed by a zero byte.
        static Action reply(const QByteArray &bytes);
        // Sends exactly these bytes, no zero byte appended.
        static Action raw(const QByteArray &bytes);
        // Sends the reply after delayMs, meant to outlast the client's time-out.
        static Action late(const QByteArray &bytes, int delayMs);
        static Action none();
        // Orderly close (FIN); later commands on that connection are logged, never answered.
        static Action close();
        // Abortive close (RST).
        static Action reset();

        Action delayed(int ms) const;
        // Sends the first `at` bytes, waits pauseMs, then the rest (two TCP
        // segments, or two datagrams over UDP).
        Action splitAt(int at, int pauseMs) const;
        // After the reply has gone out, close or reset the connection.
        Action thenClose() const;
        Action thenReset() const;

        Kind kind() const { return m_kind; }
        QByteArray bytes() const { return m_bytes; }
        int delayMs() const { return m_delayMs; }

    private:
        friend class ScriptedResponder;
        Kind m_kind = Kind::Silent;
        QByteArray m_bytes;
        int m_delayMs = 0;
        int m_splitAt = -1;
        int m_splitPauseMs = 0;
        Kind m_after = Kind::Silent;
    };

    struct Received
    {
        QByteArray command;  // without its terminating zero
        Transport transport = Transport::Tcp;
        qint64 atMs = 0;     // milliseconds since start()
        QHostAddress peer;
        quint16 peerPort = 0;
    };

    ScriptedResponder();
    ~ScriptedResponder();
    ScriptedResponder(const ScriptedResponder &) = delete;
    ScriptedResponder &operator=(const ScriptedResponder &) = delete;

    // Binds TCP and UDP on address:port and starts serving. Returns once both
    // sockets are bound and listening; false (with a warning) when either fails.
    // Port 0 lets the system choose; port() then tells which.
    bool start(const QString &address, quint16 port = 50105);
    // Stops serving, closes every socket and joins the thread. Rules and the
    // log survive, so a test may inspect them afterwards.
    void stop();
    bool isRunning() const;
    QHostAddress address() const { return m_address; }
    quint16 port() const { return m_port; }

    // Rules. Exact text beats the longest matching prefix, which beats "any";
    // unmatched commands get the default action (reply "quorix2 ok").
    void on(const QByteArray &command, const Action &action, Use use = Use::Always);
    void onPrefix(const QByteArray &prefix, const Action &action, Use use = Use::Always);
    void onAny(const Action &action, Use use = Use::Always);
    void setDefaultAction(const Action &action);
    void clearRules();

    // Command log.
    QList<Received> received() const;
    QList<QByteArray> commands() const;
    // Waits until at least n commands have been logged since the last clear().
    // Keeps the calling thread's Qt events flowing while it waits.
    bool waitForCommands(int n, int timeoutMs = 5000) const;
    void clear();

    // Connections.
    int connectionCount() const;          // TCP clients accepted since start()
    int openConnectionCount() const;
    QHostAddress lastPeerAddress() const; // of the last accepted TCP client
    quint16 lastPeerPort() const;
    bool waitForConnections(int n, int timeoutMs = 5000) const;

    // Sends one unsolicited datagram from the responder's UDP socket, as the
    // Controller sends measurement data. Returns false when it could not be sent.
    bool sendDatagram(const QByteArray &bytes, const QHostAddress &to, quint16 port);

private:
    enum class Match { Exact, Prefix, Any };
    struct Rule
    {
        Match match;
        QByteArray pattern;
        Action action;
        Use use;
    };
    struct Connection
    {
        int id = 0;
        int fd = -1;
        QByteArray buffer;         // bytes of a command not yet terminated
        quint32 peerIp = 0;        // host byte order
        quint16 peerPort = 0;
        bool finSent = false;      // we closed our side; nothing more is answered
        bool eof = false;          // the client closed its side
        std::int64_t busyUntilNs = 0;
    };
    // One step of a scheduled answer: connId 0 means a datagram to udpIp:udpPort.
    struct Pending
    {
        std::int64_t dueNs = 0;
        int connId = 0;
        Action::Kind op = Action::Kind::Reply;
        QByteArray bytes;
        quint32 udpIp = 0;
        quint16 udpPort = 0;
    };

    void run();
    void acceptClients();
    void readClient(Connection &c);
    void readDatagrams();
    Action actionFor(const QByteArray &command);
    void schedule(std::int64_t &busyUntilNs, int connId, quint32 ip, quint16 port, const Action &action);
    std::int64_t runDuePending();  // returns the next due time, or -1
    void closeConnection(int id, bool abortive);
    void record(const QByteArray &command, Transport t, quint32 ip, quint16 port);
    bool waitUntil(const std::function<bool()> &done, int timeoutMs) const;
    std::int64_t nowNs() const;

    QHostAddress m_address;
    quint16 m_port = 0;
    int m_listenFd = -1;
    int m_udpFd = -1;
    int m_wakeFds[2] = {-1, -1};
    std::thread m_thread;
    bool m_running = false;  // written only by the controlling thread

    mutable std::mutex m_mutex;  // guards everything below
    mutable std::condition_variable m_changed;
    std::vector<Rule> m_rules;
    Action m_default;
    QList<Received> m_log;
    int m_accepted = 0;
    int m_open = 0;
    QHostAddress m_lastPeer;
    quint16 m_lastPeerPort = 0;

    // Owned by the serving thread alone.
    std::map<int, std::unique_ptr<Connection>> m_connections;  // by id
    std::deque<Pending> m_pending;  // kept sorted by due time
    std::int64_t m_udpBusyUntilNs = 0;
    int m_nextId = 1;
    std::int64_t m_startNs = 0;
};
