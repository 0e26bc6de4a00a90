#include "RssMonitor.h"

#include <QFile>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

long median(QVector<long> values)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

RssMonitor::RssMonitor(int warmUpMs, QObject *parent)
    : QObject(parent)
    , m_warmUpMs(warmUpMs)
    , m_timer(new QTimer(this))
{
    m_clock.start();
    m_timer->setInterval(1000);
    connect(m_timer, &QTimer::timeout, this, &RssMonitor::sample);
    m_timer->start();
    sample();
}

long RssMonitor::residentKb()
{
    QFile file(QStringLiteral("/proc/self/status"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    // A /proc file has no size: read until it ends rather than asking atEnd().
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

void RssMonitor::sample()
{
    const long kb = residentKb();
    if (kb <= 0)
        return;
    m_samples.append({m_clock.elapsed(), kb});
    // Every half minute in the log as well: a run that crashes never gets to
    // the verdict.
    if (m_samples.size() % 30 == 1)
        std::fprintf(stderr, "journey: resident memory %.1f MB after %lld s\n", kb / 1024.0,
                     static_cast<long long>(m_clock.elapsed() / 1000));
}

bool RssMonitor::flat(double percent, QString *report) const
{
    QVector<Sample> judged;
    long peak = 0;
    for (const Sample &s : m_samples) {
        peak = std::max(peak, s.kb);
        if (s.ms >= m_warmUpMs)
            judged.append(s);
    }
    if (judged.size() < 6) {
        *report = QStringLiteral("too few memory samples (%1) to judge").arg(judged.size());
        return false;
    }
    const qint64 span = judged.last().ms - judged.first().ms;
    const qint64 window = std::min<qint64>(60000, span / 3);
    QVector<long> first;
    QVector<long> last;
    for (const Sample &s : judged) {
        if (s.ms <= judged.first().ms + window)
            first.append(s.kb);
        if (s.ms >= judged.last().ms - window)
            last.append(s.kb);
    }
    const long before = median(first);
    const long after = median(last);
    const double growth = before > 0 ? 100.0 * (after - before) / before : 0.0;
    *report = QStringLiteral("resident memory over %1 s after %2 s warm-up: median %3 MB in the first %4 s, "
                             "%5 MB in the last %4 s (%6%7%), peak %8 MB, %9 samples")
                  .arg(span / 1000)
                  .arg(m_warmUpMs / 1000)
                  .arg(before / 1024.0, 0, 'f', 1)
                  .arg(window / 1000)
                  .arg(after / 1024.0, 0, 'f', 1)
                  .arg(growth >= 0 ? QStringLiteral("+") : QString())
                  .arg(growth, 0, 'f', 1)
                  .arg(peak / 1024.0, 0, 'f', 1)
                  .arg(m_samples.size());
    return growth <= percent;
}
