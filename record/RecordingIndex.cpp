#include "RecordingIndex.h"

#include <algorithm>

RecordingIndex::RecordingIndex(Recording recording)
    : m_recording(std::move(recording))
{
    auto &records = m_recording.records;
    std::stable_sort(records.begin(), records.end(),
                     [](const ChannelRecord &a, const ChannelRecord &b) { return a.timeUs < b.timeUs; });
    for (size_t i = 0; i < records.size(); ++i)
        if (records[i].kind == ChannelRecord::Kind::Command && records[i].code == 0)
            m_answers[records[i].text].push_back(i);
    if (!records.empty()) {
        m_endUs = records.back().timeUs;
        m_startUs = records.front().timeUs;
        const qint64 first = m_recording.header.firstUs;
        if (first > m_startUs && first <= m_endUs)
            m_startUs = first;
    }
}

const ChannelRecord *RecordingIndex::reply(const QByteArray &command, qint64 atUs) const
{
    const auto found = m_answers.constFind(command);
    if (found == m_answers.constEnd() || found->empty())
        return nullptr;
    const std::vector<size_t> &at = *found;
    const auto &records = m_recording.records;
    // The first answer sent after atUs; the one before it is the latest.
    const auto next = std::upper_bound(at.begin(), at.end(), atUs,
                                       [&records](qint64 us, size_t i) { return us < records[i].timeUs; });
    return &records[next == at.begin() ? at.front() : *(next - 1)];
}

size_t RecordingIndex::firstAfter(qint64 us) const
{
    const auto &records = m_recording.records;
    const auto it = std::upper_bound(records.begin(), records.end(), us,
                                     [](qint64 t, const ChannelRecord &r) { return t < r.timeUs; });
    return size_t(it - records.begin());
}
