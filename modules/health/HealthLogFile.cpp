#include "HealthLogFile.h"

#include "HealthCsv.h"
#include "PrivateFiles.h"

#include <QDir>
#include <QFile>
#include <QLocale>

#include <cerrno>
#include <cstring>

namespace Health {

namespace {

const char Prefix[] = "health-";
const char Extension[] = ".csv";
// A day of measuring is a few MB; an hour lies in its end, the rest is not read.
constexpr qint64 MostBytesRead = 32 * 1024 * 1024;
constexpr int TimeLength = 23;

QByteArray tail(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    const qint64 size = file.size();
    if (size > MostBytesRead) {
        file.seek(size - MostBytesRead);
        file.readLine(); // the rest of a row cut by the seek
    }
    return file.readAll();
}

// A record starts with its time; a quoted text may carry it over further lines.
void readRecords(const QByteArray &content, const QByteArray &from, const QByteArray &to,
                 std::vector<HealthSample> *samples, std::vector<HealthEvent> *events)
{
    QByteArray record;
    bool openQuote = false;
    const auto finish = [&] {
        if (record.isEmpty())
            return;
        HealthSample sample;
        HealthEvent event;
        bool isEvent = false;
        const QByteArray time = record.left(TimeLength);
        if (time >= from && time < to && parseCsvRow(record, &sample, &event, &isEvent)) {
            if (isEvent)
                events->push_back(event);
            else
                samples->push_back(sample);
        }
        record.clear();
    };
    int at = 0;
    while (at < content.size()) {
        int end = content.indexOf('\n', at);
        end = end < 0 ? content.size() : end + 1;
        const QByteArray line = content.mid(at, end - at);
        at = end;
        // A row's start wins over an open quote: a row cut short when the
        // program ended must not swallow the rows after it.
        const bool startsRow = line.size() > TimeLength && line.at(4) == '-' && line.at(10) == 'T'
            && line.at(TimeLength) == ',';
        const bool odd = line.count('"') % 2 == 1;
        if (startsRow) {
            finish();
            record = line;
            openQuote = odd;
        } else if (openQuote) {
            record += line;
            openQuote = !odd;
        } else {
            finish();
        }
    }
    finish();
}

} // namespace

QString HealthLogFile::path(const QString &logDir, const QString &hostPart, const QDate &day)
{
    return logDir + QLatin1Char('/') + QLatin1String(Prefix)
        + QLocale::c().toString(day, QStringLiteral("yyyy-MM-dd")) + QLatin1Char('_') + hostPart
        + QLatin1String(Extension);
}

QString HealthLogFile::append(const QString &logDir, const QString &hostPart, const QDateTime &now, const QByteArray &rows)
{
    if (!PrivateFiles::makeDir(logDir))
        return tr("the directory %1 cannot be created").arg(QDir::toNativeSeparators(logDir));
    const QString name = path(logDir, hostPart, now.date());
    QFile file(name);
    // Unbuffered: a full disk shows in the write, not in a close nobody checks.
    // Also a file an earlier run left readable to others becomes the user's
    // alone; a link in its place is neither written through nor changed.
    if (const int error = PrivateFiles::openToAppend(file, QIODevice::Unbuffered)) {
        if (error == ELOOP)
            return tr("%1 is a symbolic link").arg(QDir::toNativeSeparators(name));
        return QString::fromLocal8Bit(std::strerror(error));
    }
    QByteArray bytes = rows;
    if (file.size() == 0)
        bytes.prepend(csvHeader());
    if (bytes.isEmpty())
        return QString();
    if (file.write(bytes) != bytes.size())
        return file.errorString().isEmpty() ? tr("not all rows were written") : file.errorString();
    return QString();
}

void HealthLogFile::readBack(const QString &logDir, const QString &hostPart, qint64 fromMs, qint64 toMs,
                             std::vector<HealthSample> *samples, std::vector<HealthEvent> *events)
{
    if (logDir.isEmpty() || hostPart.isEmpty() || fromMs >= toMs)
        return;
    // The time text sorts as the times do: rows are chosen by their text.
    const QByteArray from = csvTime(fromMs);
    const QByteArray to = csvTime(toMs);
    const QDate first = QDateTime::fromMSecsSinceEpoch(fromMs).date();
    const QDate last = QDateTime::fromMSecsSinceEpoch(toMs).date();
    for (QDate day = first; day.isValid() && day <= last && first.daysTo(day) < 2; day = day.addDays(1))
        readRecords(tail(path(logDir, hostPart, day)), from, to, samples, events);
}

void HealthLogFile::deleteOld(const QString &logDir, const QDate &today)
{
    QDir dir(logDir);
    if (logDir.isEmpty() || !dir.exists() || !today.isValid())
        return;
    const QDate cutOff = today.addDays(-KeepDays);
    const QString prefix = QLatin1String(Prefix);
    const QStringList files = dir.entryList({prefix + QLatin1Char('*') + QLatin1String(Extension)}, QDir::Files);
    for (const QString &name : files) {
        const QDate day = QLocale::c().toDate(name.mid(prefix.size(), 10), QStringLiteral("yyyy-MM-dd"));
        if (day.isValid() && day < cutOff)
            dir.remove(name);
    }
}

} // namespace Health
