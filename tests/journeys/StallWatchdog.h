#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// Notices a GUI thread that processes no events: the thread beats from a
// timer, and when no beat comes for longer than the limit the watchdog's own
// thread calls the handler. Armed by the first beat; disarmed while the
// program has no event loop on purpose (between a window and the next).
class StallWatchdog
{
public:
    StallWatchdog(int limitMs, std::function<void()> onStall);
    ~StallWatchdog();

    StallWatchdog(const StallWatchdog &) = delete;
    StallWatchdog &operator=(const StallWatchdog &) = delete;

    void beat();
    // The longest time between two beats while armed: how near a run came
    // to the limit. The beating thread's.
    long long longestGapMs() const { return m_longestGapMs; }
    void disarm();

private:
    void watch();

    const std::chrono::milliseconds m_limit;
    std::function<void()> m_onStall;
    std::atomic<long long> m_lastBeatMs{0};
    std::atomic<bool> m_armed{false};
    long long m_longestGapMs = 0;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    std::thread m_thread;
};
