#include "SimServer.h"

#include "SimCommandLog.h"
#include "SimCommandText.h"
#include "SimMotion.h"

#include <QNetworkDatagram>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUdpSocket>

#include <cerrno>
#include <cstring>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kMaxCommand = SimCommandFramer::MaxCommand;
constexpr int kMaxClients = 64;
constexpr int kCommandsPerTurn = 200;           // then the other clients get their turn
constexpr qint64 kMaxUnsentBytes = 1024 * 1024; // a client that never reads its replies is dropped
constexpr int kMaxUnreadBytes = 1024 * 1024;     // as is one that sends on while its command waits
constexpr int kMaxDatagram = 65000;

QString peerText(const QHostAddress& a, quint16 port)
{
    return QStringLiteral("%1:%2").arg(QHostAddress(a.toIPv4Address()).toString()).arg(port);
}

sockaddr_in socketAddress(const QHostAddress& a, quint16 port)
{
    sockaddr_in in;
    std::memset(&in, 0, sizeof in);
    in.sin_family = AF_INET;
    in.sin_port = htons(port);
    in.sin_addr.s_addr = htonl(a.toIPv4Address());
    return in;
}

QString systemError(const char* what)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
}

// The length and limit of a listening socket's accept queue; the kernel drops
// SYNs while the length is above the limit.
bool acceptQueue(int fd, quint32* length, quint32* limit)
{
    tcp_info info;
    socklen_t size = sizeof info;
    if (::getsockopt(fd, IPPROTO_TCP, TCP_INFO, &info, &size) != 0)
        return false;
    *length = info.tcpi_unacked; // for a listening socket
    *limit = info.tcpi_sacked;
    return true;
}

// Every position of a tracked target, moved along x: the stranger's copy.
void shiftPositions(SimMotion* m, double dx)
{
    for (auto* targets : {&m->bodies, &m->gripwands, &m->tools, &m->references})
        for (SimMotion::Target& t : *targets)
            t.pose.position[0] += dx;
    for (SimMotion::Marker& marker : m->markers)
        marker.position[0] += dx;
    for (SimMotion::Hand& h : m->hands) {
        h.pose.position[0] += dx;
        for (SimMotion::Pose& finger : h.fingers)
            finger.position[0] += dx;
    }
    for (SimMotion::Inertial& i : m->inertials)
        i.pose.position[0] += dx;
}

} // namespace

SimServer::SimServer(SimCommandLog* log, QObject* parent)
    : QObject(parent)
    , m_log(log)
{
}

SimServer::~SimServer()
{
    close();
}

bool SimServer::listen(const QHostAddress& address, quint16 port, QString* error)
{
    close();
    m_address = address;
    m_port = port;
    m_udpCommands = 0;
    if (!openSockets(error)) {
        closeSockets();
        return false;
    }
    m_processor.setLocalAddress(address);
    return true;
}

bool SimServer::openSockets(QString* error)
{
    if (!openTcp(error))
        return false;

    m_udp = new QUdpSocket(this);
    if (!m_udp->bind(m_address, m_port)) {
        if (error)
            *error = QStringLiteral("UDP %1:%2: %3").arg(m_address.toString()).arg(m_port).arg(m_udp->errorString());
        return false;
    }
    connect(m_udp, &QUdpSocket::readyRead, this, &SimServer::onUdpCommand);

    m_stream = new QUdpSocket(this);
    if (!m_stream->bind(m_address, 0)) {
        if (error)
            *error = QStringLiteral("stream socket: %1").arg(m_stream->errorString());
        return false;
    }
    connect(m_stream, &QUdpSocket::readyRead, this, &SimServer::onStreamSocketData);
    m_processor.setSenderPort(m_stream->localPort());
    if (!openStranger(error))
        return false;

    m_frameTimer = new QTimer(this);
    m_frameTimer->setTimerType(Qt::PreciseTimer);
    connect(m_frameTimer, &QTimer::timeout, this, &SimServer::onFrameTimer);
    return true;
}

bool SimServer::openTcp(QString* error)
{
    if (m_faults.tcpBlackhole)
        return openBlackhole(error);
    m_tcp = new QTcpServer(this);
    if (!m_tcp->listen(m_address, m_port)) {
        if (error)
            *error = QStringLiteral("TCP %1:%2: %3").arg(m_address.toString()).arg(m_port).arg(m_tcp->errorString());
        return false;
    }
    m_port = m_tcp->serverPort();
    m_tcp->setMaxPendingConnections(kMaxClients);
    connect(m_tcp, &QTcpServer::newConnection, this, &SimServer::onNewConnection);
    return true;
}

bool SimServer::openBlackhole(QString* error)
{
    // Without a firewall rule: a listening socket that never accepts, its
    // accept queue filled by connections of our own. The kernel then drops
    // every further SYN without an answer, so a client's connect() is neither
    // completed nor refused; it retries until its own time-out. A backlog of 1
    // rather than 0 keeps SYN cookies (and the kernel's flood warning) out of it.
    auto fail = [&](const char* what) {
        if (error)
            *error = QStringLiteral("TCP %1:%2: %3").arg(m_address.toString()).arg(m_port).arg(systemError(what));
        return false;
    };
    m_blackhole = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_blackhole < 0)
        return fail("socket");
    const int on = 1;
    ::setsockopt(m_blackhole, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in here = socketAddress(m_address, m_port);
    if (::bind(m_blackhole, reinterpret_cast<sockaddr*>(&here), sizeof here) != 0)
        return fail("bind");
    if (::listen(m_blackhole, 1) != 0)
        return fail("listen");
    socklen_t size = sizeof here;
    ::getsockname(m_blackhole, reinterpret_cast<sockaddr*>(&here), &size);
    m_port = ntohs(here.sin_port);

    const QHostAddress target = m_address == QHostAddress::AnyIPv4 ? QHostAddress(QHostAddress::LocalHost) : m_address;
    sockaddr_in to = socketAddress(target, m_port);
    quint32 queued = 0, limit = 0;
    while (acceptQueue(m_blackhole, &queued, &limit) && queued <= limit) {
        if (m_blackholeFillers.size() > int(limit) + 2) {
            errno = EAGAIN;
            return fail("filling the accept queue");
        }
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd < 0)
            return fail("socket");
        m_blackholeFillers.append(fd);
        sockaddr_in from = socketAddress(target, 0);
        ::bind(fd, reinterpret_cast<sockaddr*>(&from), sizeof from);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0 && errno != EINPROGRESS)
            return fail("connect");
        pollfd p = {fd, POLLOUT, 0};
        int soError = 0;
        socklen_t len = sizeof soError;
        if (::poll(&p, 1, 2000) != 1 || ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &soError, &len) != 0 || soError != 0) {
            errno = soError ? soError : ETIMEDOUT;
            return fail("filling the accept queue");
        }
        // The handshake's last ACK joins the queue a moment after connect() is done.
        for (int wait = 0; wait < 200 && acceptQueue(m_blackhole, &queued, &limit)
                           && queued < quint32(m_blackholeFillers.size());
             ++wait)
            ::usleep(1000);
    }
    if (!acceptQueue(m_blackhole, &queued, &limit))
        return fail("TCP_INFO");
    return true;
}

void SimServer::closeTcp()
{
    if (m_tcp) {
        m_tcp->close();
        m_tcp->disconnect(this);
        m_tcp->deleteLater();
        m_tcp = nullptr;
    }
    for (int fd : qAsConst(m_blackholeFillers))
        ::close(fd);
    m_blackholeFillers.clear();
    if (m_blackhole >= 0) {
        ::close(m_blackhole);
        m_blackhole = -1;
    }
}

bool SimServer::openStranger(QString* error)
{
    if (m_faults.strangerData.isNull())
        return true;
    // Any port but the stream's, so that the copies differ by sender port too
    // when the stranger has the simulator's own address.
    for (int attempt = 0; attempt < 3; ++attempt) {
        closeStranger();
        m_stranger = new QUdpSocket(this);
        if (!m_stranger->bind(m_faults.strangerData, 0)) {
            if (error)
                *error = QStringLiteral("stranger data %1: %2").arg(m_faults.strangerData.toString(), m_stranger->errorString());
            closeStranger();
            return false;
        }
        if (!m_stream || m_stranger->localPort() != m_stream->localPort())
            return true;
    }
    closeStranger();
    if (error)
        *error = QStringLiteral("stranger data %1: no port of its own").arg(m_faults.strangerData.toString());
    return false;
}

void SimServer::closeStranger()
{
    if (m_stranger) {
        m_stranger->close();
        m_stranger->deleteLater();
        m_stranger = nullptr;
    }
}

void SimServer::closeSockets()
{
    const auto clients = m_clients.keys();
    for (QTcpSocket* s : clients)
        dropClient(s, false);
    // deleteLater: this may run inside one of these sockets' own signals.
    // Closing at once frees the ports for a restart.
    delete m_frameTimer;
    m_frameTimer = nullptr;
    closeTcp();
    closeStranger();
    for (QUdpSocket** s : {&m_udp, &m_stream}) {
        if (*s) {
            (*s)->close();
            (*s)->disconnect(this);
            (*s)->deleteLater();
            *s = nullptr;
        }
    }
}

void SimServer::setFaults(const SimFaults& faults)
{
    const SimFaults old = m_faults;
    m_faults = faults;
    if (!m_udp) // not listening, or offline: the sockets open with these faults
        return;
    QString error;
    if (old.tcpBlackhole != faults.tcpBlackhole) {
        closeTcp();
        if (!openTcp(&error)) {
            closeTcp();
            m_log->append(QStringLiteral("tcp"), QString(), QStringLiteral("<%1>").arg(error));
        }
    }
    if (old.strangerData != faults.strangerData) {
        closeStranger();
        if (!openStranger(&error))
            m_log->append(QStringLiteral("data"), QString(), QStringLiteral("<%1>").arg(error));
    }
}

void SimServer::close()
{
    delete m_offlineTimer;
    m_offlineTimer = nullptr;
    m_offline = false;
    closeSockets();
}

bool SimServer::isListening() const
{
    return (m_tcp && m_tcp->isListening()) || m_blackhole >= 0;
}

quint16 SimServer::senderPort() const
{
    return m_stream ? m_stream->localPort() : 0;
}

void SimServer::setScenario(const SimScenario& scenario)
{
    m_processor.setScenario(scenario);
    m_processor.setLocalAddress(m_address);
    updateStreaming();
}

void SimServer::onNewConnection()
{
    while (QTcpSocket* s = m_tcp->nextPendingConnection()) {
        if (m_clients.size() >= kMaxClients || m_offline) {
            s->abort();
            s->deleteLater();
            continue;
        }
        s->setParent(this); // the sockets outlive a restart of the listening server
        auto* c = new Client;
        c->socket = s;
        c->peer = peerText(s->peerAddress(), s->peerPort());
        m_clients.insert(s, c);
        connect(s, &QTcpSocket::readyRead, this, [this, s] { onClientData(s); });
        connect(s, &QTcpSocket::disconnected, this, [this, s] { onClientGone(s); });
    }
}

void SimServer::onClientGone(QTcpSocket* socket)
{
    Client* c = m_clients.take(socket);
    delete c;
    socket->deleteLater();
}

void SimServer::dropClient(QTcpSocket* socket, bool reset)
{
    Client* c = m_clients.take(socket);
    delete c;
    socket->disconnect(this);
    if (reset) {
        // What was written leaves first, as from a Controller that wrote it
        // before it failed; a zero linger time then makes the close a reset
        // (RST) instead of a FIN.
        socket->flush();
        const qintptr fd = socket->socketDescriptor();
        if (fd >= 0) {
            struct linger l = {1, 0};
            ::setsockopt(int(fd), SOL_SOCKET, SO_LINGER, &l, sizeof l);
        }
        socket->abort();
        socket->deleteLater();
        return;
    }
    // Let the last reply leave before the socket goes.
    socket->flush();
    socket->disconnectFromHost();
    if (socket->state() == QAbstractSocket::UnconnectedState)
        socket->deleteLater();
    else
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
}

void SimServer::onClientData(QTcpSocket* socket)
{
    Client* c = m_clients.value(socket);
    if (!c)
        return;
    c->framer.append(socket->readAll());
    if (c->busy && c->framer.buffered() > kMaxUnreadBytes) {
        m_log->append(QStringLiteral("tcp"), c->peer, QStringLiteral("<more than 1 MiB sent while a command waits: connection reset>"));
        dropClient(socket, true);
        return;
    }
    processClient(socket);
}

void SimServer::processClient(QTcpSocket* socket)
{
    Client* c = m_clients.value(socket);
    int turn = 0;
    while (c && !c->busy) {
        if (++turn > kCommandsPerTurn) {
            QTimer::singleShot(0, this, [this, socket] { processClient(socket); });
            return;
        }
        QByteArray command;
        const SimCommandFramer::Result next = c->framer.next(&command);
        if (next == SimCommandFramer::NeedMore)
            return;
        if (next == SimCommandFramer::TooLong) {
            m_log->append(QStringLiteral("tcp"), c->peer, SimCommandText::printable(command) + QStringLiteral("..."));
            socket->write(SimCommandProcessor::errorReply(-1, QStringLiteral("command longer than 200 characters")) + '\0');
            return;
        }
        c->busy = true;
        c->running = true;
        QPointer<QTcpSocket> guard(socket);
        runCommand(
            QStringLiteral("tcp"), c->peer, socket->peerAddress(), command, c,
            [this, guard](const QByteArray& reply) {
                if (!guard || !m_clients.contains(guard)) // a late copy after the connection went
                    return;
                guard->write(reply);
                if (guard->bytesToWrite() > kMaxUnsentBytes)
                    dropClient(guard, true);
            },
            [this, guard] {
                if (!guard)
                    return;
                if (Client* cc = m_clients.value(guard)) {
                    cc->busy = false;
                    if (!cc->running) // a delayed reply: go on with what arrived meanwhile
                        QTimer::singleShot(0, this, [this, guard] {
                            if (guard)
                                processClient(guard);
                        });
                }
            });
        c = m_clients.value(socket); // the command may have dropped the client
        if (c)
            c->running = false;
        if (c && c->busy)
            return; // the reply is delayed; the rest waits for it
    }
}

void SimServer::onUdpCommand()
{
    while (m_udp && m_udp->hasPendingDatagrams()) {
        const QNetworkDatagram d = m_udp->receiveDatagram(kMaxDatagram + 1);
        if (m_offline || !d.isValid())
            continue;
        const QHostAddress sender = d.senderAddress();
        const quint16 senderPort = quint16(d.senderPort());
        const QString peer = peerText(sender, senderPort);
        QByteArray data = d.data();
        QPointer<QUdpSocket> udp(m_udp);
        auto send = [udp, sender, senderPort](const QByteArray& reply) {
            if (udp)
                udp->writeDatagram(reply, sender, senderPort);
        };
        const int zero = data.indexOf('\0');
        if (zero < 0 || zero > kMaxCommand) {
            m_log->append(QStringLiteral("udp"), peer, SimCommandText::printable(data.left(kMaxCommand)));
            send(SimCommandProcessor::errorReply(-1, zero < 0 ? QStringLiteral("command without terminating zero byte")
                                                              : QStringLiteral("command longer than 200 characters"))
                 + '\0');
            continue;
        }
        data.truncate(zero);
        if (data.isEmpty())
            continue;
        runCommand(QStringLiteral("udp"), peer, sender, data, nullptr, send, [] {});
    }
}

void SimServer::onStreamSocketData()
{
    // The front end's "dummy" datagram opens its firewall for our stream; nothing to answer.
    while (m_stream && m_stream->hasPendingDatagrams()) {
        const QNetworkDatagram d = m_stream->receiveDatagram(2048);
        QByteArray text = d.data();
        const int zero = text.indexOf('\0');
        if (zero >= 0)
            text.truncate(zero);
        m_log->append(QStringLiteral("data"), peerText(d.senderAddress(), quint16(d.senderPort())), SimCommandText::printable(text.left(kMaxCommand)));
    }
}

void SimServer::runCommand(const QString& transport, const QString& peer, const QHostAddress& peerAddress,
                           const QByteArray& command, Client* client,
                           const std::function<void(const QByteArray&)>& send, const std::function<void()>& done)
{
    m_log->append(transport, peer, SimCommandText::printable(command));
    if (m_replay && !m_replayClock.isValid())
        m_replayClock.start();
    const quint32 number = client ? quint32(++client->commands) : ++m_udpCommands;
    if (client) {
        if (m_faults.resetAfter > 0 && client->commands > m_faults.resetAfter) {
            dropClient(client->socket, true);
            return;
        }
        if (m_faults.dropAfter > 0 && client->commands > m_faults.dropAfter) {
            dropClient(client->socket, false);
            return;
        }
    }
    if (SimFaults::matchesAny(m_faults.noReply, command)) {
        done();
        return;
    }
    const bool wasMeasuring = m_processor.measuring();
    SimCommandProcessor::Reply r;
    if (SimFaults::matchesAny(m_faults.errorReplies, command))
        r.text = SimCommandProcessor::errorReply(-8, QStringLiteral("simulated fault"));
    else
        r = m_processor.handle(command, peerAddress);
    if (m_replay)
        replayAnswer(command, &r);
    if (wasMeasuring != m_processor.measuring())
        updateStreaming();

    QByteArray reply = r.text;
    if (SimFaults::matchesAny(m_faults.garbageReplies, command))
        reply = garbage(int(command.size()) + int(m_framesSent));
    else if (SimFaults::matchesAny(m_faults.longReplies, command) && reply.size() < m_faults.longReplyLength)
        reply.append(QByteArray(m_faults.longReplyLength - reply.size(), 'x'));
    // A cut reply is half the text, never its zero byte, and then the connection goes.
    const bool cutReset = client && SimFaults::matchesAny(m_faults.cutReset, command);
    const bool cut = cutReset || (client && SimFaults::matchesAny(m_faults.cutClose, command));
    if (cut)
        reply.truncate(reply.size() / 2);
    else if (!client || !m_faults.noZero)
        reply.append('\0');

    int delay = r.delayMs;
    if (m_faults.replyDelayMs > 0 && (m_faults.delayPattern.isEmpty() || SimFaults::matches(m_faults.delayPattern, command)))
        delay += m_faults.replyDelayMs;
    // The next command on a connection waits for this reply, so the order holds.
    delay += m_faults.jitterFor(!client, number);
    const int offline = r.offlineMs;
    const int duplicateMs = m_faults.duplicateMs >= 0 && !cut
                                    && (m_faults.duplicatePattern.isEmpty() || SimFaults::matches(m_faults.duplicatePattern, command))
                                ? m_faults.duplicateMs
                                : -1;
    // Over TCP a reply may leave in two parts with a pause between them; the
    // next command waits for the second part.
    const int splitMs = client && !cut && reply.size() > 1 ? m_faults.splitReplyMs : 0;
    QPointer<QTcpSocket> socket = client ? client->socket : nullptr;
    // The whole reply is out: a second copy may follow, late, whatever runs meanwhile.
    auto sent = [this, send, done, reply, offline, duplicateMs] {
        done();
        if (offline > 0)
            goOffline(offline);
        else if (duplicateMs == 0)
            send(reply);
        else if (duplicateMs > 0)
            QTimer::singleShot(duplicateMs, this, [this, send, reply] {
                if (!m_offline)
                    send(reply);
            });
    };
    auto finish = [this, send, sent, reply, splitMs, cut, cutReset, socket] {
        if (m_offline)
            return;
        if (cut) {
            send(reply);
            if (socket && m_clients.contains(socket))
                dropClient(socket, cutReset);
            return;
        }
        if (splitMs > 0) {
            const int half = reply.size() / 2;
            send(reply.left(half));
            QTimer::singleShot(splitMs, this, [this, send, sent, rest = reply.mid(half)] {
                if (m_offline)
                    return;
                send(rest);
                sent();
            });
            return;
        }
        send(reply);
        sent();
    };
    if (delay <= 0)
        finish();
    else
        QTimer::singleShot(delay, this, finish);
}

void SimServer::setReplay(std::shared_ptr<const RecordingIndex> replay)
{
    m_replay = std::move(replay);
    m_replayClock.invalidate();
    m_replayNext = m_replay ? m_replay->firstAfter(m_replay->startUs()) : 0;
    m_replayEvents = m_replayNext;
    m_replayEnded = false;
    if (m_frameTimer)
        m_frameTimer->stop();
    if (!m_replayTimer) {
        m_replayTimer = new QTimer(this);
        m_replayTimer->setTimerType(Qt::PreciseTimer);
        connect(m_replayTimer, &QTimer::timeout, this, &SimServer::onReplayTimer);
    }
    if (m_replay)
        m_replayTimer->start(2);
    else
        m_replayTimer->stop();
}

qint64 SimServer::replayPositionUs() const
{
    const qint64 elapsed = m_replayClock.isValid() ? m_replayClock.nsecsElapsed() / 1000 : 0;
    return m_replay->startUs() + elapsed;
}

void SimServer::replayAnswer(const QByteArray& command, SimCommandProcessor::Reply* reply)
{
    QByteArray text = command;
    while (text.endsWith('\0'))
        text.chop(1);
    if (!text.startsWith("quorix2 "))
        text.prepend("quorix2 ");
    const qint64 now = replayPositionUs();
    const auto& records = m_replay->records();
    if (text == "quorix2 getmsg") {
        reply->text = "quorix2 ok";
        for (; m_replayEvents < records.size() && records[m_replayEvents].timeUs <= now; ++m_replayEvents)
            if (records[m_replayEvents].kind == ChannelRecord::Kind::Event) {
                reply->text = records[m_replayEvents++].text;
                break;
            }
        return;
    }
    // Where the stream goes and comes from is this simulator's, not the recorded one's.
    if (text.startsWith("quorix2 get output net") || text.startsWith("quorix2 set output net"))
        return;
    if (const ChannelRecord* recorded = m_replay->reply(text, now))
        reply->text = recorded->reply;
}

void SimServer::onReplayTimer()
{
    if (!m_replayClock.isValid() || m_replayEnded)
        return;
    const qint64 now = replayPositionUs();
    const auto& records = m_replay->records();
    for (; m_replayNext < records.size() && records[m_replayNext].timeUs <= now; ++m_replayNext) {
        const ChannelRecord& r = records[m_replayNext];
        if (r.kind != ChannelRecord::Kind::Data || !m_stream)
            continue;
        for (const SimCommandProcessor::Destination& d : m_processor.destinations()) {
            m_frameText = r.text;
            sendDatagram(m_stream, d.address, d.port);
        }
        ++m_framesSent;
    }
    if (m_replayNext >= records.size() && now >= m_replay->endUs())
        m_replayEnded = true;
}

QByteArray SimServer::garbage(int seed)
{
    QByteArray out;
    uint32_t x = uint32_t(seed) * 2654435761U + 12345U;
    for (int i = 0; i < 48; ++i) {
        x = x * 1103515245U + 12345U;
        char c = char((x >> 16) & 0xff);
        if (c == '\0')
            c = '\x7f';
        out.append(c);
    }
    return out;
}

void SimServer::goOffline(int ms)
{
    // A rebooting Controller drops every connection and answers nothing until it is up again.
    m_offline = true;
    closeSockets();
    m_processor.restart();
    delete m_offlineTimer;
    m_offlineTimer = new QTimer(this);
    m_offlineTimer->setSingleShot(true);
    connect(m_offlineTimer, &QTimer::timeout, this, [this] {
        QString error;
        if (openSockets(&error)) {
            m_offline = false;
            m_processor.setLocalAddress(m_address);
        } else {
            closeSockets();
            m_offlineTimer->start(500); // the port may still be held; try again
        }
    });
    m_offlineTimer->start(qMax(1, ms));
}

void SimServer::updateStreaming()
{
    if (!m_frameTimer || m_replay)
        return;   // a replay streams what was recorded, nothing of the model's
    if (m_processor.measuring()) {
        if (!m_frameTimer->isActive()) {
            m_clock.start();
            const double rate = m_processor.scenario().rate;
            m_frameTimer->start(qMax(1, int(1000.0 / rate / 2.0)));
        }
    } else {
        m_frameTimer->stop();
    }
}

void SimServer::onFrameTimer()
{
    if (!m_processor.measuring()) {
        m_frameTimer->stop();
        return;
    }
    const double rate = m_processor.scenario().rate;
    const qint64 ns = m_clock.nsecsElapsed();
    const qint64 due = qint64(double(ns) * 1e-9 * rate);
    // Frame numbers follow the clock: frames the processor skipped on purpose
    // keep their time, so the stream pauses for them.
    qint64 behind = due - qint64(m_processor.frameNumber());
    if (behind <= 0)
        return;
    // Catch up by at most two frames; older ones are lost, as on a busy
    // Controller, and their numbers are skipped.
    if (behind > 2)
        m_processor.loseFrames(behind - 2);
    for (int sent = 0; sent < 2 && qint64(m_processor.frameNumber()) < due; ++sent) {
        m_processor.advanceFrame();
        sendFrame();
    }
}

void SimServer::sendFrame()
{
    if (!m_stream)
        return;
    SimMotion strangerMotion;
    if (m_stranger) {
        strangerMotion = m_processor.motion();
        shiftPositions(&strangerMotion, SimFaults::StrangerShiftXmm);
    }
    for (const SimCommandProcessor::Destination& d : m_processor.destinations()) {
        m_generator.frame(m_processor.frameNumber(), m_processor.timeStamp(), m_processor.motion(), d.outputs, &m_frameText);
        sendDatagram(m_stream, d.address, d.port);
        if (m_stranger) {
            m_generator.frame(m_processor.frameNumber() + SimFaults::StrangerFrameOffset, m_processor.timeStamp(),
                              strangerMotion, d.outputs, &m_frameText);
            sendDatagram(m_stranger, d.address, d.port);
        }
    }
    ++m_framesSent;
}

void SimServer::sendDatagram(QUdpSocket* socket, const QHostAddress& address, quint16 port)
{
    if (m_faults.datagramSize > m_frameText.size()) {
        m_frameText.append("pad ");
        m_frameText.append(QByteArray(m_faults.datagramSize - m_frameText.size() - 2, 'x'));
        m_frameText.append("\r\n");
    }
    if (m_frameText.size() <= kMaxDatagram) {
        socket->writeDatagram(m_frameText, address, port);
        return;
    }
    // Too big for one datagram: split at line ends.
    int start = 0;
    while (start < m_frameText.size()) {
        int end = qMin(m_frameText.size(), start + kMaxDatagram);
        if (end < m_frameText.size()) {
            const int eol = m_frameText.lastIndexOf('\n', end - 1);
            if (eol > start)
                end = eol + 1;
        }
        socket->writeDatagram(m_frameText.mid(start, end - start), address, port);
        start = end;
    }
}
