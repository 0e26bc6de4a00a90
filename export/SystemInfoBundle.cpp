#include "SystemInfoBundle.h"

#include "ExportConfiguration.h"
#include "LogFileName.h"
#include "ReportWriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>

#include <algorithm>

QString SystemInfoBundle::logRoot()
{
    return QDir::homePath() + QStringLiteral("/.ZEL/QUORIX4");
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
    if (bytes > 1048575)
        return QCoreApplication::translate("ExportSystemInformation", "%1 MB  ").arg(double(bytes) / 1048576.0, 0, 'f', 1);
    if (bytes > 1023)
        return QCoreApplication::translate("ExportSystemInformation", "%1 kB  ").arg(double(bytes) / 1024.0, 0, 'f', 1);
    return QCoreApplication::translate("ExportSystemInformation", "%1 Byte").arg(double(bytes), 0, 'f', 1);
}

QString SystemInfoBundle::versionWord(const QString &frontendVersion)
{
    return frontendVersion.section(QLatin1Char('|'), 0, 0).split(QLatin1Char(' '), Qt::SkipEmptyParts).value(0);
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
