#pragma once

#include <QList>
#include <QString>

class QDockWidget;
class QMainWindow;
class QToolBar;

// The arrangement of a main window's tool bars and docks, kept in a small file:
// one byte with the geometry block's length, the geometry block, then the state block.
class WindowLayout
{
public:
    static constexpr int FixedWidth = 1200;
    static constexpr int FixedHeight = 800;

    WindowLayout(QMainWindow *window, QList<QToolBar *> toolBars);

    // Returns an error text for the user, empty on success.
    QString save(const QString &path) const;
    // Every problem with the file falls back to the fixed arrangement.
    void load(const QString &path);
    void applyFixedArrangement();

    // Sort key of a dock in the fixed arrangement; others counts the docks
    // without a special name found so far.
    static QString dockKey(const QString &objectName, int dockCount, int *others);

private:
    bool restore(const QString &path);

    QMainWindow *m_window;
    QList<QToolBar *> m_toolBars;
};
