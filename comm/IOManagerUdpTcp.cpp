#include "IOManagerUdpTcp.h"

#include "ControllerVersion.h"
#include "MessageBoxProvider.h"
#include "Requester.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <algorithm>
#include <cstring>

namespace {

// The reader keeps replies within a caller's buffer: at most 199 characters.
void copyReply(char *buffer, const QByteArray &reply)
{
    std::memcpy(buffer, reply.constData(), size_t(reply.size()));
    buffer[reply.size()] = '\0';
}

const char BrokenReply[] = "quorix2 err command_exec";
const char StateQuery[] = "quorix2 get status active";
const long SendTimeoutUs = 2000000;

bool startsWith(const char *text, const char *prefix)
{
    return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

bool changesState(const char *command)
{
    return startsWith(command, "quorix2 tracking ") || startsWith(command, "quorix2 cal ");
}

int transportCode(int socketResult)
{
    switch (socketResult) {
    case Socket::TimedOut: return -111;
    case Socket::Closed: return -22;
    default: return -12;
    }
}

} // namespace

IOManagerUdpTcp::IOManagerUdpTcp(MessageBoxProvider *provider)
    : CommandChannel(provider)
    , m_dataBuffer(DataBufferSize + 1)
    , m_log([this](const QString &text) { reportTransport(text); })
{
    m_host[0] = '\0';
    m_replyTimeoutUs = DefaultReplyTimeoutUs;
    m_clock.start();
}

IOManagerUdpTcp::~IOManagerUdpTcp()
{
    m_run = false;
    while (!m_workerFinished)
        QThread::msleep(100);
    if (m_worker.joinable())
        m_worker.join();
    m_tcp.reset();
    m_data.close();
}

void IOManagerUdpTcp::reportTransport(const QString &text)
{
    sendMessage("standard", "IOManagerUdpTcp", 1, text.toLatin1().constData());
}

int IOManagerUdpTcp::connectController(const char *host, unsigned short port, unsigned short *dataPort,
                                       const Socket::KeepWaiting &keepWaiting)
{
    if (m_connected)
        return -1;
    m_connected = true;
    std::strncpy(m_host, host ? host : "", sizeof m_host - 1);
    m_host[sizeof m_host - 1] = '\0';

    unsigned short localPort = 0;
    if (m_data.openUdp(0, Socket::AllowBroadcast | Socket::BindAnyPort) != Socket::Ok
        || m_data.localPort(&localPort) != Socket::Ok) {
        m_data.close();
        m_connectFailure = ConnectFailure::DataPort;
        if (m_provider)
            m_provider->openMessageBox(2, QCoreApplication::translate("IOManagerUdpTcp", "UDP Error"),
                                       QCoreApplication::translate("IOManagerUdpTcp", "cannot get port "));
        return -2;
    }
    if (dataPort)
        *dataPort = localPort;

    m_hostIp = Socket::resolve(m_host, LookupTimeoutMs, keepWaiting);
    if (m_hostIp == 0) {
        m_connectFailure = ConnectFailure::Unresolved;
        return -2;
    }
    auto tcp = std::make_unique<Socket>();
    const int r = tcp->tcpConnect(m_hostIp, port, long(ConnectTimeoutMs) * 1000, keepWaiting);
    if (r != Socket::Ok) {
        m_connectFailure = r == Socket::TimedOut ? ConnectFailure::TimedOut
            : r == Socket::Refused                ? ConnectFailure::Refused
            : r == Socket::Cancelled              ? ConnectFailure::Cancelled
                                                  : ConnectFailure::Other;
        return -2;
    }
    std::unique_lock<std::mutex> lock(m_commandLock);
    m_tcp = std::move(tcp);
    return 0;
}

void IOManagerUdpTcp::setCommandLog(bool enable, QString fileName, QString prefix)
{
    m_log.configure(enable, fileName, prefix);
}

// One receive into the reply reader: bytes read, or the socket's result.
int IOManagerUdpTcp::readInput(long timeoutUs)
{
    char chunk[4096];
    const int n = m_tcp->tcpReceive(chunk, sizeof chunk, timeoutUs);
    if (n > 0)
        m_replies.feed(chunk, n, m_clock.elapsed());
    else if (n == Socket::Closed)
        m_replies.peerClosed();
    return n;
}

// Reads what is waiting (bounded, so that a flooding peer cannot hold the
// command) and drops the replies that earlier commands no longer wait for.
void IOManagerUdpTcp::discardInput()
{
    for (int i = 0; i < 16 && readInput(0) > 0; ++i) {
    }
    m_replies.dropStale(m_clock.elapsed());
}

// Waits for the reply of the command just sent; ReplyReader says where a reply
// ends and which command it answers. On the GUI thread the wait is cut into
// short slices with the window's events processed between them, so that the
// window repaints and answers while a slow Controller thinks. Returns 0 or a
// transport code.
int IOManagerUdpTcp::awaitReply(char *reply, long timeoutUs, const char *command)
{
    const qint64 startUs = m_clock.nsecsElapsed() / 1000;
    const qint64 deadlineUs = startUs + timeoutUs;
    const bool gui = onGuiThread();
    auto taken = [&](const QByteArray &r) {
        copyReply(reply, r);
        const int replyMs = int((m_clock.nsecsElapsed() / 1000 - startUs) / 1000);
        if (replyMs > m_slowestReplyMs)
            m_slowestReplyMs = replyMs;
        logStaleReplies();
        return 0;
    };
    for (;;) {
        QByteArray r;
        if (m_replies.takeReply(&r, m_clock.elapsed(), command))
            return taken(r);
        const qint64 leftUs = deadlineUs - m_clock.nsecsElapsed() / 1000;
        if (leftUs <= 0 || waitsCancelled()) {
            // A peer that never sent a zero byte ends its reply here, and by silence from now on.
            m_replies.timeIsUp();
            if (m_replies.takeReply(&r, m_clock.elapsed(), command))
                return taken(r);
            logStaleReplies();
            return transportCode(Socket::TimedOut);
        }
        qint64 waitUs = leftUs;
        const int quietMs = m_replies.msUntilQuiet(m_clock.elapsed());
        if (quietMs >= 0)
            waitUs = std::min<qint64>(waitUs, std::max(quietMs, 1) * 1000);
        if (gui)
            waitUs = std::min<qint64>(waitUs, WaitSliceUs);
        const int n = readInput(long(waitUs));
        if (n == Socket::TimedOut) {
            keepWindowAlive();
            continue;
        }
        if (n > 0)
            continue;
        if (n == Socket::Closed) {
            // A reply cut off by the close is no reply: the command failed with
            // the connection. A whole reply that came before the close counts.
            if (m_replies.takeReply(&r, m_clock.elapsed(), command))
                return taken(r);
        }
        logStaleReplies();
        return transportCode(n);
    }
}

void IOManagerUdpTcp::logStaleReplies()
{
    const std::vector<QByteArray> stale = m_replies.takeDropped();
    if (m_log.isEnabled())
        for (const QByteArray &r : stale)
            m_log.logStale(r);
}

QByteArray IOManagerUdpTcp::queryState()
{
    discardInput();
    if (m_tcp->tcpSend(StateQuery, sizeof StateQuery, SendTimeoutUs) != Socket::Ok)
        return QByteArray();
    m_replies.expectReply();
    char state[BufferSize];
    if (awaitReply(state, long(replyTimeout()), StateQuery) != 0)
        return QByteArray();
    return QByteArray(state);
}

int IOManagerUdpTcp::exchange(char *reply, const char *command)
{
    ChannelTap *tap = m_tap;
    const qint64 sentUs = tap ? tap->nowUs() : 0;
    const int r = exchangeUntapped(reply, command);
    if (tap && r == 1)
        m_asyncSentUs = sentUs;   // the reply is shown when pollAsyncReply takes it
    else if (tap)
        tap->commandExchanged(command, reply, r, sentUs, tap->nowUs());
    // Called by itself, not inside one of the channel's commands: no end of
    // a command will tell what it saw.
    if (!holdsGate())
        afterCommand();
    return r;
}

int IOManagerUdpTcp::exchangeUntapped(char *reply, const char *command)
{
    if (m_broken || !m_tcp) {
        std::strcpy(reply, BrokenReply);
        std::unique_lock<std::mutex> lock(m_commandLock);
        m_tcp.reset();
        if (m_broken)
            return -222;
        m_broken = true;
        return -2;
    }

    if (waitsCancelled()) {
        // The program is closing: nothing more is sent, nothing is broken.
        reply[0] = '\0';
        return -1;
    }

    m_commandLock.lock();
    const bool stateCommand = changesState(command);
    QByteArray before;
    QByteArray after;
    if (stateCommand) {
        const bool pending = m_next.pending;
        int timeoutMs = m_next.timeoutMs;
        m_next.pending = false;
        m_next.timeoutMs = -1;
        before = queryState();
        if (std::strcmp(command, "quorix2 tracking stop") == 0 && timeoutMs < 3000)
            timeoutMs = 3000;
        if (std::strcmp(command, "quorix2 tracking start") == 0 && timeoutMs < 6000)
            timeoutMs = 6000;
        m_next.timeoutMs = timeoutMs;
        m_next.pending = pending;
    }

    if (m_log.isEnabled())
        m_log.logCommand(command);

    int r = 0;
    const size_t commandLength = std::strlen(command);
    if (commandLength > size_t(MaxCommandLength)) {
        r = -1;
    } else {
        discardInput();
        reply[0] = '\0';
        const int sent = m_tcp->tcpSend(command, commandLength + 1, SendTimeoutUs);
        if (sent != Socket::Ok) {
            r = sent == Socket::TimedOut ? -1 : sent == Socket::Closed ? -22 : -2;
        } else {
            m_replies.expectReply();
            if (m_next.pending && m_next.async) {
                m_asyncDeadlineUs = m_clock.nsecsElapsed() / 1000 + qint64(std::max(m_next.timeoutMs, 0)) * 1000;
                r = 1;
            } else {
                long timeoutUs = m_next.timeoutMs == -1 ? long(DefaultReplyTimeoutUs) : long(m_next.timeoutMs) * 1000;
                if (replyTimeout() != DefaultReplyTimeoutUs)
                    timeoutUs = long(replyTimeout());
                r = awaitReply(reply, timeoutUs, command);
            }
        }
    }

    if (r == 1) {
        m_commandLock.unlock();
        return 1;
    }
    if (m_log.isEnabled())
        m_log.logReply(reply, r);
    if (std::strcmp(command, "quorix2 system shutdown") == 0 || std::strcmp(command, "quorix2 system reboot") == 0) {
        m_commandLock.unlock();
        return r;
    }
    if (r == -111 && waitsCancelled()) {
        m_commandLock.unlock();
        reply[0] = '\0';
        return -1;
    }
    if (r == -111) {
        r = awaitReply(reply, long(replyTimeout()), command);
        if (r != 0)
            reportTransport(QCoreApplication::translate("IOManagerUdpTcp", "UDP timeout: last command sent: %1")
                                .arg(QString::fromLatin1(CommandsLog::masked(command))));
    }
    if (r == -22 || r == -2 || r == -111) {
        m_commandLock.unlock();
        std::strcpy(reply, BrokenReply);
        m_broken = true;
        reportLoss(r, command);
        return r;
    }
    if (stateCommand)
        after = queryState();
    m_commandLock.unlock();

    if (after != before) {
        if (after == "quorix2 set status active cal" || after == "quorix2 set status active mea")
            noteChange(Change::Started);
        else if (after == "quorix2 set status active none" || after == "quorix2 set status active err")
            noteChange(Change::Stopped);
    }
    if (std::strcmp(command, StateQuery) == 0) {
        if (m_running && std::strcmp(reply, "quorix2 set status active none") == 0)
            noteChange(Change::Stopped);
        else if (!m_running && std::strcmp(reply, "quorix2 set status active mea") == 0)
            noteChange(Change::Started);
    }
    return r;
}

// The channel broke: the event display and the day's log get the cause (a
// time-out has been reported already), and a measurement the front end was
// following ends for it, so that nothing goes on showing its last values.
void IOManagerUdpTcp::reportLoss(int code, const char *command)
{
    const QString host = QString::fromLatin1(m_host);
    const QString last = QString::fromLatin1(command);
    if (code == -22)
        reportTransport(QCoreApplication::translate("IOManagerUdpTcp",
                                                    "Connection to Controller %1 lost: the Controller closed or reset "
                                                    "the connection. Last command sent: %2")
                            .arg(host, last));
    else if (code == -2)
        reportTransport(QCoreApplication::translate("IOManagerUdpTcp",
                                                    "Connection to Controller %1 lost: the command could not be sent. "
                                                    "Last command sent: %2")
                            .arg(host, last));
    if (m_running) {
        reportTransport(QCoreApplication::translate("IOManagerUdpTcp",
                                                    "Measurement ended for QUORIX4: connection to Controller %1 lost.")
                            .arg(host));
        noteChange(Change::Stopped);
    }
}

// The notices send queries of their own (version, sender port): told inside
// the exchange, those would overwrite the reply and the expectations of the
// command that saw the change, so that it returned their value. The running
// state changes at once; the requesters hear of it when the command is done.
void IOManagerUdpTcp::noteChange(Change change)
{
    m_running = change == Change::Started;
    std::lock_guard<std::mutex> lock(m_changesMutex);
    m_changes.push_back(change);
}

void IOManagerUdpTcp::afterCommand()
{
    for (;;) {
        Change change;
        {
            std::lock_guard<std::mutex> lock(m_changesMutex);
            if (m_changes.empty())
                return;
            change = m_changes.front();
            m_changes.erase(m_changes.begin());
        }
        if (change == Change::Started) {
            notifyMeasurementStarted();
            if (m_listening)
                startWorker();
        } else {
            notifyMeasurementStopped();
        }
    }
}

int IOManagerUdpTcp::pollAsyncReply()
{
    std::unique_lock<std::mutex> lock(m_commandLock);
    if (!m_asyncCaller || !m_tcp)
        return -12;
    int n = 0;
    for (int i = 0; i < 16; ++i) {
        n = readInput(0);
        if (n <= 0)
            break;
    }
    QByteArray r;
    bool taken = m_replies.takeReply(&r, m_clock.elapsed(), m_lastCommand);
    if (!taken && n != Socket::Closed && m_clock.nsecsElapsed() / 1000 >= m_asyncDeadlineUs) {
        // The wait is over: a peer that never sent a zero byte ends its reply here.
        m_replies.timeIsUp();
        taken = m_replies.takeReply(&r, m_clock.elapsed(), m_lastCommand);
    }
    logStaleReplies();
    if (taken) {
        copyReply(m_asyncCaller, r);
        if (m_log.isEnabled())
            m_log.logReply(m_asyncCaller, r.size());
        if (ChannelTap *tap = m_tap)
            tap->commandExchanged(m_lastCommand, m_asyncCaller, 0, m_asyncSentUs, tap->nowUs());
        return 1;
    }
    if (n == Socket::Closed || n == Socket::Error) {
        m_asyncCaller[0] = '\0';
        return transportCode(n);
    }
    return 0;
}

int IOManagerUdpTcp::notifyMeasurementStarted()
{
    CommandChannel::notifyMeasurementStarted();
    char version[BufferSize] = "v0.0.0";
    if (getString(version, "system version") != 0)
        std::strcpy(version, "v0.0.0");
    if (isVersionAtLeast(version, "v0.2.8")) {
        int senderPort = 0;
        if (getInt(&senderPort, "output net_sender_port chmon") == 0 && senderPort > 0 && senderPort < 65536) {
            m_senderPort = (unsigned short)senderPort;
            // Opens the way for the data stream through the host's firewall.
            static const char dummy[] = "dummy";
            m_data.udpSendTo(dummy, sizeof dummy, m_hostIp, (unsigned short)senderPort, 100000);
        }
    }
    return 0;
}

bool IOManagerUdpTcp::isVersionAtLeast(const char *version, const char *minimum)
{
    const ControllerVersion v = ControllerVersion::parseValue(QString::fromLatin1(version ? version : ""));
    return v.isAtLeast(ControllerVersion::parseValue(QString::fromLatin1(minimum && *minimum ? minimum : "v0.2.2")));
}

int IOManagerUdpTcp::addDataListener(const char *key, Requester *requester)
{
    bool first = false;
    if (!m_dataListeners.add(QByteArray(key), requester, &first))
        return -1;
    if (first) {
        m_listening = true;
        if (m_running)
            startWorker();
    }
    return 0;
}

int IOManagerUdpTcp::removeDataListener(const char *key, Requester *requester)
{
    bool none = false;
    if (!m_dataListeners.remove(QByteArray(key), requester, &none))
        return -1;
    if (none)
        m_listening = false;
    return 0;
}

void IOManagerUdpTcp::startWorker()
{
    std::unique_lock<std::mutex> lock(m_workerMutex);
    if (!m_workerFinished || !m_run)
        return;   // the running worker sees the new state by itself
    // A thread of the standard library: its end is a join that the race
    // checker sees, where QThread's wait() hides it in Qt's own locks.
    if (m_worker.joinable())
        m_worker.join();
    m_workerFinished = false;
    m_worker = std::thread([this] { workerLoop(); });
    m_workerBegun.acquire();
}

void IOManagerUdpTcp::workerLoop()
{
    m_workerBegun.release();
    if (!m_data.isOpen()) {
        if (m_provider)
            m_provider->openMessageBox(2, QCoreApplication::translate("IOManagerUdpTcp", "UDP Error"),
                                       QCoreApplication::translate("IOManagerUdpTcp", "not initialized "));
        std::unique_lock<std::mutex> lock(m_workerMutex);
        m_workerFinished = true;
        return;
    }
    char *buffer = m_dataBuffer.data();
    for (;;) {
        if (!workerWanted()) {
            std::unique_lock<std::mutex> lock(m_workerMutex);
            if (!workerWanted()) {
                m_workerFinished = true;
                return;
            }
        }
        // Only the Controller's own datagrams: anything else on the port is
        // another host's (or a stranger's) and must never reach the 3D view.
        const Socket::Source controller{m_hostIp, m_senderPort};
        unsigned rejected = 0;
        unsigned skipped = 0;
        const int n = m_data.udpReceive(buffer, DataBufferSize, 100000, true, nullptr, nullptr, &controller, &rejected,
                                        &skipped);
        if (rejected)
            m_foreignDatagrams += rejected;
        // Counted before the newest is handed on, so that a reader never sees
        // its gap in the frame numbers before the count.
        if (skipped)
            m_skippedDatagrams += skipped;
        if (n < 0)
            continue;   // time-out, error, or a datagram too large to trust
        std::unique_lock<std::mutex> receiveLock(m_dataLock);
        if (!workerWanted())
            continue;
        buffer[n] = '\0';
        if (ChannelTap *tap = m_tap)
            tap->dataReceived(buffer, tap->nowUs());
        dispatchDatagram(buffer);
    }
}

void IOManagerUdpTcp::dispatchDatagram(char *datagram)
{
    m_dataListeners.deliverDatagram(datagram);
}

