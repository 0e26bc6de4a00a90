#pragma once

#include "HealthLogFile.h"
#include "HealthSample.h"

#include <QByteArray>

namespace Health {

// The rows of the daily health files, one per sample or event:
//   time,kind,state,frequency_hz,bodies,markers,frames_lost,data_lines,rays,text,frames_dropped
// Files of earlier versions lack the last column (and frames_lost there still
// holds the frames this computer dropped); their rows read as before.
// Local time with milliseconds; unknown values are empty fields; numbers
// always with '.', whatever the locale; text quoted as RFC 4180 has it; UTF-8;
// "\n" line ends. The time text sorts as the times do.

QByteArray csvHeader();
QByteArray csvRow(const HealthSample &sample);
QByteArray csvRow(const HealthEvent &event);

// "2026-12-08T23:01:02.345" for a time in milliseconds since the epoch, local time.
QByteArray csvTime(qint64 msecsSinceEpoch);
// The reverse; false for anything that is not such a time.
bool parseCsvTime(const QByteArray &text, qint64 *msecsSinceEpoch);

// One row (line end optional; a quoted text may span lines) back into a
// sample or an event. False for the header and for any row whose time or
// kind does not read; a value that does not read is unknown. Any bytes are safe.
bool parseCsvRow(const QByteArray &line, HealthSample *sample, HealthEvent *event, bool *isEvent);

} // namespace Health
