#pragma once

#include <QString>
#include <QStringList>

// Whether the window system that Qt is about to use can be reached. Qt's own
// X11 platform plug-in aborts the process when it cannot connect, so this is
// asked before the application object is made.
class DisplayCheck
{
public:
    // `arguments` as main() received them, program name first. True when the
    // platform is not X11 (offscreen, Wayland, …: Qt reports those itself) or
    // when the X display answers. `displayName` receives the display that was
    // tried, empty when none was named.
    // The connection that answered stays open until release(): closing it
    // would leave a server without clients, which resets itself then and
    // refuses the connection Qt makes a moment later.
    // A display that takes the connection but does not answer within
    // AnswerMs counts as unreachable.
    static bool available(const QStringList &arguments, QString *displayName);
    static constexpr int AnswerMs = 5000;
    // Once Qt holds its own connection.
    static void release();
};
