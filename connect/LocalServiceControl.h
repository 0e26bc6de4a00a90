#pragma once

#include <QByteArray>

#include <functional>

// The back-end service on this computer, as the selection dialog sees it:
// installed or not, its state, start and stop, and a listener for changes.
// States: 1 stopped, 2 start pending, 3 stop pending, 4 running, 512 removed,
// -1 unknown. The error is the exit code of a stopped service, else 0.
class LocalServiceControl
{
public:
    enum State { Unknown = -1, Stopped = 1, StartPending = 2, StopPending = 3, Running = 4, Removed = 512 };
    // Called in a thread of the watcher's: it must not block or touch widgets.
    using Listener = std::function<void(int state, int error)>;

    virtual ~LocalServiceControl() = default;

    virtual bool isInstalled() = 0;
    virtual int currentState() = 0;
    virtual void startLocalService() = 0;
    virtual void stopLocalService() = 0;
    // False when the key is registered already (the first listener stays).
    virtual bool connectStatusListener(const QByteArray &key, Listener listener) = 0;
    virtual bool disconnectStatusListener(const QByteArray &key) = 0;

    // The process-wide instance; tests put a stand-in in its place.
    static LocalServiceControl *instance();
    static void setInstance(LocalServiceControl *control);
};
