#pragma once

#include <QByteArray>
#include <QVector>

#include <cstdint>

struct xcb_connection_t;

// What the window manager made of our windows, read from the X server on a
// connection of its own: the properties that only a window manager sets
// (WM_STATE, _NET_WM_STATE of a mapped window, _NET_ACTIVE_WINDOW), so that a
// step can tell a request that Qt only recorded from one the manager carried
// out.
class WindowManagerProbe
{
public:
    enum class State { Unknown, Withdrawn, Normal, Iconic };

    WindowManagerProbe();
    ~WindowManagerProbe();
    WindowManagerProbe(const WindowManagerProbe &) = delete;
    WindowManagerProbe &operator=(const WindowManagerProbe &) = delete;

    // A window manager that names its check window on the root window, and
    // that window names it back.
    bool running();
    State state(quint32 window);
    bool maximized(quint32 window);
    quint32 activeWindow();
    // The managed client whose WM_CLASS instance is that name; 0 when none.
    quint32 findClient(const QByteArray &instance);
    // Asks the manager to activate the window, as a pager or task bar does.
    void activate(quint32 window);

private:
    bool connected();
    quint32 atom(const char *name);
    QVector<quint32> property(quint32 window, const char *name, quint32 type);
    QByteArray text(quint32 window, const char *name);

    xcb_connection_t *m_connection = nullptr;
    quint32 m_root = 0;
};
