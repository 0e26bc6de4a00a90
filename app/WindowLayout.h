#pragma once

#include <QByteArray>
#include <QList>
#include <QRect>
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
    // Every problem with the file falls back to the fixed arrangement, and
    // so does a file that would put the window off the screens or hide the
    // event display.
    void load(const QString &path);
    void applyFixedArrangement();

    // Sort key of a dock in the fixed arrangement; others counts the docks
    // without a special name found so far.
    static QString dockKey(const QString &objectName, int dockCount, int *others);

    // The file's content from its two blocks; empty when they cannot be
    // stored (a geometry block over 255 bytes, no state block).
    static QByteArray joinFile(const QByteArray &geometry, const QByteArray &state);
    // The two blocks of a file's content; false when it is cut short.
    static bool splitFile(const QByteArray &content, QByteArray *geometry, QByteArray *state);
    // The rectangle a geometry block (the toolkit's saveGeometry format) would
    // put the window's frame at: the normal geometry for a maximised or full
    // screen window. False when the block cannot be read.
    static bool geometryFrame(const QByteArray &block, QRect *frame);
    // Whether a window frame can be seen and reached on the given available
    // screen areas: it starts on one of them and stays within their bounds.
    static bool onScreens(const QRect &frame, const QList<QRect> &screens);
    static QList<QRect> availableScreens();

private:
    bool restore(const QString &path);
    bool restoredCleanly() const;
    void keepOnScreen();
    void fitToScreens() const;

    QMainWindow *m_window;
    QList<QToolBar *> m_toolBars;
};
