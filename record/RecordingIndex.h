#pragma once

#include "Recording.h"

#include <QByteArray>
#include <QHash>

#include <vector>

// A recording made ready for playing it back: what the Controller answered to
// a command as of a moment of the recording, and the records in time order.
class RecordingIndex
{
public:
    explicit RecordingIndex(Recording recording);

    const Recording &recording() const { return m_recording; }
    const std::vector<ChannelRecord> &records() const { return m_recording.records; }
    // The span that plays: from the ring's first record (what lies before it
    // is the state the front end knew then) to the last.
    qint64 startUs() const { return m_startUs; }
    qint64 endUs() const { return m_endUs; }

    // The latest reply to the command as of atUs: the last one sent at or
    // before it, else the first one after it; nullptr when the command was
    // never answered in the recording. Failed exchanges never answer.
    const ChannelRecord *reply(const QByteArray &command, qint64 atUs) const;
    // The index of the first record later than us (records().size() when none is).
    size_t firstAfter(qint64 us) const;

private:
    Recording m_recording;
    qint64 m_startUs = 0;
    qint64 m_endUs = 0;
    QHash<QByteArray, std::vector<size_t>> m_answers;   // per command, in time order
};
