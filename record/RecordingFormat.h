#pragma once

#include "ChannelRecord.h"
#include "RecordingHeader.h"

#include <QByteArray>

#include <vector>

// The pieces of a recording file (doc/recording-format.md): the header, blocks
// of records compressed with zstd, and the closing mark. Everything is little
// endian.
namespace RecordingFormat {

constexpr char Magic[8] = {'Q', 'X', '4', 'R', 'E', 'C', '\x1a', '\n'};
constexpr quint16 Version = 1;
constexpr char BlockMagic[4] = {'Q', 'X', 'B', '1'};
constexpr char EndMagic[4] = {'Q', 'X', 'E', '1'};
constexpr int BlockHeaderSize = 16;   // magic, compressed size, raw size, records
constexpr int EndSize = 12;           // magic, blocks, records
constexpr int MaxHeaderText = 65536;
// What a reader accepts: nothing a writer makes is larger, and a damaged size
// field cannot make the reader reserve gigabytes.
constexpr int MaxRawBlock = 8 * 1024 * 1024;
constexpr int MaxRecordText = 1024 * 1024;

// The file's start: magic, version, the header's length and its "key=value" lines.
QByteArray encodeHeader(const RecordingHeader &header);
// One record appended to a block's raw bytes.
void appendRecord(QByteArray &raw, const ChannelRecord &record);
// A block as it goes into the file: its 16 bytes of header and the zstd frame
// of raw (with the frame's checksum). Empty when zstd fails.
QByteArray compressBlock(const QByteArray &raw, int records, int level = 3);
QByteArray encodeEnd(int blocks, qint64 records);

// The raw records of one compressed frame; false when it is damaged or would
// unpack to more than rawSize bytes.
bool decompress(const char *data, int size, int rawSize, QByteArray *raw);
// Decodes the records of a raw block and appends them; false at the first
// record that does not fit (what came before it is kept).
bool decodeRecords(const QByteArray &raw, std::vector<ChannelRecord> *out);

} // namespace RecordingFormat
