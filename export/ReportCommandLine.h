#pragma once

#include "BackendVersions.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

class QDate;
class QDateTime;

class IOManager;

// The command line of quorix4-report and what it needs of the Controller
// before the report starts.
class ReportCommandLine
{
public:
    QString host;
    QString output;     // empty: a name in the current directory
    int days = 0;       // 0: the configuration report alone
    bool help = false;
    QString error;      // non-empty: the command line is not usable

    // Arguments without the program name.
    static ReportCommandLine parse(const QStringList &arguments);
    static QString usage();

    // The file written when -o is not given.
    QString defaultOutput(const QDate &today) const;
    // Why the file at path cannot be written, in a terminal's words; empty when
    // it can be tried. Asked before the Controller is, so that nothing is sent
    // for a report that has nowhere to go.
    static QString outputProblem(const QString &path);

    // The Controller's versions and model, as the front end reads them at start-up.
    static BackendVersions readVersions(IOManager &channel);

    // What the front end installed next to this program would write in the
    // report, as far as a program without its window can know it: the front
    // end's path ("" when it is not there), its update date from this user's
    // preferences (invalid when there are none), and the plug-ins installed
    // in its plugins directory (file names: their modules are not loaded).
    static QString frontendProgram(const QString &appDir);
    static QDateTime frontendUpdateDate(const QByteArray &preferences);
    static QStringList installedPlugins(const QString &appDir);
    // This user's preferences file of this front-end version, at most
    // MaxPreferencesSize bytes of it (empty when there is none).
    static QByteArray preferences();
    static constexpr qint64 MaxPreferencesSize = 1 << 20;
};
