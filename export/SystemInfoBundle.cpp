#include "SystemInfoBundle.h"

#include "ExportConfiguration.h"
#include "LogFileName.h"
#include "PrivateFiles.h"
#include "ReportWriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>

#include <QLocale>

#include <algorithm>

namespace {

constexpr int HealthTimeLength = 23; // yyyy-MM-ddThh:mm:ss.zzz

QString healthTime(const QDateTime &at)
{
    // The C locale: the system's might write other digits.
    return QLocale::c().toString(at.toLocalTime(), QStringLiteral("yyyy-MM-ddThh:mm:ss.zzz"));
}

// A row starts with its time and a comma; the header and the further lines
// of a text that holds a line break do not.
bool startsRow(const QByteArray &line)
{
    static const char pattern[] = "dddd-dd-ddTdd:dd:dd.ddd,";
    if (line.size() <= HealthTimeLength)
        return false;
    for (int i = 0; i <= HealthTimeLength; ++i) {
        const char c = line.at(i);
        if (pattern[i] == 'd' ? (c < '0' || c > '9') : c != pattern[i])
            return false;
    }
    return true;
}

QByteArray readTail(const QString &path, qint64 limit)
{
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        return QByteArray();
    const qint64 size = in.size();
    if (size <= limit)
        return in.read(limit);
    // Cut in the middle of a line: that line is left out.
    in.seek(size - limit);
    QByteArray tail = in.read(limit);
    const int newline = tail.indexOf('\n');
    return newline < 0 ? QByteArray() : tail.mid(newline + 1);
}

} // namespace

QString SystemInfoBundle::logRoot()
{
    return PrivateFiles::userRoot();
}

QDate SystemInfoBundle::dateFromName(const QString &name, const QDate &today)
{
    const QStringList fields = name.split(QLatin1Char('-'));
    if (fields.size() < 4)
        return today;
    bool okYear = false, okMonth = false, okDay = false;
    const int year = fields.at(1).toInt(&okYear);
    const int month = fields.at(2).toInt(&okMonth);
    const int day = fields.at(3).left(2).toInt(&okDay);
    if (!okYear || !okMonth || !okDay || year < 1970 || year > 2500 || month < 1 || month > 12 || day < 1 || day > 31)
        return today;
    // 31 February passes the ranges but is no date: it is treated like any other unreadable name.
    const QDate date(year, month, day);
    return date.isValid() ? date : today;
}

QVector<SystemInfoBundle::LogFile> SystemInfoBundle::findLogs(const QString &root, const QString &host, const QDate &today)
{
    QVector<LogFile> out;
    if (host.isEmpty())
        return out;
    const QDir rootDir(root);
    const QStringList versions = rootDir.entryList({QStringLiteral("v4.*")}, QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    // Compared by hand rather than as a name filter: a host name may hold characters
    // that a filter would read as wildcards.
    const QString prefix = QStringLiteral("events-");
    const QString suffix = QLatin1Char('_') + LogFileName::hostPart(host) + QStringLiteral(".log");
    for (const QString &version : versions) {
        const QDir logs(rootDir.filePath(version + QStringLiteral("/logs")));
        QStringList names = logs.entryList(QDir::Files, QDir::Name);
        std::sort(names.begin(), names.end(), std::greater<QString>());
        for (const QString &name : qAsConst(names)) {
            if (!name.startsWith(prefix) || !name.endsWith(suffix) || name.size() <= prefix.size() + suffix.size())
                continue;
            const QDate date = dateFromName(name, today);
            if (date.daysTo(today) >= MaxAgeDays)
                continue;
            const QFileInfo info(logs.filePath(name));
            out.append(LogFile{name, version, info.absoluteFilePath(), info.size(), date});
        }
    }
    return out;
}

qint64 SystemInfoBundle::estimate(const QVector<LogFile> &selected)
{
    qint64 total = ReportEstimate;
    for (const LogFile &f : selected)
        total += f.size;
    return total;
}

QString SystemInfoBundle::sizeText(qint64 bytes)
{
    // Shown to the user: the decimal point of the user's language.
    const QLocale locale;
    if (bytes > 1048575)
        return QCoreApplication::translate("ExportSystemInformation", "%1 MB  ")
            .arg(locale.toString(double(bytes) / 1048576.0, 'f', 1));
    if (bytes > 1023)
        return QCoreApplication::translate("ExportSystemInformation", "%1 kB  ")
            .arg(locale.toString(double(bytes) / 1024.0, 'f', 1));
    return QCoreApplication::translate("ExportSystemInformation", "%1 Byte").arg(locale.toString(double(bytes), 'f', 1));
}

QString SystemInfoBundle::versionWord(const QString &frontendVersion)
{
    return frontendVersion.section(QLatin1Char('|'), 0, 0).split(QLatin1Char(' '), Qt::SkipEmptyParts).value(0);
}

QStringList SystemInfoBundle::findHealthFiles(const QString &root, const QString &host, const QDate &day)
{
    QStringList out;
    if (host.isEmpty() || !day.isValid())
        return out;
    const QDir rootDir(root);
    const QStringList versions = rootDir.entryList({QStringLiteral("v4.*")}, QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    const QString suffix = QLatin1Char('_') + LogFileName::hostPart(host) + QStringLiteral(".csv");
    for (const QDate &d : {day.addDays(-1), day}) {
        const QString name = QStringLiteral("health-") + QLocale::c().toString(d, QStringLiteral("yyyy-MM-dd")) + suffix;
        for (const QString &version : versions) {
            const QFileInfo info(rootDir.filePath(version + QStringLiteral("/logs/") + name));
            if (info.isFile())
                out.append(info.absoluteFilePath());
        }
    }
    return out;
}

QByteArray SystemInfoBundle::lastHourOfHealth(const QList<QByteArray> &fileContents, const QDateTime &now)
{
    if (fileContents.isEmpty())
        return QByteArray();
    // The time text sorts as the times do, so plain text comparison selects.
    const QByteArray from = healthTime(now.addSecs(-3600)).toLatin1();
    const QByteArray to = healthTime(now).toLatin1();
    QList<QByteArray> rows;
    for (const QByteArray &content : fileContents) {
        bool inRow = false; // whether the current row was taken
        bool openQuote = false; // the current row's text goes on in the next line
        int at = 0;
        while (at < content.size()) {
            int end = content.indexOf('\n', at);
            end = end < 0 ? content.size() : end + 1;
            QByteArray line = content.mid(at, end - at);
            at = end;
            if (!line.endsWith('\n'))
                line += '\n';
            // A row's start wins even over an open quote: a row cut short when
            // the program ended must not swallow the rows after it.
            if (startsRow(line)) {
                const QByteArray time = line.left(HealthTimeLength);
                inRow = time >= from && time <= to;
                openQuote = false;
                if (inRow)
                    rows.append(line);
            } else if (!openQuote) {
                inRow = false; // neither a row nor part of one
                continue;
            } else if (inRow) {
                // A quoted text's further line belongs to the row before it.
                rows.last() += line;
            }
            if (line.count('"') % 2 == 1)
                openQuote = !openQuote;
        }
    }
    // Several files (the day before, another version's) each in order: merged
    // by time, rows of equal time kept as they came.
    std::stable_sort(rows.begin(), rows.end(), [](const QByteArray &a, const QByteArray &b) {
        return a.left(HealthTimeLength) < b.left(HealthTimeLength);
    });
    qint64 total = 0;
    int first = rows.size();
    while (first > 0 && total + rows.at(first - 1).size() <= MaxHealthLastHour)
        total += rows.at(--first).size();
    QByteArray out = QByteArrayLiteral("time,kind,state,frequency_hz,bodies,markers,frames_lost,data_lines,rays,text,frames_dropped\n");
    out.reserve(int(out.size() + total));
    for (int i = first; i < rows.size(); ++i)
        out += rows.at(i);
    return out;
}

QByteArray SystemInfoBundle::healthLastHour(const QString &root, const QString &host, const QDateTime &now)
{
    QList<QByteArray> contents;
    const QStringList files = findHealthFiles(root, host, now.toLocalTime().date());
    for (const QString &path : files)
        contents.append(readTail(path, MaxHealthFileRead));
    return lastHourOfHealth(contents, now);
}

void SystemInfoBundle::copyHealth()
{
    const QString tag = QString::fromLatin1(HealthEntryName);
    m_out.line(ExportConfiguration::markerLine(QStringLiteral("<BOF> %1 <BOF>").arg(tag)));
    QByteArray text = m_health;
    if (text.endsWith('\n'))
        text.chop(1);
    const QList<QByteArray> lines = text.split('\n');
    for (const QByteArray &line : lines)
        m_out.line(QString::fromUtf8(line));
    m_out.line(ExportConfiguration::markerLine(QStringLiteral("<EOF> %1 <EOF>").arg(tag)));
    m_out.line(QString());
}

void SystemInfoBundle::copyRecording()
{
    const QString tag = QString::fromLatin1(RecordingEntryName);
    m_out.line(ExportConfiguration::markerLine(QStringLiteral("<BOF> %1 <BOF>").arg(tag)));
    const QByteArray text = m_recording.toBase64();
    for (int at = 0; at < text.size(); at += 76)
        m_out.line(QString::fromLatin1(text.mid(at, 76)));
    m_out.line(ExportConfiguration::markerLine(QStringLiteral("<EOF> %1 <EOF>").arg(tag)));
    m_out.line(QString());
}

void SystemInfoBundle::copyLog(const LogFile &log)
{
    const QString tag = QStringLiteral("%1 - %2").arg(log.name, log.version);
    m_out.line(ExportConfiguration::markerLine(QStringLiteral("<BOF> %1 <BOF>").arg(tag)));
    QFile in(log.path);
    // A log that cannot be read contributes only its markers.
    if (in.open(QIODevice::ReadOnly | QIODevice::Text)) {
        QTextStream stream(&in);
        stream.setCodec("UTF-8");
        QString text;
        while (stream.readLineInto(&text))
            m_out.line(text);
    }
    m_out.line(ExportConfiguration::markerLine(QStringLiteral("<EOF> %1 <EOF>").arg(tag)));
    m_out.line(QString());
}

bool SystemInfoBundle::write(const QString &path, ExportConfiguration &report, const QVector<LogFile> &logs,
                             const std::function<void(int)> &progress)
{
    m_out.resetCounters();
    m_error.clear();
    // One file, open for the whole bundle, that replaces whatever the path
    // held only once it is complete.
    QSaveFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        m_error = ExportConfiguration::openFailedText(path, file.errorString());
        return false;
    }
    m_out.setDevice(&file);

    const QString version = versionWord(report.frontendVersion());
    m_out.line(ExportConfiguration::markerLine(QStringLiteral("<BOF> %1 <BOF>").arg(version)));
    const bool reported = report.writeReport(&file, path);
    m_out.line(ExportConfiguration::markerLine(QStringLiteral("<EOF> %1 <EOF>").arg(version)));
    m_out.line(QString());
    if (progress)
        progress(2);
    for (int i = 0; i < logs.size(); ++i) {
        copyLog(logs.at(i));
        if (progress)
            progress(i + 3);
    }
    if (!m_health.isEmpty())
        copyHealth();
    if (!m_recording.isEmpty())
        copyRecording();
    m_out.setDevice(nullptr);
    if (!reported || m_out.linesLost() > 0) {
        file.cancelWriting();
        m_error = !reported ? report.errorText()
                            : QCoreApplication::translate("ExportSystemInformation", "%1 line(s) could not be written to '%2'.")
                                  .arg(m_out.linesLost())
                                  .arg(path);
        return false;
    }
    if (!file.commit()) {
        m_error = ExportConfiguration::openFailedText(path, file.errorString());
        return false;
    }
    return true;
}
