#include "RecordingReader.h"

#include "RecordingFormat.h"

#include <QCoreApplication>
#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace {

QString span(qint64 us)
{
    const qint64 s = std::max<qint64>(us, 0) / 1000000;
    return QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
}

void parseHeaderText(const QByteArray &text, RecordingHeader *header)
{
    for (const QByteArray &line : text.split('\n')) {
        const int eq = line.indexOf('=');
        if (eq <= 0)
            continue;
        const QByteArray key = line.left(eq);
        const QByteArray value = line.mid(eq + 1);
        if (key == "controller-name")
            header->controllerName = QString::fromUtf8(value);
        else if (key == "controller-serial")
            header->controllerSerial = QString::fromUtf8(value);
        else if (key == "controller-version")
            header->controllerVersion = QString::fromUtf8(value);
        else if (key == "frontend-version")
            header->frontendVersion = QString::fromUtf8(value);
        else if (key == "saved-us")
            header->savedUs = value.toLongLong();
        else if (key == "first-us")
            header->firstUs = value.toLongLong();
        else if (key == "last-us")
            header->lastUs = value.toLongLong();
    }
}

// The header; the offset of the first block, or -1 with the result's status set.
qint64 readHeaderPart(const QByteArray &bytes, RecordingReader::Result *result)
{
    using namespace RecordingFormat;
    constexpr int fixed = int(sizeof Magic) + 8;
    if (bytes.isEmpty()) {
        result->message = QCoreApplication::translate("RecordingReader", "The file is empty.");
        return -1;
    }
    if (bytes.size() < int(sizeof Magic) || std::memcmp(bytes.constData(), Magic, sizeof Magic) != 0) {
        result->message = QCoreApplication::translate("RecordingReader", "The file is not a QUORIX4 recording.");
        return -1;
    }
    if (bytes.size() < fixed) {
        result->message = QCoreApplication::translate("RecordingReader", "The recording ends inside its header: nothing could be read.");
        return -1;
    }
    const char *p = bytes.constData() + sizeof Magic;
    const quint16 version = qFromLittleEndian<quint16>(p);
    if (version > Version || version == 0) {
        result->status = RecordingReader::Status::NewerVersion;
        result->message = version == 0 ? QCoreApplication::translate("RecordingReader", "The file is not a QUORIX4 recording.")
                                        : QCoreApplication::translate("RecordingReader", "The recording has format version %1; this QUORIX4 reads version %2 "
                                             "and older. Open it with a newer QUORIX4.")
                                              .arg(version)
                                              .arg(Version);
        if (version == 0)
            result->status = RecordingReader::Status::NotARecording;
        return -1;
    }
    const quint32 textSize = qFromLittleEndian<quint32>(p + 4);
    if (textSize > quint32(MaxHeaderText) || quint32(bytes.size() - fixed) < textSize) {
        result->message = QCoreApplication::translate("RecordingReader", "The recording ends inside its header: nothing could be read.");
        return -1;
    }
    parseHeaderText(bytes.mid(fixed, int(textSize)), &result->recording.header);
    result->bytesRead = fixed + textSize;
    return fixed + textSize;
}

} // namespace

RecordingReader::Result RecordingReader::readHeader(const QByteArray &bytes)
{
    Result result;
    if (readHeaderPart(bytes, &result) >= 0)
        result.status = Status::Complete;
    return result;
}

RecordingReader::Result RecordingReader::read(const QByteArray &bytes)
{
    using namespace RecordingFormat;
    Result result;
    qint64 at = readHeaderPart(bytes, &result);
    if (at < 0)
        return result;
    std::vector<ChannelRecord> &records = result.recording.records;
    int blocks = 0;
    QString damage;
    bool ended = false;
    while (at < bytes.size()) {
        const char *p = bytes.constData() + at;
        const qint64 left = bytes.size() - at;
        if (left >= 4 && std::memcmp(p, EndMagic, 4) == 0) {
            if (left < EndSize) {
                damage = QCoreApplication::translate("RecordingReader", "the closing mark is cut off");
                break;
            }
            const quint32 endBlocks = qFromLittleEndian<quint32>(p + 4);
            const quint32 endRecords = qFromLittleEndian<quint32>(p + 8);
            if (endBlocks != quint32(blocks) || endRecords != quint32(records.size()))
                damage = QCoreApplication::translate("RecordingReader", "the closing mark does not match the blocks read");
            else
                ended = true;
            at += EndSize;
            break;
        }
        if (left < BlockHeaderSize) {
            damage = QCoreApplication::translate("RecordingReader", "the file is cut off");
            break;
        }
        if (std::memcmp(p, BlockMagic, 4) != 0) {
            damage = QCoreApplication::translate("RecordingReader", "unknown data at byte %1").arg(at);
            break;
        }
        const quint32 packed = qFromLittleEndian<quint32>(p + 4);
        const quint32 rawSize = qFromLittleEndian<quint32>(p + 8);
        const quint32 count = qFromLittleEndian<quint32>(p + 12);
        if (packed > quint32(left - BlockHeaderSize)) {
            damage = QCoreApplication::translate("RecordingReader", "the file is cut off");
            break;
        }
        QByteArray raw;
        std::vector<ChannelRecord> decoded;
        if (rawSize > quint32(MaxRawBlock) || !decompress(p + BlockHeaderSize, int(packed), int(rawSize), &raw)
            || !decodeRecords(raw, &decoded) || decoded.size() != count) {
            damage = QCoreApplication::translate("RecordingReader", "block %1 is damaged").arg(blocks + 1);
            break;
        }
        records.insert(records.end(), std::make_move_iterator(decoded.begin()),
                       std::make_move_iterator(decoded.end()));
        ++blocks;
        at += BlockHeaderSize + packed;
        result.bytesRead = at;
    }
    if (ended && at < bytes.size())
        damage = QCoreApplication::translate("RecordingReader", "unknown data after the closing mark");
    else if (!ended && damage.isEmpty())
        damage = QCoreApplication::translate("RecordingReader", "the file is cut off");
    if (ended)
        result.bytesRead = at;

    // Records are written in time order; a damaged file must not break that promise.
    std::stable_sort(records.begin(), records.end(),
                     [](const ChannelRecord &a, const ChannelRecord &b) { return a.timeUs < b.timeUs; });
    if (damage.isEmpty()) {
        result.status = Status::Complete;
        return result;
    }
    const qint64 spanUs = records.empty() ? 0 : records.back().timeUs - std::max(records.front().timeUs,
                                                                                   result.recording.header.firstUs);
    result.status = Status::Partial;
    result.message = QCoreApplication::translate("RecordingReader", "The recording is damaged (%1). Read %2 of %3 bytes: %4 records, %5 (min:s) of recording.")
                         .arg(damage)
                         .arg(result.bytesRead)
                         .arg(bytes.size())
                         .arg(records.size())
                         .arg(span(spanUs));
    return result;
}
