#pragma once

#include "ChannelRecord.h"
#include "ChannelTap.h"
#include "RecordingHeader.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <deque>
#include <map>
#include <mutex>

// The last minutes of the channel, kept in memory: every command with its
// reply, every measurement datagram, every event line. Records are collected
// in a block and compressed with zstd when the block is full; the oldest
// blocks go when they fall out of the time window or the ring outgrows its
// byte limit. The latest reply of each command that went with them is kept,
// so that a recording always starts from what the front end knew then.
// Passwords are masked before anything is kept.
class FlightRecorder : public ChannelTap
{
public:
    static constexpr int DefaultMinutes = 10;
    static constexpr qint64 DefaultByteLimit = 64 * 1024 * 1024;
    static constexpr int DefaultBlockBytes = 256 * 1024;
    // Commands whose latest reply is kept from blocks that went.
    static constexpr int MaxStateCommands = 4096;
    // A quiet channel fills blocks slowly: they are closed after this long, so
    // that the time window drops old records in steps no larger.
    static constexpr qint64 MaxBlockAgeUs = 30 * 1000000;

    FlightRecorder();

    void setWindowMinutes(int minutes);
    void setByteLimit(qint64 bytes);
    void setBlockBytes(int bytes);
    void setIdentity(const QString &name, const QString &serial, const QString &version);
    // Drops everything (a new connection).
    void clear();

    qint64 nowUs() const override;
    void commandExchanged(const char *command, const char *reply, int code, qint64 sentUs,
                          qint64 repliedUs) override;
    void dataReceived(const char *datagram, qint64 arrivedUs) override;
    // For the tests and the benchmark: a record as if the channel had seen it.
    void add(const ChannelRecord &record);

    // The whole file of what the ring holds of the last windowUs (all: -1).
    QByteArray fileBytes(qint64 windowUs = -1) const;

    // What the ring costs now: compressed blocks plus the block being filled.
    qint64 memoryBytes() const;
    qint64 rawBytes() const;   // the same records uncompressed
    qint64 oldestUs() const;
    bool isEmpty() const;

private:
    struct Block
    {
        QByteArray file;    // as it goes into the file: block header and zstd frame
        qint64 firstUs = 0;
        qint64 lastUs = 0;
        int records = 0;
        int rawSize = 0;
    };

    void append(const ChannelRecord &record);
    void seal();
    void trim(qint64 nowUs);
    void keepState(const Block &block, std::map<QByteArray, ChannelRecord> *state) const;

    mutable std::mutex m_lock;
    std::chrono::steady_clock::time_point m_steadyBase;
    qint64 m_wallBaseUs = 0;
    qint64 m_windowUs;
    qint64 m_byteLimit = DefaultByteLimit;
    int m_blockBytes = DefaultBlockBytes;
    RecordingHeader m_identity;

    std::deque<Block> m_blocks;
    qint64 m_blockFileBytes = 0;
    qint64 m_blockRawBytes = 0;
    QByteArray m_open;
    int m_openRecords = 0;
    qint64 m_openFirstUs = 0;
    qint64 m_lastUs = 0;
    std::map<QByteArray, ChannelRecord> m_state;   // commands of blocks that went
};
