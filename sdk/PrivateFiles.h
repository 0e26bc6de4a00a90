#pragma once

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// The per-user folder (~/.ZEL/QUORIX4) holds the saved front-end password, the
// commands log, the event logs and the modules' settings and records: it and
// everything written in it are for the user alone. Group and others lose all
// rights (folders 0700, files 0600 as they are made), also on what an earlier
// version left. The host and the modules share this folder, so the helpers are
// inline here: a module links nothing of the host.
//
// Nothing here changes or writes through a symbolic link: the mode is changed
// on a descriptor opened without following one, so a link placed where a file
// was expected never hands its target's rights to anyone.
class PrivateFiles
{
public:
    static QString userRoot() { return QDir::homePath() + QStringLiteral("/.ZEL/QUORIX4"); }

    // Creates the folder with its parents; the folder and every folder between
    // it and the per-user folder end up owner-only. False when it cannot be made.
    static bool makeDir(const QString &dir)
    {
        if (dir.isEmpty() || !QDir().mkpath(dir))
            return false;
        const QString root = QDir::cleanPath(userRoot());
        QString path = QDir::cleanPath(QFileInfo(dir).absoluteFilePath());
        restrict(path);
        // Up to the per-user folder, when the folder lies in it.
        while (path.startsWith(root + QLatin1Char('/'))) {
            path = QFileInfo(path).path();
            restrict(path);
        }
        return true;
    }

    // No rights for group and others; false when the file is not there, is a
    // link or is not ours.
    static bool restrictFile(const QString &path)
    {
        struct stat st;
        return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode) && restrict(path);
    }

    // The same for the folder and everything below it. Symbolic links are
    // neither changed nor followed.
    static void restrictTree(const QString &root)
    {
        const QFileInfo top(root);
        if (!top.isDir() || top.isSymLink())
            return;
        restrict(root);
        QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            restrict(it.next());
    }

    // Opens a file to append to, for the user alone: made 0600 when new, the
    // rights of group and others taken away when old, and never through a
    // symbolic link (ELOOP then). extra adds flags such as Unbuffered.
    // Returns 0, or the errno of what failed. The open file has no name of
    // its own any more (Qt's rule for a file opened from a descriptor).
    static int openToAppend(QFile &file, QIODevice::OpenMode extra = {})
    {
        const int fd = ::open(QFile::encodeName(file.fileName()).constData(),
                              O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600);
        if (fd < 0)
            return errno;
        struct stat st;
        int error = 0;
        if (::fstat(fd, &st) != 0)
            error = errno;
        else if (!S_ISREG(st.st_mode))
            error = EINVAL;
        else if ((st.st_mode & (S_IRWXG | S_IRWXO)) && ::fchmod(fd, st.st_mode & S_IRWXU) != 0)
            error = errno;
        if (error == 0 && !file.open(fd, QIODevice::WriteOnly | QIODevice::Append | extra, QFileDevice::AutoCloseHandle))
            error = EIO;
        if (error != 0)
            ::close(fd);
        return error;
    }

private:
    // A folder or a regular file loses group's and others' rights; the owner
    // keeps what it has, so that a file the user made read-only stays so.
    static bool restrict(const QString &path)
    {
        const QByteArray name = QFile::encodeName(path);
        struct stat before;
        if (::lstat(name.constData(), &before) != 0 || !(S_ISDIR(before.st_mode) || S_ISREG(before.st_mode)))
            return false;   // a link, a device, a socket: not ours to change
        if (!(before.st_mode & (S_IRWXG | S_IRWXO)))
            return true;
        const int fd = ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) {
            // A file its owner may not read: changed by name, still not through a link.
            return errno == EACCES
                && ::fchmodat(AT_FDCWD, name.constData(), before.st_mode & S_IRWXU, AT_SYMLINK_NOFOLLOW) == 0;
        }
        struct stat st;
        // The same object as looked at, not one put there meanwhile.
        const bool ok = ::fstat(fd, &st) == 0 && st.st_dev == before.st_dev && st.st_ino == before.st_ino
            && ::fchmod(fd, st.st_mode & S_IRWXU) == 0;
        ::close(fd);
        return ok;
    }
};
