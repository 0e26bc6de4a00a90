#include "TrackedFrame.h"

#include "QuorixParser.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace Logic {

namespace {

template <typename Record>
TrackedTarget::Pose poseOf(const Record &record)
{
    TrackedTarget::Pose pose;
    std::copy(record.position, record.position + 3, pose.begin());
    std::copy(record.rotation, record.rotation + 9, pose.begin() + 3);
    return pose;
}

// Gripwands, measurement tools and tool references share one rule: a
// quality below zero means not tracked, anything else a full pose.
template <typename Record, typename Report>
void digestPosed(TrackedFrame &frame, int kind, int count, const Record *(QuorixParser::*record)(int) const,
                 const QuorixParser &parser, Report report)
{
    for (int i = 0; i < count; ++i) {
        const Record *r = (parser.*record)(i);
        const int key = TrackedFrame::key(kind, r->id);
        if (key < 0 || !report(r->id, r->quality >= 0.0))
            continue;
        TrackedTarget target;
        target.kind = kind;
        if (r->quality >= 0.0) {
            target.state = TrackedTarget::FullPose;
            target.pose = poseOf(*r);
        }
        frame.insert(key, target);
    }
}

} // namespace

int TrackedFrame::key(int kind, int id)
{
    if (kind < TrackedTarget::StandardBody || kind > TrackedTarget::Marker || id < 0)
        return -1;
    // Only markers may use ids beyond their family's range: their keys are the
    // last range and open to the top. Any other id would alias the next kind.
    if (kind == TrackedTarget::Marker) {
        if (id > std::numeric_limits<int>::max() - KeysPerKind * kind)
            return -1;
    } else if (id >= KeysPerKind) {
        return -1;
    }
    return id + KeysPerKind * kind;
}

int TrackedFrame::idOfKey(int key)
{
    return key - KeysPerKind * std::min(key / KeysPerKind, static_cast<int>(TrackedTarget::Marker));
}

int TrackedFrame::familyOfLineKey(const char *key)
{
    static const struct {
        const char *key;
        Family family;
    } keys[] = {{"6d", Bodies}, {"6di", InertialBodies}, {"6df", Gripwands}, {"6df2", Gripwands},
                {"6dmt", Tools}, {"6dmt2", Tools}, {"6dmtr", References}, {"3d", Markers}, {"gl", Hands}};
    if (!key)
        return -1;
    for (const auto &k : keys) {
        if (std::strcmp(key, k.key) == 0)
            return k.family;
    }
    return -1;
}

int TrackedFrame::familyOf(const TrackedTarget &target)
{
    switch (target.kind) {
    case TrackedTarget::StandardBody: return target.inertial ? InertialBodies : Bodies;
    case TrackedTarget::Gripwand: return Gripwands;
    case TrackedTarget::MeasurementTool: return Tools;
    case TrackedTarget::ToolReference: return References;
    default: return Markers;
    }
}

bool TrackedFrame::report(int family, int id, bool tracked)
{
    if (id < 0 || id >= KeysPerKind)
        return tracked;
    std::vector<bool> &seen = m_everTracked[static_cast<size_t>(family)];
    const size_t index = static_cast<size_t>(id);
    if (tracked) {
        if (index >= seen.size())
            seen.resize(index + 1, false);
        if (!seen[index] && family == Bodies)
            m_everTrackedBodies.push_back(id);
        seen[index] = true;
        return true;
    }
    return index < seen.size() && seen[index];
}

void TrackedFrame::markNotTracked(unsigned families)
{
    if (!families)
        return;
    for (auto &entry : m_targets) {
        if (families & (1U << familyOf(entry.second)))
            entry.second.state = TrackedTarget::NotTracked;
    }
    if (families & (1U << Hands)) {
        for (auto &entry : m_hands)
            entry.second.tracked = false;
    }
}

void TrackedFrame::digest(const QuorixParser &parser, bool withInertial)
{
    if (parser.timeStamp() > 0.0)
        m_timeStamp = parser.timeStamp();
    m_targets.clear();
    m_hands.clear();

    for (int i = 0; withInertial && i < parser.inertialBodyCount(); ++i) {
        const QuorixParser::InertialBodyRecord *r = parser.inertialBody(i);
        const int key = TrackedFrame::key(TrackedTarget::StandardBody, r->id);
        if (key < 0 || r->state < 0 || !report(InertialBodies, r->id, r->state > 0))
            continue;
        TrackedTarget target;
        target.inertial = true;
        if (r->state == 1) {
            target.state = TrackedTarget::OrientationOnly;
            target.pose = poseOf(*r);
            target.pose[0] = target.pose[1] = target.pose[2] = 0.0;
        } else if (r->state >= 2) {
            target.state = TrackedTarget::FullPose;
            target.pose = poseOf(*r);
        }
        insert(key, target);
    }

    // An inertial body that is tracked wins over the optical body of its id.
    auto digestBody = [this, &parser](int id) {
        const QuorixParser::BodyRecord *r = parser.body(id);
        const int key = r ? TrackedFrame::key(TrackedTarget::StandardBody, r->id) : -1;
        if (key < 0 || !report(Bodies, r->id, r->quality >= 0.0))
            return;
        const auto existing = m_targets.find(key);
        if (existing != m_targets.end() && existing->second.state != TrackedTarget::NotTracked)
            return;
        TrackedTarget target;
        if (r->quality >= 0.0) {
            target.state = TrackedTarget::FullPose;
            target.pose = poseOf(*r);
        }
        insert(key, target);
    };
    // The line's bodies, then the ones tracked before that it left out: every
    // other record is unset, so the cost follows what is and was tracked, not
    // the highest id. Seeing a body twice changes nothing.
    for (int id : parser.bodyIdsOfLine())
        digestBody(id);
    const std::vector<int> &before = m_everTrackedBodies;
    for (size_t n = 0; n < before.size(); ++n)
        digestBody(before[n]);

    auto reportOf = [this](int family) {
        return [this, family](int id, bool tracked) { return report(family, id, tracked); };
    };
    digestPosed(*this, TrackedTarget::Gripwand, parser.gripwandCount(), &QuorixParser::gripwand, parser,
                reportOf(Gripwands));
    digestPosed(*this, TrackedTarget::MeasurementTool, parser.measurementToolCount(),
                &QuorixParser::measurementTool, parser, reportOf(Tools));
    digestPosed(*this, TrackedTarget::ToolReference, parser.toolReferenceCount(), &QuorixParser::toolReference,
                parser, reportOf(References));

    for (int i = 0; i < parser.markerCount(); ++i) {
        const QuorixParser::MarkerRecord *r = parser.marker(i);
        const int key = TrackedFrame::key(TrackedTarget::Marker, r->id);
        if (key < 0)
            continue;
        TrackedTarget target;
        target.kind = TrackedTarget::Marker;
        if (r->quality >= 0.0) {
            target.state = TrackedTarget::PositionOnly;
            std::copy(r->position, r->position + 3, target.pose.begin());
        }
        insert(key, target);
    }

    for (int i = 0; i < parser.handCount(); ++i) {
        const QuorixParser::HandRecord *r = parser.hand(i);
        if (!report(Hands, r->id, r->quality >= 0.0))
            continue;
        TrackedHand hand;
        hand.id = r->id;
        hand.tracked = r->quality >= 0.0;
        hand.side = r->side;
        if (hand.tracked) {
            hand.pose = poseOf(*r);
            hand.fingers = std::min(r->numFingers, static_cast<int>(TrackedHand::MaxFingers));
            for (int f = 0; f < hand.fingers; ++f)
                std::copy(r->fingers[f].position, r->fingers[f].position + 3, hand.tips[static_cast<size_t>(f)].begin());
        }
        insertHand(hand);
    }
}

} // namespace Logic
