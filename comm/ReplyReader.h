#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <deque>
#include <vector>

// Cuts the Controller's TCP byte stream into replies and pairs them with the
// commands that asked for them.
//
// Where a reply ends: at its zero byte, however long the pauses inside it
// (a reply may travel in several TCP segments with gaps between them: delayed
// acknowledgements, Nagle, a retransmission, a slow radio link). A pause
// shorter than the waiting command's time-out never ends a reply.
//
// A peer that sends no zero byte at all is told apart by its first reply: when
// a command's time is up and bytes of a reply have come but no zero byte ever
// did on this connection, those bytes are the reply, and from then on the peer
// counts as one that ends its replies by falling silent: bytes followed by
// QuietGapMs without another byte are a whole reply. Such a peer costs one
// time-out, at its first reply; a peer that has sent a single zero byte is never
// cut by a pause again. The same rules hold for the synchronous exchange and for
// the asynchronous poll, because both ask this class alone.
//
// Which reply belongs to which command: replies come in command order, but a
// Controller may answer a command twice, or answer after the command gave up
// waiting. A reply that names what it answers (the echo of a get) is taken only
// by that get; an echo for any other command is stale and dropped. A reply that
// names nothing ("quorix2 ok", an error, a message) goes to the oldest command
// still owed one: the channel counts the replies it still owes, so the late
// reply of a command that timed out never answers the one that follows. Every
// reply dropped on the way is kept for the caller's log (takeDropped).
//
// A reply longer than MaxReplyLength characters is cut to that length; the rest
// up to its end is consumed and dropped, so the next reply starts in step. A
// zero byte with nothing before it is padding, not a reply.
class ReplyReader
{
public:
    static constexpr int MaxReplyLength = 199;
    // Used only for a peer that has shown it sends no zero bytes.
    static constexpr int QuietGapMs = 5;

    // How this connection's replies end, as far as the peer has shown it.
    enum class Framing {
        Unknown,    // nothing ended by a zero byte or a time-out yet
        ZeroByte,   // a zero byte came: replies end at their zero byte, never at a pause
        Silence     // a time-out ended a reply and no zero byte ever came: a short pause ends a reply
    };

    // Bytes as they came from the socket; nowMs is a steady clock reading.
    void feed(const char *data, int size, qint64 nowMs);
    // The peer closed. What arrived of a reply without its end is a reply cut
    // off, and dropped; only from a peer that ends its replies by silence is it
    // the whole reply.
    void peerClosed();
    // The waiting command's time is up. On a connection that never carried a
    // zero byte, what arrived of the reply is the reply, and the peer counts as
    // one that ends its replies by silence. Changes nothing once a zero byte came.
    void timeIsUp();

    // A command went out; its reply follows every reply still owed.
    void expectReply();
    // Before a command is sent every owed reply is stale: drops the complete
    // ones, and all input when nothing is owed any more.
    void dropStale(qint64 nowMs);
    // The reply of the latest command (command is its text; without one every
    // reply counts as naming nothing), once it is complete. Stale replies ahead
    // of it are dropped on the way.
    bool takeReply(QByteArray *reply, qint64 nowMs, const char *command = nullptr);
    // The replies dropped as stale since the last call, oldest first.
    std::vector<QByteArray> takeDropped();

    // Milliseconds until a reply counts as complete by silence; -1 when no
    // such reply is waiting (always -1 unless the peer sends no zero bytes).
    int msUntilQuiet(qint64 nowMs) const;
    bool hasPartialReply() const { return !m_tail.isEmpty(); }
    int owed() const { return m_owed; }
    Framing framing() const { return m_framing; }

private:
    void completeTail();
    bool popComplete(QByteArray *reply, qint64 nowMs);

    void drop(const QByteArray &reply);

    std::deque<QByteArray> m_complete;
    std::vector<QByteArray> m_dropped;
    QByteArray m_tail;      // the reply being received, at most MaxReplyLength
    qint64 m_lastByteMs = 0;
    int m_owed = 0;
    Framing m_framing = Framing::Unknown;
};
