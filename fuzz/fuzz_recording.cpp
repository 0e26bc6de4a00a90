// Recording files: any bytes are read without a crash, up to their damage.
// What is read is in time order and within the limits, and written again it
// reads back whole and the same. The input as one data line gives CSV rows of
// 17 fields, no more rows than it has targets.
#include "FuzzCheck.h"
#include "RecordingFormat.h"
#include "RecordingReader.h"
#include "TargetCsv.h"

#include <QByteArray>
#include <QList>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    const QByteArray csv = TargetCsv::rows(bytes, 1000000, 0);
    FUZZ_CHECK(csv.count('\n') <= bytes.count(" ["));
    for (const QByteArray &row : csv.split('\n'))
        FUZZ_CHECK(row.isEmpty() || row.count(',') == 16);

    const RecordingReader::Result r = RecordingReader::read(bytes);
    FUZZ_CHECK(r.bytesRead >= 0 && r.bytesRead <= bytes.size());
    FUZZ_CHECK((r.status == RecordingReader::Status::Complete) == r.message.isEmpty());
    const auto &records = r.recording.records;
    if (r.status != RecordingReader::Status::Complete && r.status != RecordingReader::Status::Partial)
        FUZZ_CHECK(records.empty());
    QByteArray raw;
    for (size_t i = 0; i < records.size(); ++i) {
        FUZZ_CHECK(i == 0 || records[i - 1].timeUs <= records[i].timeUs);
        FUZZ_CHECK(records[i].text.size() <= RecordingFormat::MaxRecordText);
        FUZZ_CHECK(records[i].reply.size() <= RecordingFormat::MaxRecordText);
        RecordingFormat::appendRecord(raw, records[i]);
    }
    if (records.empty() || raw.size() > RecordingFormat::MaxRawBlock)
        return 0;
    const QByteArray again = RecordingFormat::encodeHeader(r.recording.header)
        + RecordingFormat::compressBlock(raw, int(records.size())) + RecordingFormat::encodeEnd(1, qint64(records.size()));
    const RecordingReader::Result back = RecordingReader::read(again);
    FUZZ_CHECK(back.status == RecordingReader::Status::Complete);
    FUZZ_CHECK(back.recording.records.size() == records.size());
    for (size_t i = 0; i < records.size(); ++i) {
        FUZZ_CHECK(back.recording.records[i].kind == records[i].kind);
        FUZZ_CHECK(back.recording.records[i].text == records[i].text);
    }
    return 0;
}
