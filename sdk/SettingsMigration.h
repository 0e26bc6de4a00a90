#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QString>

// Settings live in one folder per version ("<root>/v4.0.1/config"), so that
// each version reads only what it wrote itself. A version started for the
// first time takes a copy of the settings of the newest older version there;
// the older folder is left as it was, so that version still finds its own.
// The host and the modules keep their settings so: inline, for a module
// links nothing of the host.
class SettingsMigration
{
public:
    // Copies <root>/<older>/<sub> to <root>/<current>/<sub> when the latter is
    // missing or empty; <older> is the newest "vMAJOR.MINOR.PATCH" folder
    // below current that has settings. Returns the folder copied from, or an
    // empty text when nothing was copied.
    static QString adoptOlder(const QString &root, const QString &current, const QString &sub = QStringLiteral("config"))
    {
        const QDir base(root);
        const QString target = base.filePath(current + QLatin1Char('/') + sub);
        const qint64 currentKey = versionKey(current);
        if (currentKey < 0 || hasEntries(target))
            return QString();

        QString newest;
        qint64 newestKey = -1;
        const QStringList names = base.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        for (const QString &name : names) {
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

    // "v4.0.12" as a number that orders versions; -1 for any other name.
    static qint64 versionKey(const QString &folderName)
    {
        static const QRegularExpression pattern(QStringLiteral("^v(\\d{1,5})\\.(\\d{1,5})\\.(\\d{1,5})$"));
        const QRegularExpressionMatch m = pattern.match(folderName);
        if (!m.hasMatch())
            return -1;
        return (m.captured(1).toLongLong() * 100000 + m.captured(2).toLongLong()) * 100000 + m.captured(3).toLongLong();
    }

private:
    static bool hasEntries(const QString &path)
    {
        return !QDir(path).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty();
    }

    static bool copyTree(const QString &from, const QString &to)
    {
        if (!QDir().mkpath(to))
            return false;
        const QDir source(from);
        const QFileInfoList entries = source.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        for (const QFileInfo &entry : entries) {
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
};
