#pragma once

#include "LocalServiceControl.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>

class QThread;

// Reports the state changes of one systemd unit to registered listeners. One
// dispatcher per unit (and bus), kept in a process-wide table. A watcher
// thread runs while at least one listener is registered: the first connect
// starts it, and it ends by itself within about 100 ms after the last
// listener has left. Each listener hears the current state once after it
// registered and then every change, in the watcher thread, in key order,
// with the dispatcher's mutex held: so once disconnect has returned, the
// listener is never called again. Callbacks must not block and must not
// call back into the dispatcher (such a call is refused).
class ServiceStatusDispatcher
{
public:
    using Listener = LocalServiceControl::Listener;

    // busAddress empty: the system bus. Created on first use, never freed
    // before the program ends.
    static ServiceStatusDispatcher *forService(const QString &busAddress, const QString &unitName);

    ~ServiceStatusDispatcher();

    // False when the key is registered already; the first listener stays.
    bool connect(const QByteArray &key, Listener listener);
    // False when no listener has that key.
    bool disconnect(const QByteArray &key);
    // True while the watcher thread exists.
    bool isWatching() const;

private:
    struct Entry
    {
        Listener listener;
        bool told = false;
        int state = 0;
        int error = 0;
    };

    ServiceStatusDispatcher(const QString &busAddress, const QString &unitName);
    void watch();
    void deliver(int state, int error);
    bool calledFromCallback(const char *operation) const;
    void stop();
    static void stopAll();

    const QString m_busAddress;
    const QString m_unitName;
    mutable std::mutex m_mutex;
    std::map<QByteArray, Entry> m_listeners;
    bool m_running = false;
    bool m_listenerAdded = false;
    std::unique_ptr<QThread> m_thread;
    std::atomic<QThread *> m_watcherThread{nullptr};
};
