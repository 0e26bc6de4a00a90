#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <deque>

// Cuts the Controller's TCP byte stream into replies and pairs them with the
// commands that asked for them.
//
// Where a reply ends: at its zero byte. A peer that sends no zero byte ends a
// reply by falling silent: bytes followed by QuietGapMs without another byte
// are a whole reply. The same rule holds for the synchronous exchange and for
// the asynchronous poll, because both ask this class alone.
//
// Which reply belongs to which command: the stream is in command order and the
// Controller answers every command once, so the channel counts the replies it
// still owes. A reply that comes after its command gave up waiting (a time-out,
// an asynchronous wait that ended, a reboot) is one of those owed replies and is
// dropped, never handed to the command that follows.
//
// A reply longer than MaxReplyLength characters is cut to that length; the rest
// up to its end is consumed and dropped, so the next reply starts in step. A
// zero byte with nothing before it is padding, not a reply.
class ReplyReader
{
public:
    static constexpr int MaxReplyLength = 199;
    static constexpr int QuietGapMs = 5;

    // Bytes as they came from the socket; nowMs is a steady clock reading.
    void feed(const char *data, int size, qint64 nowMs);
    // The peer closed: what arrived of a reply is all there will be.
    void peerClosed();

    // A command went out; its reply follows every reply still owed.
    void expectReply();
    // Before a command is sent every owed reply is stale: drops the complete
    // ones, and all input when nothing is owed any more.
    void dropStale(qint64 nowMs);
    // The reply of the latest command, once it is complete. Stale replies
    // ahead of it are dropped on the way.
    bool takeReply(QByteArray *reply, qint64 nowMs);

    // Milliseconds until a reply without zero byte counts as complete; -1 when
    // no such reply is waiting.
    int msUntilQuiet(qint64 nowMs) const;
    bool hasPartialReply() const { return !m_tail.isEmpty(); }
    int owed() const { return m_owed; }

private:
    void completeTail();
    bool popComplete(QByteArray *reply, qint64 nowMs);

    std::deque<QByteArray> m_complete;
    QByteArray m_tail;      // the reply being received, at most MaxReplyLength
    qint64 m_lastByteMs = 0;
    int m_owed = 0;
};
