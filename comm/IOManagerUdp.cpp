#include "IOManagerUdp.h"

#include "ReplyMatcher.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstring>

IOManagerUdp::IOManagerUdp(MessageBoxProvider *provider)
    : IOManager(provider)
{
    // Nothing sets a configured time-out here: the options of each command decide.
    m_replyTimeoutUs = 0;
    m_ready = m_socket.openUdp(0, Socket::AllowBroadcast | Socket::BindAnyPort) == Socket::Ok;
}

IOManagerUdp::~IOManagerUdp()
{
    m_socket.close();
}

int IOManagerUdp::setTarget(unsigned ip, unsigned short port)
{
    m_targetIp = ip;
    m_targetPort = port;
    return 0;
}

void IOManagerUdp::setReceiveOnly(bool receiveOnly)
{
    m_receiveOnly = receiveOnly;
}

long IOManagerUdp::timeoutUs() const
{
    return m_next.timeoutMs == -1 ? 500000L : long(m_next.timeoutMs) * 1000;
}

int IOManagerUdp::sendOnly(const char *command)
{
    if (!m_ready)
        return -2;
    const int r = m_socket.udpSendTo(command, std::strlen(command) + 1, m_targetIp, m_targetPort, timeoutUs() / 2);
    return r == Socket::Ok ? 0 : (r == Socket::TimedOut ? -1 : -2);
}

void IOManagerUdp::lastSender(unsigned *ip, unsigned short *port) const
{
    if (ip)
        *ip = m_senderIp;
    if (port)
        *port = m_senderPort;
}

int IOManagerUdp::addDataListener(const char *, Requester *)
{
    return -111;
}

int IOManagerUdp::removeDataListener(const char *, Requester *)
{
    return -111;
}

// Waits for the datagram that answers the command. A datagram that is plainly
// another command's answer (a late or doubled reply) is passed over; on the
// GUI thread the wait is cut into short slices with the window's events
// processed between them.
int IOManagerUdp::exchange(char *reply, const char *command)
{
    reply[0] = '\0';
    if (!m_ready)
        return -2;
    if (!m_receiveOnly) {
        const int sent = sendOnly(command);
        if (sent != 0)
            return sent;
    }
    QElapsedTimer clock;
    clock.start();
    const qint64 totalUs = timeoutUs();
    const bool gui = onGuiThread();
    for (;;) {
        const qint64 leftUs = totalUs - clock.nsecsElapsed() / 1000;
        if (leftUs <= 0 || waitsCancelled())
            return -1;
        const long sliceUs = long(gui ? std::min<qint64>(leftUs, SliceUs) : leftUs);
        const int n = m_socket.udpReceive(reply, BufferSize - 1, sliceUs, false, &m_senderIp, &m_senderPort);
        if (n == Socket::TimedOut) {
            keepWindowAlive();
            continue;
        }
        if (n == Socket::Error)
            return -2;
        const int kept = n == Socket::Truncated ? BufferSize - 1 : n;
        reply[kept] = '\0';
        // Listening only, a command other than a get names nothing to match.
        const bool matched = !m_receiveOnly || std::strncmp(command, "quorix2 get ", 12) == 0;
        if (matched && ReplyMatcher::owner(command, reply) == ReplyMatcher::Owner::Other) {
            ++m_staleReplies;
            reply[0] = '\0';
            continue;
        }
        return 0;
    }
}
