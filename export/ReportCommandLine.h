#pragma once

#include "BackendVersions.h"

#include <QString>
#include <QStringList>

class QDate;

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

    // The Controller's versions and model, as the front end reads them at start-up.
    static BackendVersions readVersions(IOManager &channel);
};
