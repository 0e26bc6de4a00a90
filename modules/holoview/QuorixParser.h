#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Turns the Controller's measurement data lines into typed records. Each target
// family keeps an array of records that persists from line to line; a line of
// one family rewrites that family's array only. Lines are parsed in place in
// the caller's buffer: a closing bracket is zeroed while its group is read and
// restored afterwards, and nothing is allocated unless an array must grow.
//
// Runs in the channel's data thread; not thread-safe on its own.
class QuorixParser
{
public:
    // Record arrays are indexed by target id or by a count the line declares.
    // No Controller defines anywhere near this many targets of one family, and
    // frame keys reserve 1000 ids per family, so a line asking for more is
    // rejected instead of letting the network size our memory.
    static constexpr int MaxTargets = 1000;
    // A buffer for parseCopy that holds any line a UDP datagram can carry
    // (65507 bytes) with its terminating zero.
    static constexpr int LineBufferSize = 65536;

    static constexpr int MaxGripwandButtons = 8;
    static constexpr int MaxToolButtons = 16;
    static constexpr int ButtonSlots = 16;
    static constexpr int ControllerSlots = 8;
    static constexpr int MaxFingers = 5;
    static constexpr int MaxJoints = 20;

    struct BodyRecord {
        int id = 0;
        double quality = -1.0;
        double position[3] = {};
        double rotation[9] = {};
    };

    struct GripwandRecord {
        int id = 0;
        double quality = -1.0;
        int numButtons = 0;
        int buttons[ButtonSlots] = {};
        int numControllers = 0;
        double controllers[ControllerSlots] = {};
        double position[3] = {};
        double rotation[9] = {};
    };

    struct MeasurementToolRecord {
        int id = 0;
        double quality = -1.0;
        int numButtons = 0;
        int buttons[ButtonSlots] = {};
        double position[3] = {};
        double rotation[9] = {};
        double tipRadius = 0.0;
        double tipCovariance[6] = {};
    };

    struct ToolReferenceRecord {
        int id = 0;
        double quality = -1.0;
        double position[3] = {};
        double rotation[9] = {};
    };

    struct FingerRecord {
        double position[3] = {};
        double rotation[9] = {};
        double values[6] = {};
    };

    struct HandRecord {
        int id = 0;
        double quality = -1.0;
        int side = 0;
        int numFingers = 0;
        double position[3] = {};
        double rotation[9] = {};
        FingerRecord fingers[MaxFingers];
    };

    struct JointRecord {
        int id = 0;
        double quality = 0.0;
        double values[6] = {};
        double rotation[9] = {};
    };

    struct HumanModelRecord {
        int id = 0;
        int numJoints = 0;
        JointRecord joints[MaxJoints];
    };

    struct InertialBodyRecord {
        int id = 0;
        int state = 0;
        double quality = 0.0;
        double position[3] = {};
        double rotation[9] = {};
    };

    struct MarkerRecord {
        int id = 0;
        double quality = -1.0;
        double position[3] = {};
    };

    QuorixParser();

    // Parses the zero-terminated line *cursor points to and advances *cursor.
    // Unknown keys are accepted and change nothing. False for a null cursor and
    // for a line that breaks the format. A record of the line that cannot be
    // read is left out (it reads as not tracked) and the records after it are
    // read on; where the line breaks off, the records not reached read as not
    // tracked. What the line wrote well stays.
    bool parseLine(char **cursor);

    // Parses a copy of line made in buffer (bufferSize bytes), so that the
    // line itself stays untouched for the channel's other listeners. A line
    // that does not fit with its terminating zero is rejected whole rather
    // than parsed cut off.
    bool parseCopy(const char *line, char *buffer, size_t bufferSize);

    void resetFrame();
    void finishFrame();

    // Reads one bracket group against a format code of 'd' (double), 'f'
    // (float) and 'i' (int, base 0). Real values share one position count:
    // the k-th real value goes to doubles[k] or floats[k] by its letter. A code
    // asking for more slots than given fails the group.
    static bool readGroup(char **cursor, const char *code,
                          int *ints, int intCapacity,
                          double *doubles, float *floats, int realCapacity);

    uint32_t frameCounter() const { return m_frameCounter; }
    double timeStamp() const { return m_timeStamp; }
    int calibratedBodyCount() const { return m_calibratedBodyCount; }
    int calibratedHandCount() const { return m_calibratedHandCount; }
    int oldFormatGripwandCount() const { return m_oldGripwandCount; }
    int oldFormatToolCount() const { return m_oldToolCount; }

    int bodyCount() const { return m_bodyCount; }
    const BodyRecord *body(int index) const { return at(m_bodies, m_bodyCount, index); }
    // The ids the last body line wrote, in its order: every other body record
    // reads as not tracked. Lets a reader's cost follow the line, not the
    // highest id ever seen.
    const std::vector<int> &bodyIdsOfLine() const { return m_bodyIdsOfLine; }
    int gripwandCount() const { return m_gripwandCount; }
    const GripwandRecord *gripwand(int index) const { return at(m_gripwands, m_gripwandCount, index); }
    int measurementToolCount() const { return m_toolCount; }
    const MeasurementToolRecord *measurementTool(int index) const { return at(m_tools, m_toolCount, index); }
    int toolReferenceCount() const { return m_referenceCount; }
    const ToolReferenceRecord *toolReference(int index) const { return at(m_references, m_referenceCount, index); }
    int handCount() const { return m_handCount; }
    const HandRecord *hand(int index) const { return at(m_hands, m_handCount, index); }
    int humanModelCount() const { return m_humanModelCount; }
    const HumanModelRecord *humanModel(int index) const { return at(m_humanModels, m_humanModelCount, index); }
    int inertialBodyCount() const { return m_inertialCount; }
    const InertialBodyRecord *inertialBody(int index) const { return at(m_inertials, m_inertialCount, index); }
    int markerCount() const { return m_markerCount; }
    const MarkerRecord *marker(int index) const { return at(m_markers, m_markerCount, index); }
    // Records left out so far because they could not be read.
    int recordsLeftOut() const { return m_recordsLeftOut; }

private:
    template <typename T>
    static const T *at(const std::vector<T> &records, int count, int index)
    {
        return index >= 0 && index < count ? &records[static_cast<size_t>(index)] : nullptr;
    }

    template <typename ReadOne>
    bool readRecords(char **cursor, int n, ReadOne readOne);
    void resetBodiesOfLine();
    bool parseFrameCounter(char **cursor);
    bool parseTimeStamp(char **cursor);
    bool parseCalibratedCount(char **cursor, int *destination);
    bool parseBodies(char **cursor);
    bool parseOldGripwands(char **cursor);
    bool parseGripwands(char **cursor);
    bool parseOldTools(char **cursor);
    bool parseTools(char **cursor);
    bool parseToolReferences(char **cursor);
    bool parseHands(char **cursor);
    bool parseHumanModels(char **cursor);
    bool parseInertialBodies(char **cursor);
    bool parseMarkers(char **cursor);

    uint32_t m_frameCounter = 0;
    double m_timeStamp = -1.0;
    int m_calibratedBodyCount = -1;
    int m_calibratedHandCount = -1;
    int m_oldGripwandCount = 0;
    int m_oldToolCount = 0;
    int m_recordsLeftOut = 0;

    // Each array's size is its capacity and never shrinks; the count says how
    // many records are valid.
    int m_bodyCount = 0;
    std::vector<BodyRecord> m_bodies;
    std::vector<int> m_bodyIdsOfLine; // the only body records not in their reset state
    int m_gripwandCount = 0;
    std::vector<GripwandRecord> m_gripwands;
    int m_toolCount = 0;
    std::vector<MeasurementToolRecord> m_tools;
    int m_referenceCount = 0;
    std::vector<ToolReferenceRecord> m_references;
    int m_handCount = 0;
    std::vector<HandRecord> m_hands;
    int m_humanModelCount = 0;
    std::vector<HumanModelRecord> m_humanModels;
    int m_inertialCount = 0;
    std::vector<InertialBodyRecord> m_inertials;
    int m_markerCount = 0;
    std::vector<MarkerRecord> m_markers;
};
