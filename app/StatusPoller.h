#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>

class AppStatusBar;
class CamStatusBar;
class FreqStatusBar;
class IOManagerUdpTcp;
class StatusFeed;
class QTimer;
class TrackingStatusBar;

// The 200 ms status round: asks the Controller for its measurement state,
// lets the status bars read their values, hands the round's readings to the
// modules, and tells the window what it saw. A round is skipped while the
// channel is busy. Its queries never raise a box (a refused one is said once
// in the event display), and a Controller that answers slowly is named.
class StatusPoller : public QObject
{
    Q_OBJECT

public:
    struct Bars
    {
        AppStatusBar *app = nullptr;
        CamStatusBar *cameras = nullptr;
        TrackingStatusBar *tracking = nullptr;
        FreqStatusBar *frequency = nullptr;
        StatusFeed *feed = nullptr;
    };

    static constexpr int IntervalMs = 200;
    // A reply slower than this is worth a word in the status bar.
    static constexpr int SlowReplyMs = 1000;

    StatusPoller(IOManagerUdpTcp *channel, const Bars &bars, QObject *parent = nullptr);

    void start();
    void stop();
    bool isActive() const;

    // "status active" as the Controller said it; ok is false when it could not be read.
    static QString queryState(IOManagerUdpTcp *channel, bool *ok);

public slots:
    void poll();

signals:
    // The state read in this round ("none", "mea", "wait", ...).
    void stateRead(const QString &state);
    // Two rounds in a row without an answer, or the channel broke.
    void connectionLost();
    // The latest reply took replyMs: the Controller is slow, not the window.
    void slowController(int replyMs);

private:
    void onTimer();
    void publishReadings(const QByteArray &status);
    void noteForeignData();

    static constexpr int ForeignNoteIntervalMs = 60000;

    IOManagerUdpTcp *m_channel;
    Bars m_bars;
    QTimer *m_timer;
    int m_failedPolls = 0;
    bool m_lossReported = false;
    bool m_stopped = true;
    unsigned m_foreignNoted = 0;
    QElapsedTimer m_foreignClock;
};
