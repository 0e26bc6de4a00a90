#include "FrameCounter.h"

namespace Health {

bool parseFrameLine(const char *line, quint32 *number)
{
    if (!line || line[0] != 'f' || line[1] != 'r')
        return false;
    const char *p = line + 2;
    if (*p != ' ' && *p != '\t')
        return false;
    while (*p == ' ' || *p == '\t')
        ++p;
    if (*p < '0' || *p > '9')
        return false;
    quint64 value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + quint64(*p - '0');
        if (value > 0xFFFFFFFFull)
            return false;
    }
    if (*p != '\0' && *p != ' ' && *p != '\t' && *p != '\r' && *p != '\n')
        return false;
    if (number)
        *number = quint32(value);
    return true;
}

void FrameCounter::frame(quint32 number)
{
    std::lock_guard<std::mutex> locker(m_lock);
    ++m_counts.lines;
    if (m_haveLast) {
        // Unsigned: 0xFFFFFFFF followed by 0 is one step. A difference in the
        // upper half is a number that went back: the Controller counts anew.
        const quint32 d = number - m_last;
        if (d >= 1 && d < 0x80000000u)
            m_counts.lost += qint64(d) - 1;
    }
    m_last = number;
    m_haveLast = true;
}

FrameCounter::Counts FrameCounter::take()
{
    std::lock_guard<std::mutex> locker(m_lock);
    const Counts out = m_counts;
    m_counts = Counts();
    return out;
}

int FrameCounter::takeLines()
{
    std::lock_guard<std::mutex> locker(m_lock);
    const int out = m_counts.lines;
    m_counts.lines = 0;
    return out;
}

qint64 FrameCounter::takeLost()
{
    std::lock_guard<std::mutex> locker(m_lock);
    const qint64 out = m_counts.lost;
    m_counts.lost = 0;
    return out;
}

void FrameCounter::reset()
{
    std::lock_guard<std::mutex> locker(m_lock);
    m_haveLast = false;
}

} // namespace Health
