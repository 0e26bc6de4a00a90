#pragma once

#include <QString>
#include <QtGlobal>

// Who and when a recording is of: the Controller as the front end knew it, the
// front end that made it, and the span of its records.
struct RecordingHeader
{
    QString controllerName;
    QString controllerSerial;
    QString controllerVersion;
    QString frontendVersion;
    qint64 savedUs = 0;    // when the file was written (µs since the epoch)
    qint64 firstUs = 0;    // the span of the ring's own records; the earlier
    qint64 lastUs = 0;     // state it starts from may lie before firstUs
};
