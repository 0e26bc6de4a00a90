#pragma once

#include "RecordingReader.h"

#include <QByteArray>
#include <QString>

// Recording files on disk. A file is written whole or not at all: a full disk
// leaves what the path held before, never half a recording.
namespace RecordingFile {

// The suffix the save dialog proposes.
constexpr const char Suffix[] = "qx4rec";
// Larger files are not read: no ring makes one, and reading would take the memory.
constexpr qint64 MaxFileBytes = 1024LL * 1024 * 1024;

bool save(const QString &path, const QByteArray &bytes, QString *error);
RecordingReader::Result load(const QString &path);

} // namespace RecordingFile
