#include "RecordingFormat.h"

#include <QtEndian>

#include <zstd.h>

#include <cstring>

namespace RecordingFormat {

namespace {

template <typename T>
void put(QByteArray &out, T value)
{
    char bytes[sizeof(T)];
    qToLittleEndian(value, bytes);
    out.append(bytes, int(sizeof(T)));
}

void putText(QByteArray &out, const QByteArray &text)
{
    put<quint32>(out, quint32(text.size()));
    out.append(text);
}

// Header values stay on their line.
QByteArray headerValue(const QString &text)
{
    QByteArray value = text.toUtf8();
    value.replace('\n', ' ');
    value.replace('\r', ' ');
    return value;
}

class Cursor
{
public:
    explicit Cursor(const QByteArray &raw) : m_p(raw.constData()), m_end(raw.constData() + raw.size()) {}

    bool atEnd() const { return m_p == m_end; }

    template <typename T>
    bool take(T *value)
    {
        if (m_end - m_p < qint64(sizeof(T)))
            return false;
        *value = qFromLittleEndian<T>(m_p);
        m_p += sizeof(T);
        return true;
    }

    bool takeText(QByteArray *text)
    {
        quint32 size = 0;
        if (!take(&size) || size > quint32(MaxRecordText) || quint32(m_end - m_p) < size)
            return false;
        *text = QByteArray(m_p, int(size));
        m_p += size;
        return true;
    }

private:
    const char *m_p;
    const char *m_end;
};

} // namespace

QByteArray encodeHeader(const RecordingHeader &header)
{
    QByteArray text;
    auto line = [&text](const char *key, const QByteArray &value) { text += key + ('=' + value) + '\n'; };
    line("controller-name", headerValue(header.controllerName));
    line("controller-serial", headerValue(header.controllerSerial));
    line("controller-version", headerValue(header.controllerVersion));
    line("frontend-version", headerValue(header.frontendVersion));
    line("saved-us", QByteArray::number(header.savedUs));
    line("first-us", QByteArray::number(header.firstUs));
    line("last-us", QByteArray::number(header.lastUs));
    text.truncate(MaxHeaderText);

    QByteArray out(Magic, sizeof Magic);
    put<quint16>(out, Version);
    put<quint16>(out, 0);
    put<quint32>(out, quint32(text.size()));
    out += text;
    return out;
}

void appendRecord(QByteArray &raw, const ChannelRecord &record)
{
    put<quint8>(raw, quint8(record.kind));
    put<qint64>(raw, record.timeUs);
    if (record.kind == ChannelRecord::Kind::Command) {
        put<qint64>(raw, record.replyUs);
        put<qint32>(raw, record.code);
        putText(raw, record.text.left(MaxRecordText));
        putText(raw, record.reply.left(MaxRecordText));
    } else {
        putText(raw, record.text.left(MaxRecordText));
    }
}

QByteArray compressBlock(const QByteArray &raw, int records, int level)
{
    if (raw.size() > MaxRawBlock)
        return QByteArray();
    QByteArray out(BlockMagic, sizeof BlockMagic);
    const size_t bound = ZSTD_compressBound(size_t(raw.size()));
    out.resize(BlockHeaderSize + int(bound));
    ZSTD_CCtx *context = ZSTD_createCCtx();
    if (!context)
        return QByteArray();
    ZSTD_CCtx_setParameter(context, ZSTD_c_compressionLevel, level);
    ZSTD_CCtx_setParameter(context, ZSTD_c_checksumFlag, 1);
    const size_t n = ZSTD_compress2(context, out.data() + BlockHeaderSize, bound, raw.constData(), size_t(raw.size()));
    ZSTD_freeCCtx(context);
    if (ZSTD_isError(n))
        return QByteArray();
    out.resize(BlockHeaderSize + int(n));
    qToLittleEndian<quint32>(quint32(n), out.data() + 4);
    qToLittleEndian<quint32>(quint32(raw.size()), out.data() + 8);
    qToLittleEndian<quint32>(quint32(records), out.data() + 12);
    return out;
}

QByteArray encodeEnd(int blocks, qint64 records)
{
    QByteArray out(EndMagic, sizeof EndMagic);
    put<quint32>(out, quint32(blocks));
    put<quint32>(out, quint32(records));
    return out;
}

bool decompress(const char *data, int size, int rawSize, QByteArray *raw)
{
    if (rawSize < 0 || rawSize > MaxRawBlock || size <= 0)
        return false;
    const unsigned long long content = ZSTD_getFrameContentSize(data, size_t(size));
    // The frame need not say its size (a streaming writer cannot); the block does.
    if (content != ZSTD_CONTENTSIZE_UNKNOWN && content != (unsigned long long)rawSize)
        return false;
    raw->resize(rawSize);
    const size_t n = ZSTD_decompress(raw->data(), size_t(rawSize), data, size_t(size));
    return !ZSTD_isError(n) && n == size_t(rawSize);
}

bool decodeRecords(const QByteArray &raw, std::vector<ChannelRecord> *out)
{
    Cursor in(raw);
    while (!in.atEnd()) {
        ChannelRecord r;
        quint8 kind = 0;
        if (!in.take(&kind) || !in.take(&r.timeUs))
            return false;
        switch (ChannelRecord::Kind(kind)) {
        case ChannelRecord::Kind::Command: {
            qint32 code = 0;
            if (!in.take(&r.replyUs) || !in.take(&code) || !in.takeText(&r.text) || !in.takeText(&r.reply))
                return false;
            r.code = code;
            break;
        }
        case ChannelRecord::Kind::Data:
        case ChannelRecord::Kind::Event:
            if (!in.takeText(&r.text))
                return false;
            break;
        default:
            return false;
        }
        r.kind = ChannelRecord::Kind(kind);
        out->push_back(std::move(r));
    }
    return true;
}

} // namespace RecordingFormat
