#include "PrivateFiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace {

// Group and others lose every right; the owner keeps what it has, so that a
// file the user made read-only stays so.
constexpr QFileDevice::Permissions OwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner
    | QFileDevice::ExeOwner | QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser;

bool restrict(const QFileInfo &info)
{
    if (info.isSymLink() || !(info.isDir() || info.isFile()))
        return false;   // chmod would change what a link points to
    const QFileDevice::Permissions now = QFile::permissions(info.absoluteFilePath());
    return (now & ~OwnerOnly) == 0 || QFile::setPermissions(info.absoluteFilePath(), now & OwnerOnly);
}

} // namespace

QString PrivateFiles::userRoot()
{
    return QDir::homePath() + QStringLiteral("/.ZEL/QUORIX4");
}

bool PrivateFiles::makeDir(const QString &dir)
{
    if (!QDir().mkpath(dir))
        return false;
    const QString root = QDir::cleanPath(userRoot());
    QString path = QDir::cleanPath(QFileInfo(dir).absoluteFilePath());
    restrict(QFileInfo(path));
    // Up to the per-user folder, when the folder lies in it.
    while (path.startsWith(root + QLatin1Char('/'))) {
        path = QFileInfo(path).path();
        restrict(QFileInfo(path));
    }
    return true;
}

bool PrivateFiles::restrictFile(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() && restrict(info);
}

void PrivateFiles::restrictTree(const QString &root)
{
    const QFileInfo top(root);
    if (!top.isDir() || top.isSymLink())
        return;
    restrict(top);
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        restrict(it.fileInfo());
    }
}
