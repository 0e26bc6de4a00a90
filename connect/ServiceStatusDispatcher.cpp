#include "ServiceStatusDispatcher.h"

#include "SystemdUnit.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <cstdio>
#include <vector>

namespace {

// One pass of the watcher: long enough to keep the bus quiet, short enough
// that the thread ends soon after its last listener.
constexpr int PassMs = 100;
// Signals are what normally tells of a change; this re-read covers a signal
// that never came and a bus or unit that is not there yet.
constexpr int ReadEveryMs = 1000;

// The numbers in the diagnostic lines tell which place wrote them.
enum Place : unsigned {
    StartListener = 1,
    BusUnavailable = 2,
    UnitUnreadable = 3,
    UnitNotFound = 4,
    ListenerTerminated = 5,
    CalledFromCallback = 6,
};

std::mutex tableMutex;

std::map<QString, std::unique_ptr<ServiceStatusDispatcher>> &table()
{
    static std::map<QString, std::unique_ptr<ServiceStatusDispatcher>> dispatchers;
    return dispatchers;
}

} // namespace

ServiceStatusDispatcher *ServiceStatusDispatcher::forService(const QString &busAddress, const QString &unitName)
{
    std::lock_guard<std::mutex> lock(tableMutex);
    auto &dispatchers = table();
    if (dispatchers.empty()) {
        // Watchers talk D-Bus through Qt, so they end while Qt is still there,
        // not when static objects are destroyed after main().
        qAddPostRoutine(&ServiceStatusDispatcher::stopAll);
    }
    std::unique_ptr<ServiceStatusDispatcher> &slot = dispatchers[busAddress + QLatin1Char('\n') + unitName];
    if (!slot)
        slot.reset(new ServiceStatusDispatcher(busAddress, unitName));
    return slot.get();
}

void ServiceStatusDispatcher::stopAll()
{
    // Stopped outside the table's lock: a listener still running may look a dispatcher up.
    std::vector<ServiceStatusDispatcher *> dispatchers;
    {
        std::lock_guard<std::mutex> lock(tableMutex);
        for (auto &item : table())
            dispatchers.push_back(item.second.get());
    }
    for (ServiceStatusDispatcher *dispatcher : dispatchers)
        dispatcher->stop();
}

ServiceStatusDispatcher::ServiceStatusDispatcher(const QString &busAddress, const QString &unitName)
    : m_busAddress(busAddress)
    , m_unitName(unitName)
{
}

ServiceStatusDispatcher::~ServiceStatusDispatcher()
{
    stop();
}

void ServiceStatusDispatcher::stop()
{
    std::unique_ptr<QThread> thread;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_listeners.clear();
        m_running = false;
        thread = std::move(m_thread);
    }
    if (!thread)
        return;
    if (QThread::currentThread() == thread.get()) {
        std::printf("{%u} ServiceStatusDispatcher: the watcher cannot wait for itself\n", CalledFromCallback);
        std::fflush(stdout);
        thread.release()->deleteLater();
        return;
    }
    thread->wait();
}

bool ServiceStatusDispatcher::calledFromCallback(const char *operation) const
{
    // The watcher thread runs nothing but the callbacks, and they hold the mutex.
    if (QThread::currentThread() != m_watcherThread.load())
        return false;
    std::printf("{%u} ServiceStatusDispatcher::%s() refused inside a listener\n", CalledFromCallback, operation);
    std::fflush(stdout);
    return true;
}

bool ServiceStatusDispatcher::connect(const QByteArray &key, Listener listener)
{
    if (!listener || calledFromCallback("connect"))
        return false;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_listeners.count(key) != 0)
        return false;
    Entry entry;
    entry.listener = std::move(listener);
    m_listeners.emplace(key, std::move(entry));
    m_listenerAdded = true;
    if (!m_running) {
        std::printf("{%u} ServiceStatusDispatcher::connect(): start listener\n", StartListener);
        std::fflush(stdout);
        // A previous watcher has been told to end and no longer needs the mutex.
        if (m_thread)
            m_thread->wait();
        m_running = true;
        m_thread.reset(QThread::create([this] { watch(); }));
        m_thread->start();
    }
    return true;
}

bool ServiceStatusDispatcher::disconnect(const QByteArray &key)
{
    if (calledFromCallback("disconnect"))
        return false;
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_listeners.erase(key) != 0;
}

bool ServiceStatusDispatcher::isWatching() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_thread && !m_thread->isFinished();
}

void ServiceStatusDispatcher::deliver(int state, int error)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (auto &item : m_listeners) {
        Entry &entry = item.second;
        if (entry.told && entry.state == state && entry.error == error)
            continue;
        entry.told = true;
        entry.state = state;
        entry.error = error;
        entry.listener(state, error);
    }
}

void ServiceStatusDispatcher::watch()
{
    m_watcherThread = QThread::currentThread();
    {
        SystemdUnit unit(m_busAddress, m_unitName);
        unit.watchChanges();
        const QByteArray unitName = m_unitName.toUtf8();
        QString lastProblem;
        QElapsedTimer sinceRead;
        for (;;) {
            const bool changed = unit.takeChange();
            bool readNow = changed || !sinceRead.isValid() || sinceRead.hasExpired(ReadEveryMs);
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                readNow = readNow || m_listenerAdded;
                m_listenerAdded = false;
            }
            if (readNow) {
                const SystemdUnit::Status status = unit.read();
                sinceRead.start();
                // Each problem is written once, not on every pass.
                QString problem;
                const QByteArray why = unit.lastError().toUtf8();
                if (!unit.isConnected())
                    problem = QString::asprintf("{%u} bus connection failed w/err %s\n", BusUnavailable, why.constData());
                else if (status.state == LocalServiceControl::Unknown && !why.isEmpty())
                    problem = QString::asprintf("{%u} reading %s failed w/err %s\n", UnitUnreadable,
                                                unitName.constData(), why.constData());
                else if (status.state == LocalServiceControl::Removed)
                    problem = QString::asprintf("{%u} %s not found\n", UnitNotFound, unitName.constData());
                if (!problem.isEmpty() && problem != lastProblem) {
                    std::fputs(problem.toLocal8Bit().constData(), stdout);
                    std::fflush(stdout);
                }
                lastProblem = problem;
                deliver(status.state, status.error);
            }

            // Wait with this thread's event loop running, so that systemd's signals come in.
            QEventLoop loop;
            QTimer::singleShot(PassMs, &loop, &QEventLoop::quit);
            loop.exec();

            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_listeners.empty()) {
                m_running = false;
                break;
            }
        }
    }
    std::printf("{%u} Notification listener terminated\n", ListenerTerminated);
    std::fflush(stdout);
    m_watcherThread = nullptr;
}
