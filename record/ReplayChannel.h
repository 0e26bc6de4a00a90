#pragma once

#include "DataListeners.h"
#include "IOManagerUdpTcp.h"
#include "RecordingIndex.h"

#include <QByteArray>
#include <QObject>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

// A channel that plays a recording back, with no network at all. Commands are
// answered from the recorded replies as of the replay's position; the
// measurement data is handed to the listeners on a thread of its own with its
// recorded timing, scaled by the speed; "getmsg" gives the recorded events
// as they fall due. What would change the Controller (set, start, stop,
// reboot, calibration, hardware search) is refused with "This is a replay";
// the front end's own data routing ("set output …") and "init" are taken
// and do nothing.
//
// The window and its status bars hold the channel as the TCP channel they
// were built for; this one is that channel with every socket left closed:
// never broken, no stranger's datagrams, nothing skipped.
class ReplayChannel : public IOManagerUdpTcp
{
public:
    static constexpr double MinSpeed = 0.25;
    static constexpr double MaxSpeed = 4.0;
    static constexpr const char *RefusedReply = "quorix2 err -5 \"This is a replay\"";
    static constexpr const char *UnknownReply = "quorix2 err -2 \"This is a replay: not in the recording\"";

    ReplayChannel(std::shared_ptr<const RecordingIndex> recording, MessageBoxProvider *provider);
    ~ReplayChannel() override;

    int addDataListener(const char *key, Requester *requester) override;
    int removeDataListener(const char *key, Requester *requester) override;
    int pollAsyncReply() override;
    int notifyMeasurementStarted() override;
    int exchange(char *reply, const char *command) override;

    const RecordingIndex &recording() const { return *m_recording; }
    void play();
    void pause();
    bool isPlaying() const;
    bool atEnd() const;
    // Clamped to MinSpeed … MaxSpeed.
    void setSpeed(double speed);
    double speed() const;
    // A moment of the recording (µs since the epoch), clamped to its span.
    void seek(qint64 us);
    qint64 positionUs() const;

    // Whether a command would change the Controller: refused in a replay.
    static bool changesController(const QByteArray &command);

private:
    using Clock = std::chrono::steady_clock;

    qint64 positionLocked(Clock::time_point now) const;
    void workerLoop();
    void deliver(const QByteArray &datagram);
    QByteArray answer(const QByteArray &command);
    void noteState(const QByteArray &command, const char *reply);

    std::shared_ptr<const RecordingIndex> m_recording;

    mutable std::mutex m_lock;          // position, speed, cursors
    std::condition_variable m_wake;
    bool m_playing = false;
    bool m_stop = false;
    double m_speed = 1.0;
    qint64 m_anchorUs = 0;              // the position at m_anchorTime
    Clock::time_point m_anchorTime;
    size_t m_cursor = 0;                  // the next record to hand out
    size_t m_nextEvent = 0;             // where the search for the next event starts

    DataListeners m_dataListeners;

    char m_asyncReply[BufferSize];
    bool m_asyncReady = false;
    std::thread m_worker;
};
