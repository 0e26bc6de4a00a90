#include "TrackedFrame.h"

#include "QuorixParser.h"

#include <algorithm>
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
template <typename Record>
void digestPosed(TrackedFrame &frame, int kind, int count, const Record *(QuorixParser::*record)(int) const,
                 const QuorixParser &parser)
{
    for (int i = 0; i < count; ++i) {
        const Record *r = (parser.*record)(i);
        const int key = TrackedFrame::key(kind, r->id);
        if (key < 0)
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

void TrackedFrame::digest(const QuorixParser &parser)
{
    if (parser.timeStamp() > 0.0)
        m_timeStamp = parser.timeStamp();
    m_targets.clear();

    for (int i = 0; i < parser.inertialBodyCount(); ++i) {
        const QuorixParser::InertialBodyRecord *r = parser.inertialBody(i);
        const int key = TrackedFrame::key(TrackedTarget::StandardBody, r->id);
        if (key < 0 || r->state < 0)
            continue;
        TrackedTarget target;
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
    for (int i = 0; i < parser.bodyCount(); ++i) {
        const QuorixParser::BodyRecord *r = parser.body(i);
        const int key = TrackedFrame::key(TrackedTarget::StandardBody, r->id);
        if (key < 0)
            continue;
        const auto existing = m_targets.find(key);
        if (existing != m_targets.end() && existing->second.state != TrackedTarget::NotTracked)
            continue;
        TrackedTarget target;
        if (r->quality >= 0.0) {
            target.state = TrackedTarget::FullPose;
            target.pose = poseOf(*r);
        }
        insert(key, target);
    }

    digestPosed(*this, TrackedTarget::Gripwand, parser.gripwandCount(), &QuorixParser::gripwand, parser);
    digestPosed(*this, TrackedTarget::MeasurementTool, parser.measurementToolCount(),
                &QuorixParser::measurementTool, parser);
    digestPosed(*this, TrackedTarget::ToolReference, parser.toolReferenceCount(), &QuorixParser::toolReference,
                parser);

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
}

} // namespace Logic
