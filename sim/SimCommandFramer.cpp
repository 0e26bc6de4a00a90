#include "SimCommandFramer.h"

SimCommandFramer::Result SimCommandFramer::next(QByteArray* out)
{
    for (;;) {
        const int zero = m_buffer.indexOf('\0', m_start);
        if (m_discarding) {
            if (zero < 0) {
                m_buffer.clear();
                m_start = 0;
                return NeedMore;
            }
            m_start = zero + 1;
            m_discarding = false;
            continue;
        }
        if (zero < 0) {
            if (m_start > 0) {
                m_buffer.remove(0, m_start);
                m_start = 0;
            }
            if (m_buffer.size() > MaxCommand) {
                *out = m_buffer.left(MaxCommand);
                m_buffer.clear();
                m_discarding = true;
                return TooLong;
            }
            return NeedMore;
        }
        const int begin = m_start;
        m_start = zero + 1;
        if (zero == begin)
            continue; // a stray zero byte is no command
        *out = m_buffer.mid(begin, zero - begin);
        return Command;
    }
}
