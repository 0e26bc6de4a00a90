#include "HealthLogFile.h"

#include "HealthCsv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStringList>

namespace Health {

namespace {

const char Prefix[] = "health-";
const char Extension[] = ".csv";
constexpr QFile::Permissions OwnerOnlyDir = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
constexpr QFile::Permissions OwnerOnlyFile = QFile::ReadOwner | QFile::WriteOwner;

} // namespace

QString HealthLogFile::path(const QString &logDir, const QString &hostPart, const QDate &day)
{
    return logDir + QLatin1Char('/') + QLatin1String(Prefix)
        + QLocale::c().toString(day, QStringLiteral("yyyy-MM-dd")) + QLatin1Char('_') + hostPart
        + QLatin1String(Extension);
}

// Every folder made on the way is owner-only, as is the log folder itself.
bool HealthLogFile::makePrivateDir(const QString &dir)
{
    if (dir.isEmpty())
        return false;
    const QString target = QDir::cleanPath(QDir(dir).absolutePath());
    QStringList missing;
    QString at = target;
    while (!QFileInfo::exists(at)) {
        missing.prepend(at);
        const QString parent = QFileInfo(at).path();
        if (parent == at)
            break;
        at = parent;
    }
    for (const QString &d : qAsConst(missing)) {
        if (!QDir().mkdir(d) && !QFileInfo(d).isDir())
            return false;
        QFile::setPermissions(d, OwnerOnlyDir);
    }
    if (!QFileInfo(target).isDir())
        return false;
    QFile::setPermissions(target, OwnerOnlyDir);
    return true;
}

QString HealthLogFile::append(const QString &logDir, const QString &hostPart, const QDateTime &now, const QByteArray &rows)
{
    if (!makePrivateDir(logDir))
        return tr("the directory %1 cannot be created").arg(QDir::toNativeSeparators(logDir));
    QFile file(path(logDir, hostPart, now.date()));
    // Unbuffered: a full disk shows in the write, not in a close nobody checks.
    if (!file.open(QIODevice::Append | QIODevice::Unbuffered))
        return file.errorString();
    // Also a file an earlier run left readable to others.
    if (!file.setPermissions(OwnerOnlyFile))
        return file.errorString();
    QByteArray bytes = rows;
    if (file.size() == 0)
        bytes.prepend(csvHeader());
    if (bytes.isEmpty())
        return QString();
    if (file.write(bytes) != bytes.size())
        return file.errorString().isEmpty() ? tr("not all rows were written") : file.errorString();
    return QString();
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
