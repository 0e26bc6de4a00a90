#include "HealthRing.h"

#include <QtGlobal>

#include <algorithm>
#include <limits>

namespace Health {

namespace {

template <typename T>
void trim(std::deque<T> *list, qint64 spanMs, size_t maxCount)
{
    if (list->empty())
        return;
    const qint64 oldest = list->back().msecsSinceEpoch - spanMs;
    while (!list->empty() && list->front().msecsSinceEpoch < oldest)
        list->pop_front();
    while (list->size() > maxCount)
        list->pop_front();
}

template <typename T>
std::pair<size_t, size_t> range(const std::deque<T> &list, qint64 fromMs, qint64 toMs)
{
    if (fromMs > toMs)
        return {0, 0};
    const auto first = std::lower_bound(list.begin(), list.end(), fromMs,
                                        [](const T &x, qint64 ms) { return x.msecsSinceEpoch < ms; });
    const auto last = std::upper_bound(first, list.end(), toMs,
                                       [](qint64 ms, const T &x) { return ms < x.msecsSinceEpoch; });
    return {size_t(first - list.begin()), size_t(last - list.begin())};
}

} // namespace

HealthRing::HealthRing(qint64 spanMs, int maxSamples, int maxEvents)
    : m_spanMs(qMax<qint64>(0, spanMs))
    , m_maxSamples(size_t(qMax(1, maxSamples)))
    , m_maxEvents(size_t(qMax(1, maxEvents)))
{
}

void HealthRing::add(const HealthSample &s)
{
    if (!m_samples.empty() && s.msecsSinceEpoch < m_samples.back().msecsSinceEpoch)
        m_samples.clear();
    m_samples.push_back(s);
    trim(&m_samples, m_spanMs, m_maxSamples);
}

void HealthRing::addEvent(const HealthEvent &e)
{
    HealthEvent kept = e;
    if (kept.text.size() > MaxEventText)
        kept.text.truncate(MaxEventText);
    const auto at = std::upper_bound(m_events.begin(), m_events.end(), kept.msecsSinceEpoch,
                                     [](qint64 ms, const HealthEvent &x) { return ms < x.msecsSinceEpoch; });
    m_events.insert(at, std::move(kept));
    trim(&m_events, m_spanMs, m_maxEvents);
}

void HealthRing::addOlder(const std::vector<HealthSample> &samples, const std::vector<HealthEvent> &events)
{
    const qint64 before = m_samples.empty() ? std::numeric_limits<qint64>::max() : m_samples.front().msecsSinceEpoch;
    const qint64 eventsBefore = m_events.empty() ? std::numeric_limits<qint64>::max() : m_events.front().msecsSinceEpoch;
    std::deque<HealthSample> older;
    for (const HealthSample &s : samples)
        if (s.msecsSinceEpoch < before && (older.empty() || s.msecsSinceEpoch >= older.back().msecsSinceEpoch))
            older.push_back(s);
    m_samples.insert(m_samples.begin(), older.begin(), older.end());
    for (const HealthEvent &e : events)
        if (e.msecsSinceEpoch < eventsBefore)
            addEvent(e);
    trim(&m_samples, m_spanMs, m_maxSamples);
}

std::pair<size_t, size_t> HealthRing::sampleRange(qint64 fromMs, qint64 toMs) const
{
    return range(m_samples, fromMs, toMs);
}

std::pair<size_t, size_t> HealthRing::eventRange(qint64 fromMs, qint64 toMs) const
{
    return range(m_events, fromMs, toMs);
}

const HealthSample *HealthRing::nearest(qint64 ms, qint64 withinMs) const
{
    if (m_samples.empty() || withinMs < 0)
        return nullptr;
    const auto after = std::lower_bound(m_samples.begin(), m_samples.end(), ms,
                                        [](const HealthSample &x, qint64 t) { return x.msecsSinceEpoch < t; });
    const HealthSample *best = nullptr;
    quint64 bestDistance = 0;
    // Unsigned, so that no pair of times overflows.
    auto consider = [&](const HealthSample &s) {
        const quint64 distance = s.msecsSinceEpoch > ms ? quint64(s.msecsSinceEpoch) - quint64(ms)
                                                        : quint64(ms) - quint64(s.msecsSinceEpoch);
        if (distance <= quint64(withinMs) && (!best || distance < bestDistance)) {
            best = &s;
            bestDistance = distance;
        }
    };
    if (after != m_samples.begin())
        consider(*(after - 1));
    if (after != m_samples.end())
        consider(*after);
    return best;
}

const HealthSample *HealthRing::sampleFor(qint64 ms) const
{
    // A little over a second: the sampling timer is not exact.
    constexpr qint64 CoveredMs = 1250;
    const auto at = std::lower_bound(m_samples.begin(), m_samples.end(), ms,
                                     [](const HealthSample &x, qint64 t) { return x.msecsSinceEpoch < t; });
    // Unsigned, so that no pair of times overflows.
    if (at == m_samples.end() || quint64(at->msecsSinceEpoch) - quint64(ms) >= quint64(CoveredMs))
        return nullptr;
    return &*at;
}

void HealthRing::clear()
{
    m_samples.clear();
    m_events.clear();
}

} // namespace Health
