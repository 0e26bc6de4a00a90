#include "DataListeners.h"

#include "Requester.h"

#include <cstring>

bool DataListeners::add(const QByteArray &key, Requester *requester, bool *wasEmpty)
{
    std::lock_guard<std::mutex> lock(m_lock);
    const bool empty = m_listeners.empty();
    if (!m_listeners[key].insert(requester).second)
        return false;
    if (wasEmpty)
        *wasEmpty = empty;
    return true;
}

bool DataListeners::remove(const QByteArray &key, Requester *requester, bool *nowEmpty)
{
    std::unique_lock<std::mutex> lock(m_lock);
    const auto it = m_listeners.find(key);
    if (it == m_listeners.end() || it->second.erase(requester) == 0)
        return false;
    if (it->second.empty())
        m_listeners.erase(it);
    if (nowEmpty)
        *nowEmpty = m_listeners.empty();
    // From inside its own onData the call in flight is the caller's: waiting
    // for it would never end.
    if (std::this_thread::get_id() != m_dispatchThread)
        m_done.wait(lock, [&] { return m_dispatching != requester; });
    return true;
}

void DataListeners::deliver(const QByteArray &key, const char *keyText, const char *line)
{
    std::unique_lock<std::mutex> lock(m_lock);
    const auto subscribed = m_listeners.find(key);
    if (subscribed == m_listeners.end())
        return;
    // Over a copy: a listener may unsubscribe (itself or another) meanwhile.
    m_targets.assign(subscribed->second.begin(), subscribed->second.end());
    m_dispatchThread = std::this_thread::get_id();
    for (Requester *r : m_targets) {
        const auto it = m_listeners.find(key);
        if (it == m_listeners.end() || it->second.count(r) == 0)
            continue;   // unsubscribed since the copy: not called again
        m_dispatching = r;
        lock.unlock();
        r->onData(keyText, line);
        lock.lock();
        m_dispatching = nullptr;
        m_done.notify_all();
    }
    m_dispatchThread = std::thread::id();
}

void DataListeners::deliverDatagram(char *datagram)
{
    char *p = datagram;
    while (*p) {
        char *end = p + std::strcspn(p, "\r\n");
        const bool last = *end == '\0';
        *end = '\0';
        if (end != p) {
            const size_t keyLength = std::strcspn(p, " ");
            if (keyLength < 10) {
                char key[10];
                std::memcpy(key, p, keyLength);
                key[keyLength] = '\0';
                deliver(QByteArray::fromRawData(key, int(keyLength)), key, p);
            }
        }
        if (last)
            break;
        p = end + 1;
    }
}
