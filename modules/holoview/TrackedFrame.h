#pragma once

#include "TrackedTarget.h"

#include <map>

class QuorixParser;

namespace Logic {

// The targets of one measurement frame, keyed so that every family has a
// range of its own: standard and inertial bodies by id, the other kinds by
// id + 1000 · kind. Filled in the data thread from the parser's records and
// handed to the GUI thread as a copy.
class TrackedFrame
{
public:
    using TargetMap = std::map<int, TrackedTarget>;

    static constexpr int KeysPerKind = 1000;

    // Key of a target; -1 when the id cannot be given a key of its own kind
    // (negative, or too large to be told apart from another kind's key).
    static int key(int kind, int id);
    static int idOfKey(int key);

    // Refills the map from the parser's records, family by family: inertial
    // bodies, standard bodies, gripwands, measurement tools, tool references,
    // markers. A time stamp above 0 replaces the frame's.
    void digest(const QuorixParser &parser);

    double timeStamp() const { return m_timeStamp; }
    void setTimeStamp(double seconds) { m_timeStamp = seconds; }

    const TargetMap &targets() const { return m_targets; }
    // Sets the target under its key; a later one replaces an earlier one.
    void insert(int key, const TrackedTarget &target) { m_targets[key] = target; }
    void clear() { m_targets.clear(); }

private:
    double m_timeStamp = -1.0;
    TargetMap m_targets;
};

} // namespace Logic
