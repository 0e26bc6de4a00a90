#include "SettingsMigration.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

bool hasEntries(const QString &path)
{
    return !QDir(path).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty();
}

} // namespace

qint64 SettingsMigration::versionKey(const QString &folderName)
{
    static const QRegularExpression pattern(QStringLiteral("^v(\\d{1,5})\\.(\\d{1,5})\\.(\\d{1,5})$"));
    const QRegularExpressionMatch m = pattern.match(folderName);
    if (!m.hasMatch())
        return -1;
    return (m.captured(1).toLongLong() * 100000 + m.captured(2).toLongLong()) * 100000 + m.captured(3).toLongLong();
}

QString SettingsMigration::adoptOlder(const QString &root, const QString &current, const QString &sub)
{
    const QDir base(root);
    const QString target = base.filePath(current + QLatin1Char('/') + sub);
    const qint64 currentKey = versionKey(current);
    if (currentKey < 0 || hasEntries(target))
        return QString();

    QString newest;
    qint64 newestKey = -1;
    for (const QString &name : base.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const qint64 key = versionKey(name);
        if (key < 0 || key >= currentKey || key <= newestKey)
            continue;
        if (!hasEntries(base.filePath(name + QLatin1Char('/') + sub)))
            continue;
        newest = name;
        newestKey = key;
    }
    if (newest.isEmpty())
        return QString();

    // Into a side folder first and renamed at the end: a copy cut short
    // leaves no half set of settings that would count as our own next time.
    const QString partial = target + QStringLiteral(".partial");
    QDir(partial).removeRecursively();
    if (!copyTree(base.filePath(newest + QLatin1Char('/') + sub), partial)) {
        QDir(partial).removeRecursively();
        return QString();
    }
    QDir(target).removeRecursively();   // empty, or we would not be here
    if (!QDir().rename(partial, target)) {
        QDir(partial).removeRecursively();
        return QString();
    }
    return newest;
}

bool SettingsMigration::copyTree(const QString &from, const QString &to)
{
    if (!QDir().mkpath(to))
        return false;
    const QDir source(from);
    for (const QFileInfo &entry : source.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)) {
        const QString destination = to + QLatin1Char('/') + entry.fileName();
        if (entry.isSymLink())
            continue;   // nothing of ours; its target may be anywhere
        if (entry.isDir()) {
            if (!copyTree(entry.filePath(), destination))
                return false;
        } else if (!QFile::copy(entry.filePath(), destination)) {
            return false;
        }
    }
    return true;
}
