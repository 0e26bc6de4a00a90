#pragma once

#include <cstddef>
#include <functional>

// A thin IPv4 layer over POSIX sockets. Every wait is a poll with a time-out in
// microseconds; results are the channel's transport codes. IPv4 addresses are
// unsigned numbers in host byte order (0: no address).
class Socket
{
public:
    enum UdpFlag { AllowBroadcast = 1, BindAnyPort = 4 };

    enum Result { Ok = 0, TimedOut = -1, Error = -2, Truncated = -3, Refused = -5, Cancelled = -6, Closed = -22 };

    // Called between short waits; false ends the wait (Cancelled).
    using KeepWaiting = std::function<bool()>;

    // Datagrams accepted by udpReceive: ip 0 takes any sender, port 0 any port.
    struct Source {
        unsigned ip = 0;
        unsigned short port = 0;
    };
    // At most this many waiting datagrams are read per receive, so that a flood
    // cannot hold the reader.
    static constexpr int MaxDrain = 64;

    Socket() = default;
    ~Socket();
    Socket(const Socket &) = delete;
    Socket &operator=(const Socket &) = delete;

    bool isOpen() const { return m_fd >= 0; }
    int descriptor() const { return m_fd; }
    void close();

    // flags: AllowBroadcast, BindAnyPort; without BindAnyPort a port of 0 means no bind.
    int openUdp(unsigned short port, int flags);
    // Bounded: the attempt ends after timeoutUs (TimedOut), when the peer
    // refuses (Refused), or when keepWaiting says so (Cancelled).
    int tcpConnect(unsigned ip, unsigned short port, long timeoutUs = 5000000, const KeepWaiting &keepWaiting = {});

    // Ok, TimedOut, Error, or Closed when the peer closed or reset the connection.
    int tcpSend(const char *data, size_t size, long timeoutUs);
    int tcpReceive(char *buffer, size_t size, long timeoutUs);

    int udpSendTo(const char *data, size_t size, unsigned ip, unsigned short port, long timeoutUs);
    // Bytes received; TimedOut, Error, or Truncated when the datagram filled the buffer.
    // With keepNewest every further datagram already waiting replaces the first.
    // With only set, datagrams from other senders are read and dropped (counted
    // in *rejected) and never replace an accepted one. *replaced counts the
    // accepted ones a newer one replaced.
    int udpReceive(char *buffer, size_t size, long timeoutUs, bool keepNewest,
                   unsigned *fromIp = nullptr, unsigned short *fromPort = nullptr,
                   const Source *only = nullptr, unsigned *rejected = nullptr, unsigned *replaced = nullptr);

    int localPort(unsigned short *port) const;

    // A dotted IPv4 address, else a host-name lookup; 0 when unresolved or
    // when the lookup has not ended within timeoutMs.
    static unsigned resolve(const char *text, int timeoutMs = 3000, const KeepWaiting &keepWaiting = {});

private:
    enum class Wait { Read, Write };
    int waitFor(Wait what, long timeoutUs) const;

    int m_fd = -1;
};
