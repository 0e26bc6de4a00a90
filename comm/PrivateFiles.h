#pragma once

#include <QString>

// The per-user folder (~/.ZEL/QUORIX4) holds the saved front-end password, the
// commands log and the event logs: it and everything the program writes in it
// are for the user alone. Group and others lose all rights (folders 0700, files
// 0600 as the program makes them), also on what an earlier version left.
class PrivateFiles
{
public:
    static QString userRoot();

    // Creates the folder with its parents; the folder and every folder between
    // it and the per-user folder end up owner-only. False when it cannot be made.
    static bool makeDir(const QString &dir);

    // No rights for group and others; false when the file is not there or not ours.
    static bool restrictFile(const QString &path);

    // The same for the folder and everything below it. Symbolic links are
    // neither changed nor followed.
    static void restrictTree(const QString &root);
};
