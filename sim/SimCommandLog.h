#pragma once

#include <QDateTime>
#include <QList>
#include <QMutex>
#include <QString>
#include <QWaitCondition>

// Every command the simulator received, in arrival order, for tests and for
// the --log file. Safe to use from any thread.
class SimCommandLog
{
public:
    struct Entry
    {
        QString transport; // "tcp", "udp" or "data" (a datagram on the stream socket)
        QString peer;      // "address:port"
        QString text;      // the command; bytes that are not printable are written \xNN
        QDateTime time;
    };

    void setFile(const QString& path);
    void append(const QString& transport, const QString& peer, const QString& text);
    QList<Entry> entries() const;
    int count() const;
    void clear();
    // Waits until at least count entries were logged since the last clear.
    bool waitForCount(int count, int timeoutMs) const;
    // Waits until a command equal to text has been logged.
    bool waitForText(const QString& text, int timeoutMs) const;

private:
    mutable QMutex m_mutex;
    mutable QWaitCondition m_changed;
    QList<Entry> m_entries;
    QString m_file;
};
