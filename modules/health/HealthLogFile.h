#pragma once

#include <QByteArray>
#include "HealthSample.h"

#include <QCoreApplication>
#include <QDate>
#include <QDateTime>
#include <QString>

#include <vector>

namespace Health {

// The daily health files beside the event logs, one per day and Controller:
// "health-yyyy-MM-dd_<host>.csv". Like the event logs they are the user's
// alone: the folder is made 0700 and the file 0600.
class HealthLogFile
{
    Q_DECLARE_TR_FUNCTIONS(HealthLogFile)

public:
    // As long as the event logs are kept.
    static constexpr int KeepDays = 200;

    // hostPart is the Controller's name as the host escapes it for file names.
    static QString path(const QString &logDir, const QString &hostPart, const QDate &day);

    // Appends rows to the file of now's day, made with the header when new.
    // Returns what went wrong, empty on success; never throws.
    static QString append(const QString &logDir, const QString &hostPart, const QDateTime &now, const QByteArray &rows);

    // The rows of [fromMs, toMs) from the files of those days (the day before
    // too, around midnight), in time order. Rows that do not read are left out.
    static void readBack(const QString &logDir, const QString &hostPart, qint64 fromMs, qint64 toMs,
                         std::vector<HealthSample> *samples, std::vector<HealthEvent> *events);

    // Deletes the health files dated more than KeepDays days before today.
    static void deleteOld(const QString &logDir, const QDate &today);
};

} // namespace Health
