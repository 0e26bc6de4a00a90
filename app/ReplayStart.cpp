#include "ReplayStart.h"

#include "RecordingFile.h"
#include "RecordingIndex.h"
#include "ReplayChannel.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

struct Prepared
{
    QString path;
    std::shared_ptr<const RecordingIndex> recording;
    std::unique_ptr<QTemporaryDir> logs;
};

Prepared &prepared()
{
    static Prepared p;
    return p;
}

const QString Option = QStringLiteral("-replay");

} // namespace

QString ReplayStart::requestedFile(const QStringList &arguments, bool *missing)
{
    *missing = false;
    const int at = arguments.indexOf(Option);
    if (at < 1)
        return QString();
    if (at + 1 >= arguments.size() || arguments.at(at + 1).isEmpty()) {
        *missing = true;
        return QString();
    }
    return arguments.at(at + 1);
}

QStringList ReplayStart::otherArguments(const QStringList &arguments)
{
    QStringList out = arguments;
    const int at = out.indexOf(Option);
    if (at >= 1) {
        out.removeAt(at);
        if (at < out.size())
            out.removeAt(at);
    }
    return out;
}

bool ReplayStart::prepare(const QString &path, QString *error, QString *warning)
{
    const RecordingReader::Result read = RecordingFile::load(path);
    if (!read.replayable()) {
        *error = QCoreApplication::translate("ReplayStart", "cannot replay '%1': %2").arg(path, read.message);
        return false;
    }
    *warning = read.message;
    prepared().path = QFileInfo(path).absoluteFilePath();
    prepared().recording = std::make_shared<const RecordingIndex>(read.recording);
    return true;
}

bool ReplayStart::isActive()
{
    return prepared().recording != nullptr;
}

QString ReplayStart::fileName()
{
    return prepared().path;
}

std::shared_ptr<const RecordingIndex> ReplayStart::recording()
{
    return prepared().recording;
}

QString ReplayStart::logsDir()
{
    Prepared &p = prepared();
    if (!p.logs)
        p.logs = std::make_unique<QTemporaryDir>();
    return p.logs->isValid() ? p.logs->path() : QString();
}

std::unique_ptr<ReplayChannel> ReplayStart::takeChannel(MessageBoxProvider *provider)
{
    if (!isActive())
        return nullptr;
    return std::make_unique<ReplayChannel>(prepared().recording, provider);
}
