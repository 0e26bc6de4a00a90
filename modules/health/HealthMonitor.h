#pragma once

#include "FrameCounter.h"
#include "HealthRing.h"
#include "MessageReceiver.h"
#include "Requester.h"
#include "StatusSnapshot.h"

#include <QObject>
#include <QString>

class IOManager;
class QTimer;

namespace Health {

// Records the tracking system's state while connected: once a second one
// sample from what the host's status poll read (handed over on the message
// bus, so that nothing is asked twice) and from the frame numbers of the data
// lines, and every event message. Keeps the last hour in a ring and appends
// everything to the day's CSV file beside the event logs; when it learns where
// that file is, the hour before is read back from it, so that a reconnect to
// the same Controller keeps it.
class HealthMonitor : public QObject, public Requester, public MessageReceiver
{
    Q_OBJECT

public:
    static constexpr const char *MessageChannel = "TrackingHealthModule";
    static constexpr const char *FrameKey = "fr";
    static constexpr int SampleIntervalMs = 1000;
    static constexpr qint64 IdleRowIntervalMs = 60000;

    explicit HealthMonitor(IOManager *channel, QObject *parent = nullptr);
    ~HealthMonitor() override;

    // Unregisters from the channel; nothing is recorded afterwards, and the
    // end is an event of its own.
    void detach();
    // Recording; when it ended or the connection was lost (-1: not yet).
    bool isRecording() const { return m_attached; }
    qint64 endedMs() const { return m_endedMs; }
    bool connectionLost() const { return m_lost; }

    const HealthRing &ring() const { return m_ring; }
    QString logDir() const { return m_logDir; }
    // The last CSV write's problem, or empty.
    QString logError() const { return m_logError; }

    // Requester: runs in the channel's data thread.
    int onData(const char *key, const char *line) override;
    void onMeasurementStarted() override;
    void onMeasurementStopped() override;
    // MessageReceiver: the host's status rounds, events and log place.
    int receive(int type, const char *sender, const char *text) override;

    // One sample from what came in since the last; the timer calls it.
    void takeSample(qint64 nowMs);

signals:
    void sampleAdded();
    void eventAdded();
    // The connection was lost or the monitor detached: nothing more comes.
    void recordingEnded();

private:
    void takeStatus(const StatusSnapshot &snapshot);
    void takeEvent(qint64 nowMs, const QString &text);
    void takeLogPlace(const QString &text);
    void takeLoss(qint64 nowMs);
    void noteRunning(qint64 nowMs, const QByteArray &state);
    void writeRows(qint64 nowMs, const QByteArray &rows);

    IOManager *m_channel;
    QTimer *m_timer;
    FrameCounter m_frames;
    HealthRing m_ring;
    StatusSnapshot m_latest;
    // Short drops show: a second's sample keeps the lowest counts its polls saw.
    int m_lowestBodies = -1;
    int m_lowestMarkers = -1;
    bool m_polled = false;
    // Frames this computer dropped, as the host's rounds report them. A drop
    // may be reported a round before its gap shows in the frame numbers, so
    // a round's unmatched drops wait one round for it.
    qint64 m_controllerLost = 0;
    qint64 m_dropped = 0;
    bool m_droppedKnown = false;
    qint64 m_unmatchedDrops = 0;
    int m_running = -1;   // the last known state measured (1) or not (0); -1: unknown
    qint64 m_endedMs = -1;
    bool m_lost = false;
    bool m_readBack = false;
    QByteArray m_lastWrittenState = "?";
    qint64 m_lastWrittenMs = 0;
    QString m_logDir;
    QString m_hostPart;
    QString m_logError;
    bool m_attached = false;
};

} // namespace Health
