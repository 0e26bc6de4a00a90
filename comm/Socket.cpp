#include "Socket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fcntl.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

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

// Non-blocking, so that the kernel's SYN retries (minutes) never decide how
// long the user waits; the socket is blocking again once connected.
int Socket::tcpConnect(unsigned ip, unsigned short port, long timeoutUs, const KeepWaiting &keepWaiting)
{
    close();
    m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (m_fd < 0)
        return Error;
    // Every command is one small write whose reply is awaited: never delay it.
    const int on = 1;
    ::setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    const sockaddr_in a = address(ip, port);
    const int r = ::connect(m_fd, reinterpret_cast<const sockaddr *>(&a), sizeof a);
    int result = Ok;
    if (r != 0 && errno != EINPROGRESS && errno != EINTR) {
        result = errno == ECONNREFUSED ? Refused : Error;
    } else if (r != 0) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::microseconds(timeoutUs);
        for (;;) {
            const long leftUs = long(std::chrono::duration_cast<std::chrono::microseconds>(
                                         deadline - std::chrono::steady_clock::now()).count());
            if (leftUs <= 0) {
                result = TimedOut;
                break;
            }
            const int w = waitFor(Wait::Write, std::min(leftUs, 10000L));
            if (w == Ok) {
                int error = 0;
                socklen_t length = sizeof error;
                if (::getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
                    error = errno;
                result = error == 0 ? Ok : (error == ECONNREFUSED ? Refused : Error);
                break;
            }
            if (w != TimedOut) {
                result = Error;
                break;
            }
            if (keepWaiting && !keepWaiting()) {
                result = Cancelled;
                break;
            }
        }
    }
    if (result != Ok) {
        close();
        return result;
    }
    const int flags = ::fcntl(m_fd, F_GETFL);
    ::fcntl(m_fd, F_SETFL, flags & ~O_NONBLOCK);
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
    if (n < 0 && (errno == ECONNRESET || errno == EPIPE || errno == ENOTCONN))
        return Closed;   // the peer went: that is a close, not a failure to send
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
                       unsigned *fromIp, unsigned short *fromPort, const Source *only, unsigned *rejected,
                       unsigned *replaced)
{
    const int w = waitFor(Wait::Read, timeoutUs);
    if (w != Ok)
        return w;
    int result = TimedOut;
    // A rejected datagram must not overwrite an accepted one in the caller's buffer.
    char scratch[2048];
    for (int read = 0; read < MaxDrain; ++read) {
        sockaddr_storage from;
        socklen_t fromLength = sizeof from;
        // Peek at the sender first when only some are accepted.
        if (only) {
            const ssize_t peeked = ::recvfrom(m_fd, scratch, 1, MSG_DONTWAIT | MSG_PEEK,
                                              reinterpret_cast<sockaddr *>(&from), &fromLength);
            if (peeked < 0) {
                if (errno == EINTR)
                    continue;
                if (errno == EAGAIN || errno == EWOULDBLOCK)
                    return result;
                return Error;
            }
            const auto *in = reinterpret_cast<const sockaddr_in *>(&from);
            const bool accepted = from.ss_family == AF_INET
                && (only->ip == 0 || ntohl(in->sin_addr.s_addr) == only->ip)
                && (only->port == 0 || ntohs(in->sin_port) == only->port);
            if (!accepted) {
                ::recv(m_fd, scratch, sizeof scratch, MSG_DONTWAIT);
                if (rejected)
                    ++*rejected;
                continue;
            }
            fromLength = sizeof from;
        }
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
        if (replaced && result != TimedOut)
            ++*replaced;
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
    return result;
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

// The lookup runs in a thread of its own, so that a name server that never
// answers costs timeoutMs and no more; a late answer is thrown away.
unsigned Socket::resolve(const char *text, int timeoutMs, const KeepWaiting &keepWaiting)
{
    if (!text || !*text)
        return 0;
    in_addr a;
    if (::inet_pton(AF_INET, text, &a) == 1)
        return ntohl(a.s_addr);
    struct Lookup {
        std::mutex mutex;
        std::condition_variable done;
        bool finished = false;
        unsigned ip = 0;
    };
    auto lookup = std::make_shared<Lookup>();
    const std::string name(text);
    std::thread([lookup, name] {
        addrinfo hints;
        std::memset(&hints, 0, sizeof hints);
        hints.ai_family = AF_INET;
        addrinfo *list = nullptr;
        unsigned ip = 0;
        if (::getaddrinfo(name.c_str(), nullptr, &hints, &list) == 0 && list) {
            ip = ntohl(reinterpret_cast<const sockaddr_in *>(list->ai_addr)->sin_addr.s_addr);
            ::freeaddrinfo(list);
        }
        std::lock_guard<std::mutex> lock(lookup->mutex);
        lookup->ip = ip;
        lookup->finished = true;
        lookup->done.notify_all();
    }).detach();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::unique_lock<std::mutex> lock(lookup->mutex);
    while (!lookup->finished) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline)
            return 0;
        lookup->done.wait_until(lock, std::min(deadline, now + std::chrono::milliseconds(10)));
        if (!lookup->finished && keepWaiting) {
            lock.unlock();
            const bool go = keepWaiting();
            lock.lock();
            if (!go)
                return 0;
        }
    }
    return lookup->ip;
}
