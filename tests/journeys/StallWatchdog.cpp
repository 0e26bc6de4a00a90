#include "StallWatchdog.h"

#include <algorithm>

namespace {

long long nowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

StallWatchdog::StallWatchdog(int limitMs, std::function<void()> onStall)
    : m_limit(limitMs)
    , m_onStall(std::move(onStall))
    , m_thread(&StallWatchdog::watch, this)
{
}

StallWatchdog::~StallWatchdog()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void StallWatchdog::beat()
{
    const long long now = nowMs();
    if (m_armed)
        m_longestGapMs = std::max(m_longestGapMs, now - m_lastBeatMs);
    m_lastBeatMs = now;
    m_armed = true;
}

void StallWatchdog::disarm()
{
    m_armed = false;
}

void StallWatchdog::watch()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_wake.wait_for(lock, std::chrono::milliseconds(100), [this] { return m_stop; })) {
        if (m_armed && nowMs() - m_lastBeatMs > m_limit.count()) {
            m_onStall();
            m_armed = false;
        }
    }
}
