#pragma once

#include "Recording.h"

#include <QByteArray>
#include <QString>

// Reads a recording file's bytes, whatever they are: a damaged or cut-off
// file is read up to the damage, a file of a newer format is refused, and
// anything else is said in a message, never by a crash.
class RecordingReader
{
public:
    enum class Status {
        Complete,       // every block and the closing mark
        Partial,        // read up to damage or a cut: message says how much
        NotARecording,  // empty, or not a recording at all: nothing to replay
        NewerVersion,   // written by a newer front end: refused
    };

    struct Result
    {
        Status status = Status::NotARecording;
        Recording recording;
        qint64 bytesRead = 0;    // the whole blocks taken
        QString message;         // empty when Complete
        // Something to play: a whole file, or a damaged one with records before the damage.
        bool replayable() const
        {
            return status == Status::Complete || (status == Status::Partial && !recording.records.empty());
        }
    };

    static Result read(const QByteArray &bytes);
    // Only the header: whether a file is a recording this program can open.
    static Result readHeader(const QByteArray &bytes);
};
