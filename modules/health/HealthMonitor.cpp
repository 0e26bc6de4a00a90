#include "HealthMonitor.h"

#include "HealthCsv.h"
#include "HealthLogFile.h"
#include "IOManager.h"

#include <QDateTime>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstring>

namespace Health {

namespace {

int lowest(int kept, int now)
{
    if (now < 0)
        return kept;
    return kept < 0 ? now : std::min(kept, now);
}

} // namespace

HealthMonitor::HealthMonitor(IOManager *channel, QObject *parent)
    : QObject(parent)
    , m_channel(channel)
    , m_timer(new QTimer(this))
{
    m_timer->setInterval(SampleIntervalMs);
    connect(m_timer, &QTimer::timeout, this, [this] { takeSample(QDateTime::currentMSecsSinceEpoch()); });
    if (!m_channel)
        return;
    m_channel->addRequester(this);
    m_channel->addDataListener(FrameKey, this);
    m_channel->addMessageReceiver(MessageChannel, this);
    m_attached = true;
    m_timer->start();
}

HealthMonitor::~HealthMonitor()
{
    detach();
}

void HealthMonitor::detach()
{
    m_timer->stop();
    if (!m_attached)
        return;
    m_attached = false;
    m_channel->removeMessageReceiver(MessageChannel, this);
    m_channel->removeDataListener(FrameKey, this);
    m_channel->removeRequester(this);
}

int HealthMonitor::onData(const char *, const char *line)
{
    quint32 number = 0;
    if (!line || !parseFrameLine(line, &number))
        return -2;
    m_frames.frame(number);
    return 0;
}

void HealthMonitor::onMeasurementStarted()
{
    m_frames.reset();
}

void HealthMonitor::onMeasurementStopped()
{
}

int HealthMonitor::receive(int type, const char *sender, const char *text)
{
    if (!sender || !text || std::strcmp(sender, "Quorix2") != 0)
        return 0;
    const QByteArray bytes(text);
    // The bus may deliver from another thread; the ring is the GUI thread's.
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(this, [this, type, bytes] { receive(type, "Quorix2", bytes.constData()); },
                                  Qt::QueuedConnection);
        return 0;
    }
    if (!m_attached)
        return 0;
    switch (type) {
    case 1:
        takeStatus(parseStatusSnapshot(bytes));
        break;
    case 2:
        takeEvent(QDateTime::currentMSecsSinceEpoch(), QString::fromUtf8(bytes));
        break;
    case 3:
        takeLogPlace(QString::fromUtf8(bytes));
        break;
    default:
        break;
    }
    return 0;
}

void HealthMonitor::takeStatus(const StatusSnapshot &snapshot)
{
    m_latest = snapshot;
    m_lowestBodies = lowest(m_lowestBodies, snapshot.bodies);
    m_lowestMarkers = lowest(m_lowestMarkers, snapshot.markers);
    m_polled = true;
}

void HealthMonitor::takeEvent(qint64 nowMs, const QString &text)
{
    HealthEvent event;
    event.msecsSinceEpoch = nowMs;
    event.text = text;
    m_ring.addEvent(event);
    writeRows(nowMs, csvRow(event));
    emit eventAdded();
}

void HealthMonitor::takeLogPlace(const QString &text)
{
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("logdir=")))
            m_logDir = line.mid(7);
        else if (line.startsWith(QLatin1String("host=")))
            m_hostPart = line.mid(5);
    }
    if (!m_logDir.isEmpty())
        HealthLogFile::deleteOld(m_logDir, QDate::currentDate());
}

void HealthMonitor::takeSample(qint64 nowMs)
{
    const FrameCounter::Counts counts = m_frames.take();
    HealthSample sample;
    sample.msecsSinceEpoch = nowMs;
    if (m_polled) {
        sample.state = m_latest.active;
        sample.frequency = m_latest.frequency;
        sample.bodies = m_lowestBodies;
        sample.markers = m_lowestMarkers;
        sample.rays = m_latest.rays;
    }
    const bool measuring = sample.state == "mea" || sample.state == "cal";
    sample.dataLines = counts.lines;
    // Without a single frame line there is nothing to count losses against.
    sample.framesLost = counts.lines > 0 ? counts.lost : (measuring ? 0 : -1);
    m_polled = false;
    m_lowestBodies = m_lowestMarkers = -1;
    m_ring.add(sample);
    // Idle seconds are alike: the file gets one a minute, and every change.
    if (measuring || sample.state != m_lastWrittenState || nowMs - m_lastWrittenMs >= IdleRowIntervalMs) {
        writeRows(nowMs, csvRow(sample));
        m_lastWrittenState = sample.state;
        m_lastWrittenMs = nowMs;
    }
    emit sampleAdded();
}

void HealthMonitor::writeRows(qint64 nowMs, const QByteArray &rows)
{
    if (m_logDir.isEmpty() || m_hostPart.isEmpty())
        return;
    m_logError = HealthLogFile::append(m_logDir, m_hostPart, QDateTime::fromMSecsSinceEpoch(nowMs), rows);
}

} // namespace Health
