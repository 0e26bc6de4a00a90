#pragma once

#include "ChannelRecord.h"

#include <QByteArray>
#include <QString>

#include <vector>

class QIODevice;

// The targets of recorded measurement data as CSV for a spreadsheet or a
// script: one row per frame and tracked target, '.' decimals, a header line.
//   time,frame,kind,id,quality,x,y,z,r0,…,r8
// time: seconds since the recording's start; kind: the line's key (6d body,
// 6df/6df2 gripwand, 6dmt/6dmt2 tool, 6dmtr reference, 3d marker); x y z in
// mm; r0…r8 the rotation matrix as the Controller sends it (empty for
// markers). Untracked targets have no row.
namespace TargetCsv {

QByteArray header();
// The rows of one datagram that arrived at timeUs: bytes from outside, so any
// text gives rows or none, never more than its targets.
QByteArray rows(const QByteArray &datagram, qint64 timeUs, qint64 startUs);
// Every data record's rows after the header; false when the device fails.
bool write(const std::vector<ChannelRecord> &records, qint64 startUs, QIODevice *out);
// Written whole or not at all, as the recordings are.
bool save(const QString &path, const std::vector<ChannelRecord> &records, qint64 startUs, QString *error);

} // namespace TargetCsv
