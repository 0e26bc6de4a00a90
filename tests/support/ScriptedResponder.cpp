#include "ScriptedResponder.h"

#include <QCoreApplication>
#include <QThread>
#include <QtDebug>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr std::int64_t kNsPerMs = 1000000;

sockaddr_in makeAddress(quint32 ip, quint16 port)
{
    sockaddr_in a;
    std::memset(&a, 0, sizeof a);
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(ip);
    a.sin_port = htons(port);
    return a;
}

// Test traffic must never leave the machine.
bool isLoopback(const QHostAddress &a)
{
    return a.protocol() == QAbstractSocket::IPv4Protocol && (a.toIPv4Address() >> 24) == 127;
}

void closeFd(int &fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

} // namespace

// ---- Action ---------------------------------------------------------------

ScriptedResponder::Action ScriptedResponder::Action::reply(const QByteArray &bytes)
{
    Action a = raw(bytes);
    a.m_bytes.append('\0');
    return a;
}

ScriptedResponder::Action ScriptedResponder::Action::raw(const QByteArray &bytes)
{
    Action a;
    a.m_kind = Kind::Reply;
    a.m_bytes = bytes;
    return a;
}

ScriptedResponder::Action ScriptedResponder::Action::late(const QByteArray &bytes, int delayMs)
{
    return reply(bytes).delayed(delayMs);
}

ScriptedResponder::Action ScriptedResponder::Action::none()
{
    return Action();
}

ScriptedResponder::Action ScriptedResponder::Action::close()
{
    Action a;
    a.m_kind = Kind::Close;
    return a;
}

ScriptedResponder::Action ScriptedResponder::Action::reset()
{
    Action a;
    a.m_kind = Kind::Reset;
    return a;
}

ScriptedResponder::Action ScriptedResponder::Action::delayed(int ms) const
{
    Action a = *this;
    a.m_delayMs = std::max(0, ms);
    return a;
}

ScriptedResponder::Action ScriptedResponder::Action::splitAt(int at, int pauseMs) const
{
    Action a = *this;
    a.m_splitAt = at;
    a.m_splitPauseMs = std::max(0, pauseMs);
    return a;
}

ScriptedResponder::Action ScriptedResponder::Action::thenClose() const
{
    Action a = *this;
    a.m_after = Kind::Close;
    return a;
}

ScriptedResponder::Action ScriptedResponder::Action::thenReset() const
{
    Action a = *this;
    a.m_after = Kind::Reset;
    return a;
}

// ---- life cycle -----------------------------------------------------------

ScriptedResponder::ScriptedResponder()
    : m_default(Action::reply("quorix2 ok"))
{
}

ScriptedResponder::~ScriptedResponder()
{
    stop();
}

bool ScriptedResponder::start(const QString &address, quint16 port)
{
    if (m_running) {
        qWarning("ScriptedResponder: already running");
        return false;
    }
    const QHostAddress addr(address);
    if (!isLoopback(addr)) {
        qWarning("ScriptedResponder: %s is not an IPv4 loopback address", qPrintable(address));
        return false;
    }

    auto fail = [this](const char *what) {
        qWarning("ScriptedResponder: %s: %s", what, std::strerror(errno));
        closeFd(m_listenFd);
        closeFd(m_udpFd);
        closeFd(m_wakeFds[0]);
        closeFd(m_wakeFds[1]);
        return false;
    };

    const int on = 1;
    sockaddr_in sa = makeAddress(addr.toIPv4Address(), port);
    m_listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (m_listenFd < 0)
        return fail("tcp socket");
    // Consecutive tests reuse the same address and port while old connections linger.
    ::setsockopt(m_listenFd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (::bind(m_listenFd, reinterpret_cast<sockaddr *>(&sa), sizeof sa) < 0)
        return fail("tcp bind");
    if (::listen(m_listenFd, 16) < 0)
        return fail("listen");
    socklen_t len = sizeof sa;
    if (::getsockname(m_listenFd, reinterpret_cast<sockaddr *>(&sa), &len) < 0)
        return fail("getsockname");
    m_port = ntohs(sa.sin_port);

    m_udpFd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (m_udpFd < 0)
        return fail("udp socket");
    if (::bind(m_udpFd, reinterpret_cast<sockaddr *>(&sa), sizeof sa) < 0)
        return fail("udp bind");
    if (::pipe2(m_wakeFds, O_NONBLOCK | O_CLOEXEC) < 0)
        return fail("pipe");

    m_address = addr;
    m_startNs = nowNs();
    m_udpBusyUntilNs = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_accepted = 0;
        m_open = 0;
        m_lastPeer = QHostAddress();
        m_lastPeerPort = 0;
    }
    m_running = true;
    m_thread = std::thread(&ScriptedResponder::run, this);
    return true;
}

void ScriptedResponder::stop()
{
    if (!m_running)
        return;
    const char byte = 'q';
    while (::write(m_wakeFds[1], &byte, 1) < 0 && errno == EINTR) {
    }
    m_thread.join();
    m_running = false;
    closeFd(m_listenFd);
    closeFd(m_udpFd);
    closeFd(m_wakeFds[0]);
    closeFd(m_wakeFds[1]);
}

bool ScriptedResponder::isRunning() const
{
    return m_running;
}

std::int64_t ScriptedResponder::nowNs() const
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// ---- serving thread -------------------------------------------------------

void ScriptedResponder::run()
{
    std::vector<pollfd> fds;
    std::vector<int> ids;
    for (;;) {
        const std::int64_t nextDue = runDuePending();

        // Connections the client has closed go once nothing more is due on them.
        for (auto it = m_connections.begin(); it != m_connections.end();) {
            const int id = it->first;
            ++it;
            const Connection &c = *m_connections.at(id);
            const bool busy = std::any_of(m_pending.begin(), m_pending.end(),
                                          [id](const Pending &p) { return p.connId == id; });
            if (c.eof && !busy)
                closeConnection(id, false);
        }

        fds.clear();
        ids.clear();
        fds.push_back({m_wakeFds[0], POLLIN, 0});
        fds.push_back({m_listenFd, POLLIN, 0});
        fds.push_back({m_udpFd, POLLIN, 0});
        for (const auto &entry : m_connections) {
            if (entry.second->eof)
                continue;
            fds.push_back({entry.second->fd, POLLIN, 0});
            ids.push_back(entry.first);
        }

        int timeoutMs = -1;
        if (nextDue >= 0)
            timeoutMs = int(std::max<std::int64_t>(0, (nextDue - nowNs() + kNsPerMs - 1) / kNsPerMs));
        const int n = ::poll(fds.data(), fds.size(), timeoutMs);
        if (n < 0 && errno != EINTR) {
            qWarning("ScriptedResponder: poll: %s", std::strerror(errno));
            break;
        }
        if (n <= 0)
            continue;
        if (fds[0].revents)
            break;
        if (fds[1].revents)
            acceptClients();
        if (fds[2].revents)
            readDatagrams();
        for (size_t i = 3; i < fds.size(); ++i) {
            if (!fds[i].revents)
                continue;
            auto it = m_connections.find(ids[i - 3]);
            if (it != m_connections.end())
                readClient(*it->second);
        }
    }

    while (!m_connections.empty())
        closeConnection(m_connections.begin()->first, false);
    m_pending.clear();
}

void ScriptedResponder::acceptClients()
{
    for (;;) {
        sockaddr_in peer;
        socklen_t len = sizeof peer;
        const int fd = ::accept4(m_listenFd, reinterpret_cast<sockaddr *>(&peer), &len,
                                 SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0)
            return;
        // Split replies must leave as separate segments.
        const int on = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        auto c = std::make_unique<Connection>();
        c->id = m_nextId++;
        c->fd = fd;
        c->peerIp = ntohl(peer.sin_addr.s_addr);
        c->peerPort = ntohs(peer.sin_port);
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            ++m_accepted;
            ++m_open;
            m_lastPeer = QHostAddress(c->peerIp);
            m_lastPeerPort = c->peerPort;
        }
        m_changed.notify_all();
        m_connections.emplace(c->id, std::move(c));
    }
}

void ScriptedResponder::readClient(Connection &c)
{
    char buf[4096];
    for (;;) {
        const ssize_t n = ::recv(c.fd, buf, sizeof buf, 0);
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
            c.eof = true;
            return;
        }
        if (n < 0)
            return;
        c.buffer.append(buf, int(n));
        int zero;
        while ((zero = c.buffer.indexOf('\0')) >= 0) {
            const QByteArray command = c.buffer.left(zero);
            c.buffer.remove(0, zero + 1);
            record(command, Transport::Tcp, c.peerIp, c.peerPort);
            if (!c.finSent)
                schedule(c.busyUntilNs, c.id, 0, 0, actionFor(command));
        }
    }
}

void ScriptedResponder::readDatagrams()
{
    std::vector<char> buf(65536);
    for (;;) {
        sockaddr_in from;
        socklen_t len = sizeof from;
        const ssize_t n = ::recvfrom(m_udpFd, buf.data(), buf.size(), 0,
                                     reinterpret_cast<sockaddr *>(&from), &len);
        if (n < 0)
            return;
        QByteArray command(buf.data(), int(n));
        const int zero = command.indexOf('\0');
        if (zero >= 0)
            command.truncate(zero);
        const quint32 ip = ntohl(from.sin_addr.s_addr);
        const quint16 port = ntohs(from.sin_port);
        record(command, Transport::Udp, ip, port);
        schedule(m_udpBusyUntilNs, 0, ip, port, actionFor(command));
    }
}

void ScriptedResponder::schedule(std::int64_t &busyUntilNs, int connId, quint32 ip, quint16 port,
                                 const Action &action)
{
    std::int64_t t = std::max(nowNs(), busyUntilNs) + action.m_delayMs * kNsPerMs;
    auto push = [&](Action::Kind op, const QByteArray &bytes) {
        Pending p;
        p.dueNs = t;
        p.connId = connId;
        p.op = op;
        p.bytes = bytes;
        p.udpIp = ip;
        p.udpPort = port;
        auto at = std::upper_bound(m_pending.begin(), m_pending.end(), t,
                                   [](std::int64_t due, const Pending &q) { return due < q.dueNs; });
        m_pending.insert(at, p);
    };

    switch (action.m_kind) {
    case Action::Kind::Silent:
        break;
    case Action::Kind::Close:
    case Action::Kind::Reset:
        push(action.m_kind, QByteArray());
        break;
    case Action::Kind::Reply: {
        const QByteArray &b = action.m_bytes;
        if (action.m_splitAt > 0 && action.m_splitAt < b.size()) {
            push(Action::Kind::Reply, b.left(action.m_splitAt));
            t += action.m_splitPauseMs * kNsPerMs;
            push(Action::Kind::Reply, b.mid(action.m_splitAt));
        } else {
            push(Action::Kind::Reply, b);
        }
        if (action.m_after != Action::Kind::Silent)
            push(action.m_after, QByteArray());
        break;
    }
    }
    busyUntilNs = t;
}

std::int64_t ScriptedResponder::runDuePending()
{
    const std::int64_t now = nowNs();
    while (!m_pending.empty() && m_pending.front().dueNs <= now) {
        const Pending p = m_pending.front();
        m_pending.pop_front();

        if (p.connId == 0) {
            // Closing means nothing to a datagram exchange.
            if (p.op == Action::Kind::Reply) {
                const sockaddr_in to = makeAddress(p.udpIp, p.udpPort);
                ::sendto(m_udpFd, p.bytes.constData(), size_t(p.bytes.size()), 0,
                         reinterpret_cast<const sockaddr *>(&to), sizeof to);
            }
            continue;
        }

        auto it = m_connections.find(p.connId);
        if (it == m_connections.end())
            continue;
        Connection &c = *it->second;
        switch (p.op) {
        case Action::Kind::Reply:
            if (!c.finSent && ::send(c.fd, p.bytes.constData(), size_t(p.bytes.size()), MSG_NOSIGNAL) < 0)
                c.eof = true;
            break;
        case Action::Kind::Close:
            // Half-close: the client sees FIN; we keep draining until it closes too,
            // because closing with unread input would turn the FIN into a reset.
            if (!c.finSent)
                ::shutdown(c.fd, SHUT_WR);
            c.finSent = true;
            break;
        case Action::Kind::Reset:
            closeConnection(c.id, true);
            break;
        case Action::Kind::Silent:
            break;
        }
    }
    return m_pending.empty() ? -1 : m_pending.front().dueNs;
}

void ScriptedResponder::closeConnection(int id, bool abortive)
{
    auto it = m_connections.find(id);
    if (it == m_connections.end())
        return;
    if (abortive) {
        // A zero linger time makes close() send RST instead of FIN.
        linger l;
        l.l_onoff = 1;
        l.l_linger = 0;
        ::setsockopt(it->second->fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
    }
    ::close(it->second->fd);
    m_connections.erase(it);
    m_pending.erase(std::remove_if(m_pending.begin(), m_pending.end(),
                                   [id](const Pending &p) { return p.connId == id; }),
                    m_pending.end());
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        --m_open;
    }
    m_changed.notify_all();
}

void ScriptedResponder::record(const QByteArray &command, Transport t, quint32 ip, quint16 port)
{
    Received r;
    r.command = command;
    r.transport = t;
    r.atMs = (nowNs() - m_startNs) / kNsPerMs;
    r.peer = QHostAddress(ip);
    r.peerPort = port;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_log.append(r);
    }
    m_changed.notify_all();
}

// ---- rules ----------------------------------------------------------------

ScriptedResponder::Action ScriptedResponder::actionFor(const QByteArray &command)
{
    std::lock_guard<std::mutex> lock(m_mutex);

    // Rank of the most specific pattern that matches; ties cannot differ in
    // pattern, since two prefixes of equal length matching one text are equal.
    auto rank = [&command](const Rule &r) -> int {
        switch (r.match) {
        case Match::Exact:
            return r.pattern == command ? 1000000 : -1;
        case Match::Prefix:
            return command.startsWith(r.pattern) ? 1 + r.pattern.size() : -1;
        case Match::Any:
            return 0;
        }
        return -1;
    };
    int best = -1;
    for (const Rule &r : m_rules)
        best = std::max(best, rank(r));
    if (best < 0)
        return m_default;

    // Queued one-shot answers first, in the order they were added; then the
    // latest sticky one.
    auto alwaysRule = m_rules.end();
    for (auto it = m_rules.begin(); it != m_rules.end(); ++it) {
        if (rank(*it) != best)
            continue;
        if (it->use == Use::Once) {
            const Action a = it->action;
            m_rules.erase(it);
            return a;
        }
        alwaysRule = it;
    }
    return alwaysRule->action;
}

void ScriptedResponder::on(const QByteArray &command, const Action &action, Use use)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_rules.push_back({Match::Exact, command, action, use});
}

void ScriptedResponder::onPrefix(const QByteArray &prefix, const Action &action, Use use)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_rules.push_back({Match::Prefix, prefix, action, use});
}

void ScriptedResponder::onAny(const Action &action, Use use)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_rules.push_back({Match::Any, QByteArray(), action, use});
}

void ScriptedResponder::setDefaultAction(const Action &action)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_default = action;
}

void ScriptedResponder::clearRules()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_rules.clear();
}

// ---- observation ----------------------------------------------------------

QList<ScriptedResponder::Received> ScriptedResponder::received() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_log;
}

QList<QByteArray> ScriptedResponder::commands() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    QList<QByteArray> out;
    for (const Received &r : m_log)
        out.append(r.command);
    return out;
}

void ScriptedResponder::clear()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_log.clear();
}

bool ScriptedResponder::waitUntil(const std::function<bool()> &done, int timeoutMs) const
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    // The channel under test may post work (queued boxes, timers) to this thread.
    const bool pumpEvents = QCoreApplication::instance()
        && QThread::currentThread() == QCoreApplication::instance()->thread();
    for (;;) {
        if (pumpEvents)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::unique_lock<std::mutex> lock(m_mutex);
        const auto now = std::chrono::steady_clock::now();
        const auto slice = std::min<std::chrono::steady_clock::duration>(
            std::chrono::milliseconds(10), std::max(deadline - now, std::chrono::steady_clock::duration::zero()));
        if (m_changed.wait_for(lock, slice, done))
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return done();
    }
}

bool ScriptedResponder::waitForCommands(int n, int timeoutMs) const
{
    return waitUntil([this, n] { return m_log.size() >= n; }, timeoutMs);
}

int ScriptedResponder::connectionCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_accepted;
}

int ScriptedResponder::openConnectionCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_open;
}

QHostAddress ScriptedResponder::lastPeerAddress() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lastPeer;
}

quint16 ScriptedResponder::lastPeerPort() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lastPeerPort;
}

bool ScriptedResponder::waitForConnections(int n, int timeoutMs) const
{
    return waitUntil([this, n] { return m_accepted >= n; }, timeoutMs);
}

bool ScriptedResponder::sendDatagram(const QByteArray &bytes, const QHostAddress &to, quint16 port)
{
    if (!m_running || !isLoopback(to)) {
        qWarning("ScriptedResponder: datagram not sent (not running, or %s is not loopback)",
                 qPrintable(to.toString()));
        return false;
    }
    const sockaddr_in sa = makeAddress(to.toIPv4Address(), port);
    return ::sendto(m_udpFd, bytes.constData(), size_t(bytes.size()), 0,
                    reinterpret_cast<const sockaddr *>(&sa), sizeof sa)
        == bytes.size();
}
