#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>

class QAction;
class QDockWidget;
class QMainWindow;
class QWidget;

// A module's dock whose content is the window's middle while it is docked:
// there it stands without a title bar, as the window's central widget. It
// floats to a window of its own (another screen) from the menu, and docks
// back into the middle from the menu or from the floating dock's own title
// (its float button, a double click). The dock itself is never shown docked,
// so the window never holds a bare title bar.
//
// What the user chose is kept with the docks in the window layout, in the
// toolkit's own terms: floating as any dock; shown or hidden in the middle as
// the hidden dock standing in the top or in the left area.
class CentralDock : public QObject
{
    Q_OBJECT

public:
    CentralDock(QMainWindow *window, QDockWidget *dock);

    // Shows and hides the content wherever it is (the text and tips are the
    // dock's own entry's), and floats it or docks it back.
    QAction *viewAction() const { return m_view; }
    QAction *floatAction() const { return m_float; }
    QList<QAction *> actions() const { return {m_view, m_float}; }

    bool isShown() const;
    bool isFloating() const;

    // After a layout was restored or arranged afresh: the content goes where
    // the dock's state says.
    void settle();

private:
    void setShown(bool shown);
    void setFloating(bool floating);
    void syncActions();
    QRect onScreen(QRect rect) const;
    // While the middle is empty the other docks fill the window; given the
    // middle back, they return to the sizes they had.
    void rememberDockSizes();
    void restoreDockSizes();
    struct DockSize {
        QPointer<QDockWidget> dock;
        int size;
        Qt::Orientation orientation;
    };
    // The docks shown in the window, each at most that high (above or below
    // the middle) or wide (beside it).
    QList<DockSize> dockSizes(int maxHeight, int maxWidth) const;

    QMainWindow *m_window;
    QPointer<QDockWidget> m_dock;
    QPointer<QWidget> m_content;
    QAction *m_view;
    QAction *m_float;
    bool m_settling = false;
    bool m_middleShown = true;
    QList<DockSize> m_dockSizes;
};
