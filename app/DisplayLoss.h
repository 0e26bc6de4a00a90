#pragma once

#include <QByteArray>
#include <QStringList>

// The X server going away (the session ended, the display was switched off)
// makes Qt and Xlib end the process with exit(), from the GUI thread and from
// the 3D renderer's thread at once, after much of Qt is torn down. Watched,
// the program ends instead with the window's settings kept and with success,
// as when the session's end comes as a signal. Any other exit() goes on as
// usual. The settings are written from a copy the window keeps up to date,
// with nothing but system calls: by then no Qt object can be relied on.
class DisplayLoss
{
public:
    // Once, after the application object is made (Xlib is loaded by then).
    static void watch(const QStringList &arguments);
    // The window's latest preferences and layout, and where they go.
    static void remember(const QString &preferencesFile, const QByteArray &preferences, const QString &layoutFile,
                         const QByteArray &layout);
    // No window any more: nothing to keep.
    static void forget();
    // main() returns: from here on an exit() is the program's own.
    static void mainReturns();

private:
    [[noreturn]] static void end();
    static void onExit();
    static int onIoError(void *display);
};
