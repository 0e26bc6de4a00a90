#pragma once

#include "TrackedTarget.h"

#include <array>
#include <map>
#include <vector>

class QuorixParser;

namespace Logic {

// The targets of one measurement frame, keyed so that every family has a
// range of its own: standard and inertial bodies by id, the other kinds by
// id + 1000 · kind. Hands are kept apart by id. Filled in the data thread from
// the parser's records and handed to the GUI thread as a copy.
class TrackedFrame
{
public:
    using TargetMap = std::map<int, TrackedTarget>;
    using HandMap = std::map<int, TrackedHand>;

    static constexpr int KeysPerKind = 1000;

    // The line families a frame is made of; each can go stale on its own.
    enum Family { Bodies, InertialBodies, Gripwands, Tools, References, Markers, Hands, FamilyCount };

    // Key of a target; -1 when the id cannot be given a key of its own kind
    // (negative, or too large to be told apart from another kind's key).
    static int key(int kind, int id);
    static int idOfKey(int key);
    // Family of a data line's first word; -1 for lines that carry no targets.
    static int familyOfLineKey(const char *key);
    static int familyOf(const TrackedTarget &target);

    // Refills the frame from the parser's records, family by family: inertial
    // bodies (unless left out), standard bodies, gripwands, measurement tools,
    // tool references, markers; then the hands. A time stamp above 0 replaces
    // the frame's. A target that is not tracked is only reported once this
    // frame has seen it tracked: the parser keeps a record for every id up to
    // the highest ever named, and a frame should cost what is tracked, not
    // that. (A never tracked target has nothing to draw or to hide.)
    void digest(const QuorixParser &parser, bool withInertial = true);

    // Every target and hand of the families in 'families' (bit 1 << Family)
    // becomes not tracked.
    void markNotTracked(unsigned families);

    double timeStamp() const { return m_timeStamp; }
    void setTimeStamp(double seconds) { m_timeStamp = seconds; }

    const TargetMap &targets() const { return m_targets; }
    // Sets the target under its key; a later one replaces an earlier one.
    void insert(int key, const TrackedTarget &target) { m_targets[key] = target; }
    const HandMap &hands() const { return m_hands; }
    void insertHand(const TrackedHand &hand) { m_hands[hand.id] = hand; }
    void clear()
    {
        m_targets.clear();
        m_hands.clear();
    }

private:
    // Whether a target of the family is to be reported; remembers tracked ids.
    bool report(int family, int id, bool tracked);

    double m_timeStamp = -1.0;
    // Per family, by id: tracked in some earlier digest. Markers are left out:
    // their ids are not bounded and every marker of a line is reported.
    std::array<std::vector<bool>, FamilyCount> m_everTracked;
    std::vector<int> m_everTrackedBodies; // the bodies' ones, as a list
    TargetMap m_targets;
    HandMap m_hands;
};

} // namespace Logic
