#pragma once

#include "HealthSample.h"

#include <deque>
#include <utility>
#include <vector>

namespace Health {

// The last hour in memory, bounded however long the program runs: samples
// and events older than the newest one's time minus the span are dropped, and
// so are the oldest beyond the count limits. Both lists stay in time order,
// which the range searches rely on.
class HealthRing
{
public:
    static constexpr int MaxEventText = 1000;

    explicit HealthRing(qint64 spanMs = 3600000, int maxSamples = 7200, int maxEvents = 5000);

    // A sample older than the newest means the clock was stepped back: the
    // old samples would lie in the future of every new one, so they go.
    void add(const HealthSample &s);
    // Events from several sources may arrive slightly out of order: each is
    // put in its place.
    void addEvent(const HealthEvent &e);
    // An earlier run's record (read back from the day's file), in time order:
    // only what lies before everything held already is taken.
    void addOlder(const std::vector<HealthSample> &samples, const std::vector<HealthEvent> &events);

    const std::deque<HealthSample> &samples() const { return m_samples; }
    const std::deque<HealthEvent> &events() const { return m_events; }

    // [first, last) of the entries whose time lies in [fromMs, toMs].
    std::pair<size_t, size_t> sampleRange(qint64 fromMs, qint64 toMs) const;
    std::pair<size_t, size_t> eventRange(qint64 fromMs, qint64 toMs) const;
    // The sample closest to ms, if it lies at most withinMs away.
    const HealthSample *nearest(qint64 ms, qint64 withinMs) const;
    // The sample that stands for the moment ms: the first taken at or after
    // it, as each sample covers the second before it; none in a gap.
    const HealthSample *sampleFor(qint64 ms) const;

    qint64 spanMs() const { return m_spanMs; }
    void clear();

private:
    qint64 m_spanMs;
    size_t m_maxSamples;
    size_t m_maxEvents;
    std::deque<HealthSample> m_samples;
    std::deque<HealthEvent> m_events;
};

} // namespace Health
