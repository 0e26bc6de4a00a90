#include "IOManagerUdp.h"

#include "UdpQuery.h"

#include <cstring>

IOManagerUdp::IOManagerUdp(MessageBoxProvider *provider)
    : CommandChannel(provider)
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
    UdpQuery::Waiting waiting;
    waiting.timeoutUs = timeoutUs();
    // Listening only, a command other than a get names nothing to match.
    waiting.passOverOthers = !m_receiveOnly || std::strncmp(command, "quorix2 get ", 12) == 0;
    waiting.truncatedAnswers = true;
    waiting.keepWaiting = [this] { return !waitsCancelled(); };
    waiting.betweenSlices = [this] { keepWindowAlive(); };
    const int n = UdpQuery::awaitAnswer(m_socket, command, reply, BufferSize, waiting, &m_senderIp, &m_senderPort,
                                        &m_staleReplies);
    if (n < 0) {
        reply[0] = '\0';
        return n == UdpQuery::ReceiveFailed ? -2 : -1;
    }
    return 0;
}
