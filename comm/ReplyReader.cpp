#include "ReplyReader.h"

#include "ReplyMatcher.h"

#include <algorithm>
#include <cstring>

void ReplyReader::feed(const char *data, int size, qint64 nowMs)
{
    if (size <= 0)
        return;
    m_lastByteMs = nowMs;
    const char *p = data;
    const char *end = data + size;
    while (p < end) {
        const char *zero = static_cast<const char *>(std::memchr(p, '\0', size_t(end - p)));
        const char *stop = zero ? zero : end;
        const int room = MaxReplyLength - m_tail.size();
        const int n = int(stop - p);
        m_tail.append(p, std::min(n, room));
        if (!zero)
            break;
        m_framing = Framing::ZeroByte;
        completeTail();
        p = zero + 1;
    }
}

void ReplyReader::peerClosed()
{
    // From a peer that ends its replies with a zero byte, bytes without one are
    // a reply cut off by the close: no reply at all.
    if (m_framing == Framing::Silence)
        completeTail();
    else if (!m_tail.isEmpty())
        drop(m_tail);
    m_tail.clear();
}

void ReplyReader::timeIsUp()
{
    if (m_framing == Framing::ZeroByte || m_tail.isEmpty())
        return;
    m_framing = Framing::Silence;
    completeTail();
}

void ReplyReader::completeTail()
{
    if (!m_tail.isEmpty())
        m_complete.push_back(m_tail);
    m_tail.clear();
}

bool ReplyReader::popComplete(QByteArray *reply, qint64 nowMs)
{
    if (m_complete.empty() && msUntilQuiet(nowMs) == 0)
        completeTail();
    if (m_complete.empty())
        return false;
    *reply = m_complete.front();
    m_complete.pop_front();
    return true;
}

void ReplyReader::expectReply()
{
    ++m_owed;
}

void ReplyReader::drop(const QByteArray &reply)
{
    // Bounded: a peer that floods the connection must not fill the memory.
    if (m_dropped.size() < 64)
        m_dropped.push_back(reply);
}

std::vector<QByteArray> ReplyReader::takeDropped()
{
    std::vector<QByteArray> dropped;
    dropped.swap(m_dropped);
    return dropped;
}

void ReplyReader::dropStale(qint64 nowMs)
{
    QByteArray stale;
    while (popComplete(&stale, nowMs)) {
        if (m_owed > 0)
            --m_owed;
        drop(stale);
    }
    if (m_owed == 0)
        m_tail.clear();
}

bool ReplyReader::takeReply(QByteArray *reply, qint64 nowMs, const char *command)
{
    QByteArray r;
    while (popComplete(&r, nowMs)) {
        if (m_owed == 0) {
            drop(r);   // nobody asked for it
            continue;
        }
        switch (command ? ReplyMatcher::owner(command, r.constData()) : ReplyMatcher::Owner::Unnamed) {
        case ReplyMatcher::Owner::This:
            // Its own echo: whatever earlier commands were still owed has passed.
            m_owed = 0;
            *reply = r;
            return true;
        case ReplyMatcher::Owner::Other:
            // A late or doubled answer to another command. It may be the reply an
            // earlier command still owed, but never counts for this one.
            if (m_owed > 1)
                --m_owed;
            drop(r);
            continue;
        case ReplyMatcher::Owner::Unnamed:
            if (--m_owed == 0) {
                *reply = r;
                return true;
            }
            drop(r);
            continue;
        }
    }
    return false;
}

int ReplyReader::msUntilQuiet(qint64 nowMs) const
{
    if (m_tail.isEmpty() || m_framing != Framing::Silence)
        return -1;
    return int(std::max<qint64>(0, QuietGapMs - (nowMs - m_lastByteMs)));
}
