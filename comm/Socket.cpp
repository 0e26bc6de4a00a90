#include "Socket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

namespace {

sockaddr_in address(unsigned ip, unsigned short port)
{
    sockaddr_in a;
    std::memset(&a, 0, sizeof a);
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(ip);
    a.sin_port = htons(port);
    return a;
}

} // namespace

Socket::~Socket()
{
    close();
}

void Socket::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

int Socket::waitFor(Wait what, long timeoutUs) const
{
    if (m_fd < 0)
        return Error;
    pollfd p;
    p.fd = m_fd;
    p.events = what == Wait::Read ? POLLIN : POLLOUT;
    p.revents = 0;
    timespec left;
    left.tv_sec = timeoutUs > 0 ? timeoutUs / 1000000 : 0;
    left.tv_nsec = timeoutUs > 0 ? (timeoutUs % 1000000) * 1000 : 0;
    for (;;) {
        const int n = ::ppoll(&p, 1, &left, nullptr);
        if (n > 0)
            return Ok;   // readable, writable, or an error the next call reports
        if (n == 0)
            return TimedOut;
        if (errno != EINTR)
            return Error;
    }
}

int Socket::openUdp(unsigned short port, int flags)
{
    close();
    m_fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (m_fd < 0)
        return Error;
    if (flags & AllowBroadcast) {
        const int on = 1;
        if (::setsockopt(m_fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0) {
            close();
            return Error;
        }
    }
    if ((flags & BindAnyPort) || port != 0) {
        const sockaddr_in a = address(INADDR_ANY, (flags & BindAnyPort) ? 0 : port);
        if (::bind(m_fd, reinterpret_cast<const sockaddr *>(&a), sizeof a) != 0) {
            close();
            return Error;
        }
    }
    return Ok;
}

int Socket::tcpConnect(unsigned ip, unsigned short port)
{
    close();
    m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_fd < 0)
        return Error;
    // Every command is one small write whose reply is awaited: never delay it.
    const int on = 1;
    ::setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    const sockaddr_in a = address(ip, port);
    int r;
    do {
        r = ::connect(m_fd, reinterpret_cast<const sockaddr *>(&a), sizeof a);
    } while (r != 0 && errno == EINTR);
    if (r != 0) {
        close();
        return Error;
    }
    return Ok;
}

int Socket::tcpSend(const char *data, size_t size, long timeoutUs)
{
    const int w = waitFor(Wait::Write, timeoutUs);
    if (w != Ok)
        return w;
    ssize_t n;
    do {
        n = ::send(m_fd, data, size, MSG_NOSIGNAL);
    } while (n < 0 && errno == EINTR);
    return n == ssize_t(size) ? Ok : Error;
}

int Socket::tcpReceive(char *buffer, size_t size, long timeoutUs)
{
    const int w = waitFor(Wait::Read, timeoutUs);
    if (w != Ok)
        return w;
    ssize_t n;
    do {
        n = ::recv(m_fd, buffer, size, 0);
    } while (n < 0 && errno == EINTR);
    if (n == 0)
        return Closed;
    if (n < 0)
        return (errno == ECONNRESET || errno == EPIPE || errno == ENOTCONN) ? Closed : Error;
    return int(n);
}

int Socket::udpSendTo(const char *data, size_t size, unsigned ip, unsigned short port, long timeoutUs)
{
    const int w = waitFor(Wait::Write, timeoutUs);
    if (w != Ok)
        return w;
    const sockaddr_in a = address(ip, port);
    ssize_t n;
    do {
        n = ::sendto(m_fd, data, size, 0, reinterpret_cast<const sockaddr *>(&a), sizeof a);
    } while (n < 0 && errno == EINTR);
    return n == ssize_t(size) ? Ok : Error;
}

int Socket::udpReceive(char *buffer, size_t size, long timeoutUs, bool keepNewest,
                       unsigned *fromIp, unsigned short *fromPort)
{
    const int w = waitFor(Wait::Read, timeoutUs);
    if (w != Ok)
        return w;
    int result = TimedOut;
    for (;;) {
        sockaddr_storage from;
        socklen_t fromLength = sizeof from;
        // MSG_TRUNC reports the datagram's real length, so a cut one is recognised.
        const ssize_t n = ::recvfrom(m_fd, buffer, size, MSG_DONTWAIT | MSG_TRUNC,
                                     reinterpret_cast<sockaddr *>(&from), &fromLength);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                return result;   // nothing more waiting: the newest one stands
            return Error;
        }
        if (from.ss_family != AF_INET) {
            result = Error;
        } else {
            const auto *in = reinterpret_cast<const sockaddr_in *>(&from);
            if (fromIp)
                *fromIp = ntohl(in->sin_addr.s_addr);
            if (fromPort)
                *fromPort = ntohs(in->sin_port);
            result = size_t(n) >= size ? int(Truncated) : int(n);
        }
        if (!keepNewest)
            return result;
    }
}

int Socket::localPort(unsigned short *port) const
{
    sockaddr_in a;
    socklen_t length = sizeof a;
    if (m_fd < 0 || ::getsockname(m_fd, reinterpret_cast<sockaddr *>(&a), &length) != 0)
        return Error;
    *port = ntohs(a.sin_port);
    return Ok;
}

unsigned Socket::resolve(const char *text)
{
    if (!text || !*text)
        return 0;
    in_addr a;
    if (::inet_pton(AF_INET, text, &a) == 1)
        return ntohl(a.s_addr);
    addrinfo hints;
    std::memset(&hints, 0, sizeof hints);
    hints.ai_family = AF_INET;
    addrinfo *list = nullptr;
    if (::getaddrinfo(text, nullptr, &hints, &list) != 0 || !list)
        return 0;
    const unsigned ip = ntohl(reinterpret_cast<const sockaddr_in *>(list->ai_addr)->sin_addr.s_addr);
    ::freeaddrinfo(list);
    return ip;
}
