#pragma once

#include <QHostAddress>
#include <QString>
#include <QStringList>
#include <QVector>

// Misbehaviour the simulator can be told to show, so that the front end's
// handling of a faulty Controller can be tried. Command patterns match a
// command when the command starts with the pattern; a leading "quorix2 " is
// optional on both sides ("get status active" matches "quorix2 get status active").
class SimFaults
{
public:
    struct Option
    {
        const char* name;
        const char* valueName;
        const char* help;
    };

    int replyDelayMs = 0;          // every matching reply waits this long
    QString delayPattern;          // empty: the delay applies to every command
    QStringList noReply;           // matching commands get no reply at all
    int dropAfter = 0;             // close a TCP connection when it sends command N+1 (0: never)
    int resetAfter = 0;            // the same with a reset (RST) instead of an orderly close
    QStringList errorReplies;      // matching commands are answered with an err reply
    QStringList longReplies;       // matching commands get a reply of longReplyLength bytes
    int longReplyLength = 230;
    QStringList garbageReplies;    // matching commands get bytes that are no reply at all
    int datagramSize = 0;          // pad every stream datagram to this many bytes (0: off)
    int splitReplyMs = 0;          // every TCP reply leaves in two parts this far apart (0: whole)
    bool noZero = false;           // TCP replies end without their zero byte
    int jitterMs = 0;              // every reply waits a further 0..jitterMs, on top of replyDelayMs
    quint32 jitterSeed = 1;
    int duplicateMs = -1;          // matching replies are sent again this much later (-1: never)
    QString duplicatePattern;      // empty: every reply is sent twice
    QStringList cutClose;          // matching TCP commands get half a reply, then a FIN
    QStringList cutReset;          // the same, then a reset (RST)
    bool tcpBlackhole = false;     // TCP connection attempts go unanswered; UDP works
    QHostAddress strangerData;     // a second sender there copies the stream, altered (null: none)

    bool applyOption(const QString& name, const QString& value, QString* error);
    static const QVector<Option>& options();

    bool any() const;
    // The extra wait of reply n (counted from 1) on a TCP connection, or of
    // the n-th UDP command: the same for the same seed in every run.
    int jitterFor(bool udp, quint32 n) const;
    // What the stranger changes in its copies of the stream.
    static constexpr quint32 StrangerFrameOffset = 1000000;
    static constexpr double StrangerShiftXmm = 1000.0;
    static bool matches(const QString& pattern, const QByteArray& command);
    static bool matchesAny(const QStringList& patterns, const QByteArray& command);
};
