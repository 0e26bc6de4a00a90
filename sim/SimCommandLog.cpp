#include "SimCommandLog.h"

#include "SimCommandText.h"

#include <QDeadlineTimer>
#include <QFile>

namespace {
constexpr int kMaxEntries = 100000; // a flood must not eat the memory; the file keeps everything
}

void SimCommandLog::setFile(const QString& path)
{
    QMutexLocker lock(&m_mutex);
    m_file = path;
}

void SimCommandLog::append(const QString& transport, const QString& peer, const QString& text)
{
    // Tests and the --log file see commands as they came, but never a password.
    Entry e{transport, peer, SimCommandText::withoutPasswords(text), QDateTime::currentDateTime()};
    QMutexLocker lock(&m_mutex);
    if (m_entries.size() >= kMaxEntries)
        m_entries.removeFirst();
    m_entries.append(e);
    if (!m_file.isEmpty()) {
        QFile f(m_file);
        if (f.open(QIODevice::Append | QIODevice::Text)) {
            const QString line = QStringLiteral("%1 %2 %3 %4\n")
                                     .arg(e.time.toString(QStringLiteral("yyyy-MM-ddThh:mm:ss.zzz")), transport, peer, e.text);
            f.write(line.toUtf8());
        }
    }
    m_changed.wakeAll();
}

QList<SimCommandLog::Entry> SimCommandLog::entries() const
{
    QMutexLocker lock(&m_mutex);
    return m_entries;
}

int SimCommandLog::count() const
{
    QMutexLocker lock(&m_mutex);
    return m_entries.size();
}

void SimCommandLog::clear()
{
    QMutexLocker lock(&m_mutex);
    m_entries.clear();
}

bool SimCommandLog::waitForCount(int count, int timeoutMs) const
{
    QDeadlineTimer deadline(timeoutMs);
    QMutexLocker lock(&m_mutex);
    while (m_entries.size() < count)
        if (!m_changed.wait(&m_mutex, deadline))
            return m_entries.size() >= count;
    return true;
}

bool SimCommandLog::waitForText(const QString& text, int timeoutMs) const
{
    QDeadlineTimer deadline(timeoutMs);
    QMutexLocker lock(&m_mutex);
    for (;;) {
        for (const Entry& e : m_entries)
            if (e.text == text)
                return true;
        if (!m_changed.wait(&m_mutex, deadline)) {
            for (const Entry& e : m_entries)
                if (e.text == text)
                    return true;
            return false;
        }
    }
}
