#pragma once

#include <QtGlobal>

#include <mutex>

namespace Health {

// "fr 123" -> 123. False for any other line, a missing number or one beyond
// 32 bits. Digits may be followed by blanks or a line end, nothing else.
bool parseFrameLine(const char *line, quint32 *number);

// Counts frame lines and the frames missing between their numbers. frame()
// runs on the channel's data thread, take() on the GUI thread: the lock is
// held for a few instructions only, so the data thread never waits long.
class FrameCounter
{
public:
    struct Counts
    {
        int lines = 0;
        qint64 lost = 0;
    };

    void frame(quint32 number);
    // The counts since the last take, then zeroed.
    Counts take();
    // The same for one of the two counts, the other left standing.
    int takeLines();
    qint64 takeLost();
    // A new measurement: its first frame is not compared with the old run's.
    void reset();

private:
    std::mutex m_lock;
    Counts m_counts;
    quint32 m_last = 0;
    bool m_haveLast = false;
};

} // namespace Health
