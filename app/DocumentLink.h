#pragma once

#include <QString>

class QWidget;

// Opens a link from an information dialog with the desktop's default handler
// and warns when that cannot be done. Shared by the about and service dialogs.
class DocumentLink
{
public:
    // "file:///<dir>/<relative>" for a document shipped next to the program.
    static QString localUrl(const QString &appDir, const QString &relativePath);
    // An anchor for a rich-text label.
    static QString anchor(const QString &appDir, const QString &relativePath, const QString &text);

    // False, after the warning box, when the link could not be opened. A local
    // document that does not exist counts as a failure: the desktop's opener is
    // started detached and would report success without showing anything.
    static bool open(const QString &link, QWidget *parent);

    static QString failureText(const QString &link);
};
