#pragma once

#include <QByteArray>
#include <QtGlobal>

// One thing the front end exchanged with the Controller, as the flight
// recorder keeps it. Times are microseconds since the Unix epoch.
struct ChannelRecord
{
    enum class Kind : quint8 {
        Command = 1,   // text: the command, reply: its reply, code: what the channel returned
        Data = 2,      // text: one measurement datagram, its lines separated by line feeds
        Event = 3,     // text: an event line ("quorix2 msg …") as the Controller's queue gave it
    };

    Kind kind = Kind::Command;
    qint64 timeUs = 0;      // sent, arrived or fetched
    qint64 replyUs = 0;     // commands: when the reply was in (or the wait ended)
    int code = 0;
    QByteArray text;
    QByteArray reply;
};
