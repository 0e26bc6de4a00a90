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
    const qint64 nowMs = QDateTime::currentMSecsSinceEpoch();
    // The file says why its rows end here.
    if (!m_lost)
        takeEvent(nowMs, tr("Recording ended: disconnected from the Controller"));
    m_attached = false;
    if (m_endedMs < 0)
        m_endedMs = nowMs;
    m_channel->removeMessageReceiver(MessageChannel, this);
    m_channel->removeDataListener(FrameKey, this);
    m_channel->removeRequester(this);
    emit recordingEnded();
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
    case 4:
        takeLoss(QDateTime::currentMSecsSinceEpoch());
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
    if (snapshot.framesDropped < 0)
        return;
    // The gaps up to this round against the drops reported in it: what the
    // drops do not explain went missing before this computer.
    const qint64 gaps = m_frames.takeLost();
    const qint64 drops = m_unmatchedDrops + snapshot.framesDropped;
    const qint64 matched = std::min(gaps, drops);
    m_controllerLost += gaps - matched;
    m_unmatchedDrops = std::min<qint64>(drops - matched, snapshot.framesDropped);
    m_dropped += snapshot.framesDropped;
    m_droppedKnown = true;
}

void HealthMonitor::takeLoss(qint64 nowMs)
{
    if (m_lost)
        return;
    m_lost = true;
    m_endedMs = nowMs;
    takeEvent(nowMs, tr("Connection to the Controller lost"));
    emit recordingEnded();
}

// Starts and stops are marks of their own: a period without measurement is
// then told apart from one without data.
void HealthMonitor::noteRunning(qint64 nowMs, const QByteArray &state)
{
    if (state.isEmpty())
        return;
    const int running = state == "mea" || state == "cal" || state == "wait" ? 1 : 0;
    if (m_running >= 0 && running != m_running)
        takeEvent(nowMs, running ? tr("Measurement started") : tr("Measurement stopped"));
    m_running = running;
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
    if (m_logDir.isEmpty())
        return;
    HealthLogFile::deleteOld(m_logDir, QDate::currentDate());
    if (m_readBack || m_hostPart.isEmpty())
        return;
    m_readBack = true;
    // This run has written nothing yet: the file holds an earlier run's
    // record, which goes before anything this run holds already.
    qint64 before = QDateTime::currentMSecsSinceEpoch();
    if (!m_ring.samples().empty())
        before = std::min(before, m_ring.samples().front().msecsSinceEpoch);
    if (!m_ring.events().empty())
        before = std::min(before, m_ring.events().front().msecsSinceEpoch);
    std::vector<HealthSample> samples;
    std::vector<HealthEvent> events;
    HealthLogFile::readBack(m_logDir, m_hostPart, before - m_ring.spanMs(), before, &samples, &events);
    if (samples.empty() && events.empty())
        return;
    m_ring.addOlder(samples, events);
    emit sampleAdded();
}

void HealthMonitor::takeSample(qint64 nowMs)
{
    FrameCounter::Counts counts;
    counts.lines = m_frames.takeLines();
    // Without the host's count of drops the gaps are all there is; with it,
    // the gaps since the last round wait for the next round's drops.
    counts.lost = m_droppedKnown ? m_controllerLost : m_controllerLost + m_frames.takeLost();
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
    sample.framesLost = counts.lines > 0 || counts.lost > 0 ? counts.lost : (measuring ? 0 : -1);
    sample.framesDropped = sample.framesLost >= 0 && m_droppedKnown ? m_dropped : -1;
    m_polled = false;
    m_lowestBodies = m_lowestMarkers = -1;
    m_controllerLost = m_dropped = 0;
    m_droppedKnown = false;
    noteRunning(nowMs, sample.state);
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
