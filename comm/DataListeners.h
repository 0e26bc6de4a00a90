#pragma once

#include <QByteArray>

#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

class Requester;

// The requesters subscribed to measurement data lines, by the line's first
// word, and the delivery of a line to them from the data thread. A requester
// may unsubscribe (itself or another) while a line is delivered; once remove()
// has returned, it is not called again and no call to it is in flight.
class DataListeners
{
public:
    // False when the requester was subscribed to the key already.
    // `wasEmpty` tells whether nobody listened before.
    bool add(const QByteArray &key, Requester *requester, bool *wasEmpty = nullptr);
    // False when it was not subscribed. `nowEmpty` tells whether nobody
    // listens any more. From another thread than the delivering one, waits
    // for the call in flight to it.
    bool remove(const QByteArray &key, Requester *requester, bool *nowEmpty = nullptr);
    // Calls onData(keyText, line) of each requester subscribed to `key`, with
    // no lock held during the calls.
    void deliver(const QByteArray &key, const char *keyText, const char *line);
    // Each line of a measurement datagram (cut into lines in place) to the
    // requesters subscribed to its first word; a first word of ten or more
    // characters is no key.
    void deliverDatagram(char *datagram);

private:
    std::mutex m_lock;
    std::condition_variable m_done;
    std::map<QByteArray, std::set<Requester *>> m_listeners;
    Requester *m_dispatching = nullptr;
    std::thread::id m_dispatchThread;
    std::vector<Requester *> m_targets;   // the delivering thread's
};
