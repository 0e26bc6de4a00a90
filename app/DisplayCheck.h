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
    static bool available(const QStringList &arguments, QString *displayName);
};
