#pragma once

#include "ReportWriter.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

class ExportConfiguration;

// The system-information bundle without any window: finds the event logs of a
// Controller in every installed front-end version's directory and writes the
// configuration report and the chosen logs into one file, each part between
// marker lines. The export dialog and quorix4-report share it.
class SystemInfoBundle
{
public:
    struct LogFile
    {
        QString name;       // file name
        QString version;    // name of the version directory ("v4.0.1")
        QString path;       // full path
        qint64 size = 0;
        QDate date;         // taken from the name
    };

    // Files older than this many days are not offered.
    static constexpr int MaxAgeDays = 31;
    static constexpr qint64 ReportEstimate = 51200;
    static constexpr qint64 LargeBundle = 10485760;

    // "~/.ZEL/QUORIX4": one "v4.*" directory per installed front-end version.
    static QString logRoot();

    // The date in "events-yyyy-MM-dd_host.log"; today when the name holds no real date.
    static QDate dateFromName(const QString &name, const QDate &today);

    // The logs of host under root, version directories in name order, newest
    // file first within each; only files fewer than MaxAgeDays days old.
    static QVector<LogFile> findLogs(const QString &root, const QString &host, const QDate &today);

    static qint64 estimate(const QVector<LogFile> &selected);
    // "50.0 kB  ", "1.5 MB  ", "100.0 Byte"
    static QString sizeText(qint64 bytes);

    // The first word of the front end's version text ("v4.0.1").
    static QString versionWord(const QString &frontendVersion);

    // The tracking-health recorder's daily CSV files of the Controller:
    // read here with a time-column reader of their own, the plug-in that
    // writes them not being linked.
    static constexpr char HealthEntryName[] = "tracking-health-last-hour.csv";
    // A day's file is a few MB; only its end is read, and the hour is cut to
    // its newest part when a flood of events made it larger than this.
    static constexpr qint64 MaxHealthFileRead = 33554432;
    static constexpr int MaxHealthLastHour = 16777216;

    // "health-yyyy-MM-dd_host.csv" of day and the day before, in every version
    // directory under root, the older day first; only files that exist.
    static QStringList findHealthFiles(const QString &root, const QString &host, const QDate &day);

    // The header and every row of the files whose time lies within the hour
    // before now, oldest first. Empty when there are no files.
    static QByteArray lastHourOfHealth(const QList<QByteArray> &fileContents, const QDateTime &now);

    // Both of the above on the files under root: empty when the Controller has none.
    static QByteArray healthLastHour(const QString &root, const QString &host, const QDateTime &now);

    // The last hour of health rows, written after the logs as its own entry;
    // nothing is written when it is empty.
    void setHealthLastHour(const QByteArray &csv) { m_health = csv; }
    // A recording file (the flight recorder's last minutes), written as an
    // entry of its own in base64, 76 characters a line: "base64 -d" gives the
    // file back.
    static constexpr char RecordingEntryName[] = "flight-recording-last-10-minutes.qx4rec (base64)";
    void setRecording(const QByteArray &file) { m_recording = file; }

    // Writes the bundle: the report between its markers, then each log
    // between its own. progress(step) runs after the report (step 2) and
    // after each log (index + 3). False when the file could not be written
    // completely; error() says why.
    bool write(const QString &path, ExportConfiguration &report, const QVector<LogFile> &logs,
               const std::function<void(int)> &progress = {});
    QString error() const { return m_error; }

private:
    void copyLog(const LogFile &log);
    void copyHealth();
    void copyRecording();

    // Only appends lines (and counts the lost ones): it never queries.
    ReportWriter m_out{nullptr};
    QString m_error;
    QByteArray m_health;
    QByteArray m_recording;
};
