#pragma once

#include "WindowManagerProbe.h"

#include <QPointer>
#include <QSize>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

class QDockWidget;
class QMainWindow;
class QProcess;

// Steps that go through the window manager: each acts on its first try and
// then reports, try by try, whether the manager has carried it out, judged
// from what only the manager sets on the X server as well as from what Qt
// shows. They fail at once without a window manager.
class WindowSteps
{
public:
    explicit WindowSteps(std::function<void(const QString &)> fail);
    ~WindowSteps();

    // Whether there is a main window to act on; the steps wait until there is.
    bool ready() const { return mainWindow() != nullptr; }

    // The main window "minimized", "maximized" or "normal".
    bool windowState(const QString &state, bool first);
    // The dock NAME (or "*": the first one shown that is not there yet)
    // "floating" or "docked".
    bool dock(const QString &name, const QString &where, bool first);
    // "away": another program's window takes the focus; "back": it ends and
    // the main window is asked to the front again.
    bool focus(const QString &how, bool first);

private:
    QMainWindow *mainWindow() const;
    bool windowIs(QMainWindow *window, const QString &state);
    void requireManager();

    std::function<void(const QString &)> m_fail;
    WindowManagerProbe m_probe;
    QSize m_normalSize;
    QPointer<QDockWidget> m_dock;
    QPointer<QWidget> m_content;
    std::unique_ptr<QProcess> m_foreign;
    quint32 m_foreignWindow = 0;
    bool m_activationAsked = false;
};
