#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class MessageBoxProvider;
class RecordingIndex;
class ReplayChannel;

// "quorix4 -replay FILE": the file is read and checked before a display is
// needed, and the window is then built on a channel that plays it back.
class ReplayStart
{
public:
    // The file after "-replay" when the arguments (program name first) ask
    // for a replay; empty otherwise. missing: "-replay" without a file.
    static QString requestedFile(const QStringList &arguments, bool *missing);
    // The arguments without "-replay FILE".
    static QStringList otherArguments(const QStringList &arguments);

    // Reads the file and keeps it for the window; false with the reason when
    // it cannot be played at all. warning: what a damaged file lost.
    static bool prepare(const QString &path, QString *error, QString *warning);
    static bool isActive();
    static QString fileName();
    static std::shared_ptr<const RecordingIndex> recording();
    // Where the replay's event display and Tracking Health keep their logs: a
    // folder of its own, gone when the program ends, so that a replayed
    // Controller never enters the logs of the real ones.
    static QString logsDir();
    // The channel of the window; one per prepared replay.
    static std::unique_ptr<ReplayChannel> takeChannel(MessageBoxProvider *provider);
};
