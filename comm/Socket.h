#pragma once

#include <cstddef>

// A thin IPv4 layer over POSIX sockets. Every wait is a poll with a time-out in
// microseconds; results are the channel's transport codes. IPv4 addresses are
// unsigned numbers in host byte order (0: no address).
class Socket
{
public:
    enum UdpFlag { AllowBroadcast = 1, BindAnyPort = 4 };

    enum Result { Ok = 0, TimedOut = -1, Error = -2, Truncated = -3, Closed = -22 };

    Socket() = default;
    ~Socket();
    Socket(const Socket &) = delete;
    Socket &operator=(const Socket &) = delete;

    bool isOpen() const { return m_fd >= 0; }
    int descriptor() const { return m_fd; }
    void close();

    // flags: AllowBroadcast, BindAnyPort; without BindAnyPort a port of 0 means no bind.
    int openUdp(unsigned short port, int flags);
    int tcpConnect(unsigned ip, unsigned short port);

    int tcpSend(const char *data, size_t size, long timeoutUs);
    int tcpReceive(char *buffer, size_t size, long timeoutUs);

    int udpSendTo(const char *data, size_t size, unsigned ip, unsigned short port, long timeoutUs);
    // Bytes received; TimedOut, Error, or Truncated when the datagram filled the buffer.
    // With keepNewest every further datagram already waiting replaces the first.
    int udpReceive(char *buffer, size_t size, long timeoutUs, bool keepNewest,
                   unsigned *fromIp = nullptr, unsigned short *fromPort = nullptr);

    int localPort(unsigned short *port) const;

    // A dotted IPv4 address, else a host-name lookup; 0 when unresolved.
    static unsigned resolve(const char *text);

private:
    enum class Wait { Read, Write };
    int waitFor(Wait what, long timeoutUs) const;

    int m_fd = -1;
};
