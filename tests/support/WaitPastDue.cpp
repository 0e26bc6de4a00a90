#include "WaitPastDue.h"

#include <QDeadlineTimer>
#include <QTest>
#include <QTimer>

bool waitPastDue(int ms, int limitMs)
{
    bool fired = false;
    QTimer sentinel;
    sentinel.setSingleShot(true);
    sentinel.setTimerType(Qt::PreciseTimer);
    QObject::connect(&sentinel, &QTimer::timeout, [&fired] { fired = true; });
    sentinel.start(ms);
    const QDeadlineTimer limit(limitMs);
    while (!fired && !limit.hasExpired())
        QTest::qWait(10);
    return fired;
}
