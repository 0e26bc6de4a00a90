#include "FlightRecorder.h"

#include "CommandsLog.h"
#include "RecordingFormat.h"
#include "Version.h"

#include <QDateTime>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr char EventQuery[] = "quorix2 getmsg";
constexpr char EventPrefix[] = "quorix2 msg ";

} // namespace

FlightRecorder::FlightRecorder()
    : m_steadyBase(std::chrono::steady_clock::now())
    , m_wallBaseUs(QDateTime::currentMSecsSinceEpoch() * 1000)
    , m_windowUs(qint64(DefaultMinutes) * 60 * 1000000)
{
    m_identity.frontendVersion = QuorixVersion::text();
}

void FlightRecorder::setWindowMinutes(int minutes)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_windowUs = qint64(std::clamp(minutes, 1, 120)) * 60 * 1000000;
    trim(m_lastUs);
}

void FlightRecorder::setByteLimit(qint64 bytes)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_byteLimit = std::max<qint64>(bytes, 1024 * 1024);
    trim(m_lastUs);
}

void FlightRecorder::setBlockBytes(int bytes)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_blockBytes = std::clamp(bytes, 1024, RecordingFormat::MaxRawBlock / 2);
}

void FlightRecorder::setIdentity(const QString &name, const QString &serial, const QString &version)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_identity.controllerName = name;
    m_identity.controllerSerial = serial;
    m_identity.controllerVersion = version;
}

void FlightRecorder::clear()
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_blocks.clear();
    m_blockFileBytes = 0;
    m_blockRawBytes = 0;
    m_open.clear();
    m_openRecords = 0;
    m_state.clear();
}

qint64 FlightRecorder::nowUs() const
{
    const auto elapsed = std::chrono::steady_clock::now() - m_steadyBase;
    return m_wallBaseUs + std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count();
}

void FlightRecorder::commandExchanged(const char *command, const char *reply, int code, qint64 sentUs,
                                      qint64 repliedUs)
{
    ChannelRecord r;
    if (std::strcmp(command, EventQuery) == 0) {
        // The event display asks all the time; only what the queue gave counts.
        if (code != 0 || std::strncmp(reply, EventPrefix, sizeof EventPrefix - 1) != 0)
            return;
        r.kind = ChannelRecord::Kind::Event;
        r.timeUs = repliedUs;
        r.text = QByteArray(reply);
    } else {
        r.timeUs = sentUs;
        r.replyUs = repliedUs;
        r.code = code;
        r.text = CommandsLog::masked(QByteArray(command));
        r.reply = CommandsLog::masked(QByteArray(reply));
    }
    std::lock_guard<std::mutex> lock(m_lock);
    append(r);
}

void FlightRecorder::dataReceived(const char *datagram, qint64 arrivedUs)
{
    ChannelRecord r;
    r.kind = ChannelRecord::Kind::Data;
    r.timeUs = arrivedUs;
    r.text = QByteArray(datagram);
    std::lock_guard<std::mutex> lock(m_lock);
    append(r);
}

void FlightRecorder::add(const ChannelRecord &record)
{
    ChannelRecord r = record;
    if (r.kind == ChannelRecord::Kind::Command) {
        r.text = CommandsLog::masked(r.text);
        r.reply = CommandsLog::masked(r.reply);
    }
    std::lock_guard<std::mutex> lock(m_lock);
    append(r);
}

void FlightRecorder::append(const ChannelRecord &record)
{
    if (m_openRecords == 0)
        m_openFirstUs = record.timeUs;
    RecordingFormat::appendRecord(m_open, record);
    ++m_openRecords;
    m_lastUs = std::max(m_lastUs, record.timeUs);
    if (m_open.size() >= m_blockBytes || record.timeUs - m_openFirstUs > MaxBlockAgeUs) {
        seal();
        trim(m_lastUs);
    }
}

void FlightRecorder::seal()
{
    if (m_openRecords == 0)
        return;
    Block b;
    b.file = RecordingFormat::compressBlock(m_open, m_openRecords);
    b.firstUs = m_openFirstUs;
    b.lastUs = m_lastUs;
    b.records = m_openRecords;
    b.rawSize = m_open.size();
    m_open.clear();
    m_openRecords = 0;
    if (b.file.isEmpty())
        return;   // zstd could not: those records are lost, the ring goes on
    m_blockFileBytes += b.file.size();
    m_blockRawBytes += b.rawSize;
    m_blocks.push_back(std::move(b));
}

void FlightRecorder::trim(qint64 nowUs)
{
    while (!m_blocks.empty()
           && (m_blocks.front().lastUs < nowUs - m_windowUs || m_blockFileBytes + m_open.size() > m_byteLimit)) {
        keepState(m_blocks.front(), &m_state);
        m_blockFileBytes -= m_blocks.front().file.size();
        m_blockRawBytes -= m_blocks.front().rawSize;
        m_blocks.pop_front();
    }
}

// The latest reply of each command in the block, for a recording that starts later.
void FlightRecorder::keepState(const Block &block, std::map<QByteArray, ChannelRecord> *state) const
{
    QByteArray raw;
    std::vector<ChannelRecord> records;
    const char *p = block.file.constData() + RecordingFormat::BlockHeaderSize;
    if (!RecordingFormat::decompress(p, block.file.size() - RecordingFormat::BlockHeaderSize, block.rawSize, &raw)
        || !RecordingFormat::decodeRecords(raw, &records))
        return;
    for (ChannelRecord &r : records) {
        if (r.kind != ChannelRecord::Kind::Command || r.code != 0)
            continue;
        const auto it = state->find(r.text);
        if (it != state->end())
            it->second = std::move(r);
        else if (int(state->size()) < MaxStateCommands)
            state->emplace(r.text, std::move(r));
    }
}

QByteArray FlightRecorder::fileBytes(qint64 windowUs) const
{
    std::unique_lock<std::mutex> lock(m_lock);
    const qint64 endUs = m_lastUs;
    const qint64 fromUs = windowUs < 0 ? std::numeric_limits<qint64>::min() : endUs - windowUs;
    std::map<QByteArray, ChannelRecord> state = m_state;
    std::vector<QByteArray> blocks;
    qint64 records = 0;
    qint64 firstUs = 0;
    for (const Block &b : m_blocks) {
        if (b.lastUs < fromUs) {
            keepState(b, &state);
            continue;
        }
        if (blocks.empty())
            firstUs = b.firstUs;
        blocks.push_back(b.file);
        records += b.records;
    }
    QByteArray open;
    int openRecords = 0;
    if (m_openRecords > 0) {
        open = RecordingFormat::compressBlock(m_open, m_openRecords);
        openRecords = m_openRecords;
        if (blocks.empty())
            firstUs = m_openFirstUs;
    }
    RecordingHeader header = m_identity;
    lock.unlock();

    header.savedUs = QDateTime::currentMSecsSinceEpoch() * 1000;
    header.firstUs = firstUs;
    header.lastUs = endUs;
    QByteArray out = RecordingFormat::encodeHeader(header);
    int blockCount = 0;
    if (!state.empty()) {
        // What the front end knew before the first record, as one block of its own.
        QByteArray raw;
        for (const auto &entry : state)
            RecordingFormat::appendRecord(raw, entry.second);
        const QByteArray block = RecordingFormat::compressBlock(raw, int(state.size()));
        if (!block.isEmpty()) {
            out += block;
            ++blockCount;
            records += qint64(state.size());
        }
    }
    for (const QByteArray &b : blocks) {
        out += b;
        ++blockCount;
    }
    if (!open.isEmpty()) {
        out += open;
        ++blockCount;
        records += openRecords;
    }
    out += RecordingFormat::encodeEnd(blockCount, records);
    return out;
}

qint64 FlightRecorder::memoryBytes() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    qint64 state = 0;
    for (const auto &entry : m_state)
        state += entry.first.size() + entry.second.text.size() + entry.second.reply.size() + 64;
    return m_blockFileBytes + m_open.capacity() + state + qint64(m_blocks.size()) * qint64(sizeof(Block));
}

qint64 FlightRecorder::rawBytes() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_blockRawBytes + m_open.size();
}

qint64 FlightRecorder::oldestUs() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_blocks.empty() ? m_openFirstUs : m_blocks.front().firstUs;
}

bool FlightRecorder::isEmpty() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_blocks.empty() && m_openRecords == 0;
}
