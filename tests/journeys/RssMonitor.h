#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QVector>

class QTimer;

// Samples the program's resident memory (VmRSS of /proc/self/status) once a
// second, so that a journey can tell memory that settles from memory that
// grows with every repetition. Samples of the warm-up are taken but not
// judged: Qt3D's caches, the fonts and the allocator's arenas fill up there.
class RssMonitor : public QObject
{
    Q_OBJECT

public:
    explicit RssMonitor(int warmUpMs, QObject *parent = nullptr);

    // Whether the last window's median stays within 'percent' of the first
    // window's (windows of a minute, a third of the judged time when that is
    // shorter); 'report' gets the figures either way.
    bool flat(double percent, QString *report) const;

    static long residentKb();

private:
    struct Sample {
        qint64 ms;
        long kb;
    };
    void sample();

    int m_warmUpMs;
    QElapsedTimer m_clock;
    QTimer *m_timer;
    QVector<Sample> m_samples;
};
