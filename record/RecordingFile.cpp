#include "RecordingFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>

namespace RecordingFile {

bool save(const QString &path, const QByteArray &bytes, QString *error)
{
    QSaveFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::WriteOnly)) {
        *error = QCoreApplication::translate("RecordingFile", "The recording could not be saved as '%1': %2").arg(path, file.errorString());
        return false;
    }
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        *error = QCoreApplication::translate("RecordingFile", "The recording could not be saved as '%1': %2").arg(path, file.errorString());
        file.cancelWriting();
        return false;
    }
    return true;
}

RecordingReader::Result load(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        RecordingReader::Result r;
        r.message = QCoreApplication::translate("RecordingFile", "The recording '%1' could not be opened: %2").arg(path, file.errorString());
        return r;
    }
    if (file.size() > MaxFileBytes) {
        RecordingReader::Result r;
        r.message = QCoreApplication::translate("RecordingFile", "The file '%1' is too large to be a recording.").arg(path);
        return r;
    }
    return RecordingReader::read(file.readAll());
}

} // namespace RecordingFile
