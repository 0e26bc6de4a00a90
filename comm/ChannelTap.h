#pragma once

#include <QtGlobal>

// Sees what the channel exchanges with the Controller, as it happens: each
// command with its reply, each measurement datagram. Called on the thread that
// sends the command or receives the data, with the channel's own locks held,
// so it must be quick and must never call the channel back.
class ChannelTap
{
public:
    virtual ~ChannelTap() = default;

    // The tap's clock in microseconds; the channel stamps with it.
    virtual qint64 nowUs() const = 0;
    // code: what exchange() returned (0 a reply, negative the transport's failure).
    virtual void commandExchanged(const char *command, const char *reply, int code, qint64 sentUs,
                                  qint64 repliedUs) = 0;
    // The datagram's text up to its first zero byte, before it is split into lines.
    virtual void dataReceived(const char *datagram, qint64 arrivedUs) = 0;
};
