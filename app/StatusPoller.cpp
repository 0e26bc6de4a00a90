#include "StatusPoller.h"

#include "AppStatusBar.h"
#include "CamStatusBar.h"
#include "FreqStatusBar.h"
#include "IOManagerUdpTcp.h"
#include "StatusFeed.h"
#include "StatusReadings.h"
#include "TrackingStatusBar.h"

#include <QTimer>

#include <algorithm>
#include <climits>

StatusPoller::StatusPoller(IOManagerUdpTcp *channel, const Bars &bars, QObject *parent)
    : QObject(parent)
    , m_channel(channel)
    , m_bars(bars)
    , m_timer(new QTimer(this))
{
    // The next round comes IntervalMs after this one ended, not at once when a
    // slow Controller made it last longer: the other pollers get their turn.
    m_timer->setInterval(IntervalMs);
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &StatusPoller::onTimer);
}

void StatusPoller::start()
{
    m_stopped = false;
    m_timer->start();
}

void StatusPoller::stop()
{
    m_stopped = true;
    m_timer->stop();
}

void StatusPoller::onTimer()
{
    poll();
    if (!m_stopped && !m_lossReported)
        m_timer->start();
}

bool StatusPoller::isActive() const
{
    return !m_stopped;
}

QString StatusPoller::queryState(IOManagerUdpTcp *channel, bool *ok)
{
    char state[IOManager::BufferSize] = "";
    *ok = channel->getString(state, "status active") == 0;
    return QString::fromLatin1(state);
}

void StatusPoller::poll()
{
    if (!m_channel || m_channel->isBusy() || m_lossReported)
        return;
    const CommandChannel::PollScope polling(m_channel);
    bool ok = false;
    const QString state = queryState(m_channel, &ok);
    if (!ok) {
        // A broken channel is lost now; a single late answer may be chance.
        if (m_channel->isBroken() || ++m_failedPolls > 1) {
            m_lossReported = true;
            m_failedPolls = 0;
            emit connectionLost();
        }
        return;
    }
    m_failedPolls = 0;

    const QByteArray status = state.toLatin1();
    if (m_bars.app)
        m_bars.app->update_status();
    if (m_bars.cameras)
        m_bars.cameras->update_status(status.constData());
    if (m_bars.tracking)
        m_bars.tracking->update_status(status.constData());
    if (m_bars.frequency)
        m_bars.frequency->update_status(status.constData());
    publishReadings(status);
    if (m_channel->isBroken()) {
        m_lossReported = true;
        emit connectionLost();
        return;
    }
    noteForeignData();
    const int slowestMs = m_channel->takeSlowestReplyMs();
    if (slowestMs > SlowReplyMs)
        emit slowController(slowestMs);
    emit stateRead(state);
}

// Datagrams from anyone but the Controller never reach the views; the user
// learns that they come, at most once a minute.
void StatusPoller::noteForeignData()
{
    const unsigned foreign = m_channel->foreignDatagrams();
    if (foreign <= m_foreignNoted || (m_foreignNoted > 0 && m_foreignClock.elapsed() < ForeignNoteIntervalMs))
        return;
    m_foreignNoted = foreign;
    m_foreignClock.start();
    const QString text = tr("Measurement data from another sender ignored (%1 datagrams so far): only the "
                            "Controller's own data is shown.")
                             .arg(foreign);
    m_channel->sendMessage("standard", "QUORIX4", 1, text.toUtf8().constData());
}

// What this round read goes to the modules, so that none of them asks again.
void StatusPoller::publishReadings(const QByteArray &status)
{
    if (!m_bars.feed)
        return;
    StatusReadings readings;
    readings.active = status;
    if (m_bars.frequency) {
        readings.frequency = m_bars.frequency->readFrequency();
        readings.framesLost = m_bars.frequency->readFramesLost();
    }
    if (m_bars.tracking) {
        readings.bodies = m_bars.tracking->readBodies();
        readings.markers = m_bars.tracking->readMarkers();
    }
    if (m_bars.cameras)
        readings.rays = m_bars.cameras->readRays();
    readings.framesDropped = int(std::min<unsigned>(m_channel->takeSkippedDatagrams(), INT_MAX));
    m_bars.feed->publish(readings);
}
