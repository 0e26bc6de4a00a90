#include "ReplayChannel.h"

#include "Requester.h"


#include <algorithm>
#include <cstring>

namespace {

constexpr char StateQuery[] = "quorix2 get status active";
constexpr char EventQuery[] = "quorix2 getmsg";
constexpr char NoEvent[] = "quorix2 ok";

void copyReply(char *out, const QByteArray &text)
{
    const int n = std::min(text.size(), IOManager::BufferSize - 1);
    std::memcpy(out, text.constData(), size_t(n));
    out[n] = '\0';
}

} // namespace

ReplayChannel::ReplayChannel(std::shared_ptr<const RecordingIndex> recording, MessageBoxProvider *provider)
    : IOManagerUdpTcp(provider)
    , m_recording(std::move(recording))
{
    m_asyncReply[0] = '\0';
    m_anchorUs = m_recording->startUs();
    m_anchorTime = Clock::now();
    m_cursor = m_recording->firstAfter(m_anchorUs);
    m_nextEvent = m_cursor;
    m_worker = std::thread([this] { workerLoop(); });
}

ReplayChannel::~ReplayChannel()
{
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_stop = true;
    }
    m_wake.notify_all();
    m_worker.join();
}

bool ReplayChannel::changesController(const QByteArray &command)
{
    if (command.startsWith("quorix2 set "))
        return !command.startsWith("quorix2 set output ");
    return command.startsWith("quorix2 tracking ") || command.startsWith("quorix2 cal ")
        || command == "quorix2 system reboot" || command == "quorix2 system shutdown" || command == "quorix2 reinit";
}

qint64 ReplayChannel::positionLocked(Clock::time_point now) const
{
    if (!m_playing)
        return m_anchorUs;
    const double elapsedUs = double(std::chrono::duration_cast<std::chrono::microseconds>(now - m_anchorTime).count());
    return std::min(m_recording->endUs(), m_anchorUs + qint64(elapsedUs * m_speed));
}

qint64 ReplayChannel::positionUs() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return positionLocked(Clock::now());
}

void ReplayChannel::play()
{
    {
        std::lock_guard<std::mutex> lock(m_lock);
        if (m_playing)
            return;
        if (m_anchorUs >= m_recording->endUs()) {
            // Played to the end: again from the start.
            m_anchorUs = m_recording->startUs();
            m_cursor = m_recording->firstAfter(m_anchorUs);
            m_nextEvent = m_cursor;
        }
        m_anchorTime = Clock::now();
        m_playing = true;
    }
    m_wake.notify_all();
}

void ReplayChannel::pause()
{
    std::lock_guard<std::mutex> lock(m_lock);
    const Clock::time_point now = Clock::now();
    m_anchorUs = positionLocked(now);
    m_anchorTime = now;
    m_playing = false;
}

bool ReplayChannel::isPlaying() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_playing;
}

bool ReplayChannel::atEnd() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return positionLocked(Clock::now()) >= m_recording->endUs();
}

void ReplayChannel::setSpeed(double speed)
{
    {
        std::lock_guard<std::mutex> lock(m_lock);
        const Clock::time_point now = Clock::now();
        m_anchorUs = positionLocked(now);
        m_anchorTime = now;
        m_speed = std::clamp(speed, MinSpeed, MaxSpeed);
    }
    m_wake.notify_all();
}

double ReplayChannel::speed() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_speed;
}

void ReplayChannel::seek(qint64 us)
{
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_anchorUs = std::clamp(us, m_recording->startUs(), m_recording->endUs());
        m_anchorTime = Clock::now();
        // What lies between is skipped, data and events alike: a jump is no replay.
        m_cursor = m_recording->firstAfter(m_anchorUs);
        m_nextEvent = m_cursor;
    }
    m_wake.notify_all();
}

void ReplayChannel::workerLoop()
{
    const auto &records = m_recording->records();
    std::unique_lock<std::mutex> lock(m_lock);
    while (!m_stop) {
        if (!m_playing) {
            m_wake.wait(lock);
            continue;
        }
        const Clock::time_point now = Clock::now();
        const qint64 position = positionLocked(now);
        std::vector<QByteArray> due;
        for (; m_cursor < records.size() && records[m_cursor].timeUs <= position; ++m_cursor)
            if (records[m_cursor].kind == ChannelRecord::Kind::Data && isRunning())
                due.push_back(records[m_cursor].text);
        if (position >= m_recording->endUs()) {
            m_anchorUs = m_recording->endUs();
            m_anchorTime = now;
            m_playing = false;
        }
        lock.unlock();
        for (const QByteArray &datagram : due)
            deliver(datagram);
        lock.lock();
        if (!m_playing || m_stop)
            continue;
        // Until the next record falls due, at most 50 ms (speed and seeks change it).
        qint64 waitUs = 50000;
        if (m_cursor < records.size())
            waitUs = std::min<qint64>(waitUs, qint64(double(records[m_cursor].timeUs - position) / m_speed));
        m_wake.wait_for(lock, std::chrono::microseconds(std::max<qint64>(waitUs, 500)));
    }
}

// As the live channel hands a datagram on.
void ReplayChannel::deliver(const QByteArray &datagram)
{
    QByteArray text = datagram;
    m_dataListeners.deliverDatagram(text.data());
}

int ReplayChannel::addDataListener(const char *key, Requester *requester)
{
    return m_dataListeners.add(QByteArray(key), requester) ? 0 : -1;
}

int ReplayChannel::removeDataListener(const char *key, Requester *requester)
{
    return m_dataListeners.remove(QByteArray(key), requester) ? 0 : -1;
}

QByteArray ReplayChannel::answer(const QByteArray &command)
{
    if (changesController(command))
        return RefusedReply;
    if (command == "quorix2 init")
        return "quorix2 ok";
    std::lock_guard<std::mutex> lock(m_lock);
    const qint64 position = positionLocked(Clock::now());
    if (command == EventQuery) {
        const auto &records = m_recording->records();
        for (; m_nextEvent < records.size() && records[m_nextEvent].timeUs <= position; ++m_nextEvent)
            if (records[m_nextEvent].kind == ChannelRecord::Kind::Event)
                return records[m_nextEvent++].text;
        return NoEvent;
    }
    if (command.startsWith("quorix2 set output "))
        return "quorix2 ok";
    if (const ChannelRecord *recorded = m_recording->reply(command, position))
        return recorded->reply;
    return UnknownReply;
}

int ReplayChannel::exchange(char *reply, const char *command)
{
    if (waitsCancelled()) {
        reply[0] = '\0';
        return -1;
    }
    if (std::strlen(command) > size_t(MaxCommandLength))
        return -1;
    const QByteArray text(command);
    if (m_next.pending && m_next.async) {
        copyReply(m_asyncReply, answer(text));
        m_asyncReady = true;
        return 1;
    }
    const QByteArray answered = answer(text);
    // What the recording never asked has no answer; a box for each such
    // question (the About dialog, the close) would only be noise.
    if (answered == UnknownReply)
        m_next.quiet = true;
    copyReply(reply, answered);
    noteState(text, reply);
    return 0;
}

// Only the requesters' notices: there is no Controller to open the data's way from.
int ReplayChannel::notifyMeasurementStarted()
{
    return CommandChannel::notifyMeasurementStarted();
}

int ReplayChannel::pollAsyncReply()
{
    if (!m_asyncCaller || !m_asyncReady)
        return -12;
    m_asyncReady = false;
    std::strcpy(m_asyncCaller, m_asyncReply);
    noteState(QByteArray(m_lastCommand), m_asyncCaller);
    return 1;
}

// As the live channel does: the state query's answer starts and ends the
// measurement for the requesters.
void ReplayChannel::noteState(const QByteArray &command, const char *reply)
{
    if (command != StateQuery)
        return;
    const bool measuring = std::strcmp(reply, "quorix2 set status active mea") == 0
        || std::strcmp(reply, "quorix2 set status active cal") == 0;
    if (measuring != isRunning())
        noteChange(measuring ? Change::Started : Change::Stopped);
}
