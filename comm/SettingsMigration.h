#pragma once

#include <QString>

// Settings live in one folder per version ("<root>/v4.0.1/config"), so that
// each version reads only what it wrote itself. A version started for the
// first time takes a copy of the settings of the newest older version there;
// the older folder is left as it was, so that version still finds its own.
class SettingsMigration
{
public:
    // Copies <root>/<older>/<sub> to <root>/<current>/<sub> when the latter is
    // missing or empty; <older> is the newest "vMAJOR.MINOR.PATCH" folder
    // below current that has settings. Returns the folder copied from, or an
    // empty text when nothing was copied.
    static QString adoptOlder(const QString &root, const QString &current, const QString &sub = QStringLiteral("config"));

    // "v4.0.12" as a number that orders versions; -1 for any other name.
    static qint64 versionKey(const QString &folderName);

private:
    static bool copyTree(const QString &from, const QString &to);
};
