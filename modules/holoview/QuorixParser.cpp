#include "QuorixParser.h"

#include <charconv>
#include <clocale>
#include <cstdlib>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include <locale.h>
#include <stdlib.h>

namespace {

bool isBlank(char c)
{
    // The C locale's white space, which the C conversions skip.
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int digitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 99;
}

// strtoll with base 0 (decimal, 0x hexadecimal, leading-zero octal), except
// that a value beyond 64 bits fails instead of saturating: a saturated count
// or id would be a plausible-looking wrong number. Returns the end of the
// number, or null when no digit was consumed.
const char *toInteger(const char *p, long long *out)
{
    while (isBlank(*p))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    int base = 10;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && digitValue(p[2]) < 16) {
        base = 16;
        p += 2;
    } else if (p[0] == '0') {
        base = 8;
    }
    const char *start = p;
    unsigned long long magnitude = 0;
    const unsigned long long limit = negative ? 9223372036854775808ULL : 9223372036854775807ULL;
    bool overflow = false;
    for (int d = digitValue(*p); d < base; d = digitValue(*++p)) {
        if (magnitude > (limit - static_cast<unsigned long long>(d)) / static_cast<unsigned long long>(base))
            overflow = true;
        else
            magnitude = magnitude * static_cast<unsigned long long>(base) + static_cast<unsigned long long>(d);
    }
    if (p == start || overflow)
        return nullptr;
    *out = negative ? static_cast<long long>(0ULL - magnitude) : static_cast<long long>(magnitude);
    return p;
}

const char *toInt(const char *p, int *out)
{
    long long value = 0;
    const char *end = toInteger(p, &value);
    if (!end || value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        return nullptr;
    *out = static_cast<int>(value);
    return end;
}

locale_t cLocale()
{
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return c;
}

// strtod's grammar in the C locale whatever the process locale is, without its
// cost. Infinities and NaN are refused: they are never a measurement and would
// travel unchecked into poses and quaternions.
const char *toDouble(const char *p, const char *end, double *out)
{
    while (p < end && isBlank(*p))
        ++p;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    if (p >= end || *p == '+' || *p == '-')
        return nullptr;
    double value = 0.0;
    const char *stop = nullptr;
    if (end - p >= 2 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        std::from_chars_result r = std::from_chars(p + 2, end, value, std::chars_format::hex);
        if (r.ec == std::errc() && r.ptr != p + 2) {
            stop = r.ptr;
        } else {
            // "0x" without hexadecimal digits is the number 0 followed by an x.
            value = 0.0;
            stop = p + 1;
        }
    } else {
        std::from_chars_result r = std::from_chars(p, end, value, std::chars_format::general);
        if (r.ec == std::errc::result_out_of_range) {
            // Rare: let the C library tell underflow (a tiny value, kept) from
            // overflow (infinite, refused below). The text ends at a zero here.
            char *cEnd = nullptr;
            value = strtod_l(p, &cEnd, cLocale());
            r.ec = std::errc();
            r.ptr = cEnd;
        }
        if (r.ec != std::errc())
            return nullptr;
        stop = r.ptr;
    }
    // A value beyond the float range would overflow where the scene converts
    // it; like an infinity it is never a measurement.
    if (!std::isfinite(value) || std::fabs(value) > static_cast<double>(std::numeric_limits<float>::max()))
        return nullptr;
    *out = negative ? -value : value;
    return stop;
}

bool readCount(char **cursor, int *count)
{
    const char *end = toInt(*cursor, count);
    if (!end)
        return false;
    *cursor += end - *cursor;
    return true;
}

// Makes 'count' records valid. Records that become valid are reset, including
// ones a larger earlier line left behind in the array's spare capacity.
template <typename T, typename Reset>
void setCount(std::vector<T> &records, int &count, int newCount, Reset reset)
{
    if (newCount < 0)
        newCount = 0;
    if (static_cast<size_t>(newCount) > records.size())
        records.resize(static_cast<size_t>(newCount));
    for (int i = count; i < newCount; ++i)
        reset(records[static_cast<size_t>(i)], i);
    count = newCount;
}

template <typename T, typename Reset>
void resetAll(std::vector<T> &records, int count, Reset reset)
{
    for (int i = 0; i < count; ++i)
        reset(records[static_cast<size_t>(i)], i);
}

template <typename T>
void resetRecord(T &record, int index)
{
    record = T();
    record.id = index;
}

const auto resetBody = resetRecord<QuorixParser::BodyRecord>;
const auto resetGripwand = resetRecord<QuorixParser::GripwandRecord>;
const auto resetTool = resetRecord<QuorixParser::MeasurementToolRecord>;
const auto resetReference = resetRecord<QuorixParser::ToolReferenceRecord>;
const auto resetHand = resetRecord<QuorixParser::HandRecord>;
const auto resetHumanModel = resetRecord<QuorixParser::HumanModelRecord>;
const auto resetInertial = resetRecord<QuorixParser::InertialBodyRecord>;

bool readPose(char **cursor, double *position, double *rotation)
{
    return QuorixParser::readGroup(cursor, "ddd", nullptr, 0, position, nullptr, 3)
        && QuorixParser::readGroup(cursor, "ddddddddd", nullptr, 0, rotation, nullptr, 9);
}

// Button words carry 32 buttons each, bit j of word j / 32.
void decodeButtons(const int *words, int numButtons, int *buttons)
{
    for (int j = 0; j < QuorixParser::ButtonSlots; ++j)
        buttons[j] = j < numButtons ? static_cast<int>((static_cast<unsigned>(words[j / 32]) >> (j % 32)) & 1U) : 0;
}

// A declared count that sizes an array: negative means none, too large fails.
bool declaredCount(int *count)
{
    if (*count > QuorixParser::MaxTargets)
        return false;
    if (*count < 0)
        *count = 0;
    return true;
}

// Moves *cursor past `groups` bracket groups counted from `start`: where the
// record after a bad one begins. False when the line ends first.
bool skipGroups(char **cursor, char *start, int groups)
{
    char *p = start;
    for (int g = 0; g < groups; ++g) {
        char *close = std::strchr(p, ']');
        if (!close)
            return false;
        p = close + 1;
    }
    *cursor = p;
    return true;
}

// The line keys in the order they are tried.
enum Family { Fr, Ts, Cal6d, Body, OldGripwand, Gripwand, OldTool, Tool, Reference,
              CalGl, Hand, Joint, Inertial, Marker, FamilyCount };

struct Key {
    const char *text;
    size_t length;
};

} // namespace

QuorixParser::QuorixParser()
{
    resetFrame();
}

// A bad record is left out, not the line: the records before it stay, and the
// next one is found by the groups the bad one spans. readOne(k, &groups)
// reads record k, sets groups as soon as it knows how many the record spans,
// and leaves a record it could not read whole as not tracked. False when the
// line broke off: the records not reached stay as not tracked.
template <typename ReadOne>
bool QuorixParser::readRecords(char **cursor, int n, ReadOne readOne)
{
    bool whole = true;
    for (int k = 0; k < n; ++k) {
        char *start = *cursor;
        int groups = -1;
        if (readOne(k, &groups))
            continue;
        ++m_recordsLeftOut;
        whole = false;
        if (groups < 0 || !skipGroups(cursor, start, groups))
            return false;
    }
    return whole;
}

bool QuorixParser::readGroup(char **cursor, const char *code,
                             int *ints, int intCapacity,
                             double *doubles, float *floats, int realCapacity)
{
    if (!cursor || !*cursor || !code)
        return false;
    char *open = std::strchr(*cursor, '[');
    if (!open)
        return false;
    char *close = std::strchr(open + 1, ']');
    if (!close)
        return false;

    // End the text at the bracket while converting so that no number runs past it.
    *close = '\0';
    const char *p = open + 1;
    int intIndex = 0;
    int realIndex = 0;
    bool ok = true;
    for (const char *letter = code; ok && *letter; ++letter) {
        switch (*letter) {
        case 'i':
            if (!ints || intIndex >= intCapacity) {
                ok = false;
                break;
            }
            p = toInt(p, &ints[intIndex++]);
            ok = p != nullptr;
            break;
        case 'd':
        case 'f': {
            double value = 0.0;
            const bool isDouble = *letter == 'd';
            if (realIndex >= realCapacity || (isDouble ? !doubles : !floats)) {
                ok = false;
                break;
            }
            p = toDouble(p, close, &value);
            ok = p != nullptr;
            if (ok) {
                if (isDouble)
                    doubles[realIndex] = value;
                else
                    floats[realIndex] = static_cast<float>(value);
            }
            ++realIndex;
            break;
        }
        default:
            ok = false;
            break;
        }
    }
    *close = ']';
    if (ok)
        *cursor = close + 1;
    return ok;
}

bool QuorixParser::parseCopy(const char *line, char *buffer, size_t bufferSize)
{
    if (!line || !buffer || bufferSize == 0)
        return false;
    const size_t length = strnlen(line, bufferSize);
    if (length >= bufferSize)
        return false;
    std::memcpy(buffer, line, length + 1);
    char *cursor = buffer;
    return parseLine(&cursor);
}

bool QuorixParser::parseLine(char **cursor)
{
    if (!cursor || !*cursor)
        return false;

    static const Key keys[FamilyCount] = {
        {"fr ", 3}, {"ts ", 3}, {"6dcal ", 6}, {"6d ", 3}, {"6df ", 4}, {"6df2 ", 5},
        {"6dmt ", 5}, {"6dmt2 ", 6}, {"6dmtr ", 6}, {"glcal ", 6}, {"gl ", 3},
        {"6dj ", 4}, {"6di ", 4}, {"3d ", 3},
    };

    char *line = *cursor;
    int family = 0;
    while (family < FamilyCount && std::strncmp(line, keys[family].text, keys[family].length) != 0)
        ++family;
    if (family == FamilyCount)
        return true;

    char *p = line + keys[family].length;
    bool ok = false;
    switch (family) {
    case Fr: ok = parseFrameCounter(&p); break;
    case Ts: ok = parseTimeStamp(&p); break;
    case Cal6d: ok = parseCalibratedCount(&p, &m_calibratedBodyCount); break;
    case Body: ok = parseBodies(&p); break;
    case OldGripwand: ok = parseOldGripwands(&p); break;
    case Gripwand: ok = parseGripwands(&p); break;
    case OldTool: ok = parseOldTools(&p); break;
    case Tool: ok = parseTools(&p); break;
    case Reference: ok = parseToolReferences(&p); break;
    case CalGl: ok = parseCalibratedCount(&p, &m_calibratedHandCount); break;
    case Hand: ok = parseHands(&p); break;
    case Joint: ok = parseHumanModels(&p); break;
    case Inertial: ok = parseInertialBodies(&p); break;
    case Marker: ok = parseMarkers(&p); break;
    }
    *cursor = p;
    return ok;
}

void QuorixParser::resetFrame()
{
    m_frameCounter = 0;
    m_timeStamp = -1.0;
    m_calibratedBodyCount = -1;
    m_calibratedHandCount = -1;
    m_oldGripwandCount = 0;
    m_oldToolCount = 0;
}

void QuorixParser::finishFrame()
{
    // Old formats count gripwands and tools among the calibrated bodies.
    if (m_calibratedBodyCount >= 0)
        setCount(m_bodies, m_bodyCount, m_calibratedBodyCount - m_oldToolCount - m_oldGripwandCount, resetBody);
    if (m_calibratedHandCount >= 0)
        setCount(m_hands, m_handCount, m_calibratedHandCount, resetHand);
}

bool QuorixParser::parseFrameCounter(char **cursor)
{
    long long value = 0;
    const char *end = toInteger(*cursor, &value);
    if (!end || value < 0 || value > std::numeric_limits<uint32_t>::max()) {
        m_frameCounter = 0;
        return false;
    }
    m_frameCounter = static_cast<uint32_t>(value);
    *cursor += end - *cursor;
    return true;
}

bool QuorixParser::parseTimeStamp(char **cursor)
{
    const char *end = toDouble(*cursor, *cursor + std::strlen(*cursor), &m_timeStamp);
    if (!end) {
        m_timeStamp = -1.0;
        return false;
    }
    *cursor += end - *cursor;
    return true;
}

bool QuorixParser::parseCalibratedCount(char **cursor, int *destination)
{
    int value = 0;
    if (!readCount(cursor, &value) || value > MaxTargets)
        return false;
    *destination = value;
    return true;
}

bool QuorixParser::parseBodies(char **cursor)
{
    int n = 0;
    if (!readCount(cursor, &n))
        return false;
    resetBodiesOfLine();
    return readRecords(cursor, n, [this, cursor](int, int *groups) {
        *groups = 3;
        int id = 0;
        double quality = 0.0;
        if (!readGroup(cursor, "id", &id, 1, &quality, nullptr, 1) || id < 0 || id >= MaxTargets)
            return false;
        if (id >= m_bodyCount)
            setCount(m_bodies, m_bodyCount, id + 1, resetBody);
        BodyRecord &r = m_bodies[static_cast<size_t>(id)];
        r.id = id;
        r.quality = quality;
        if (!readPose(cursor, r.position, r.rotation)) {
            resetBody(r, id);
            return false;
        }
        m_bodyIdsOfLine.push_back(id);
        return true;
    });
}

void QuorixParser::resetBodiesOfLine()
{
    // Records are written only by a body line, so resetting what the last one
    // wrote resets them all, however high the ids it used.
    for (int id : m_bodyIdsOfLine) {
        if (static_cast<size_t>(id) < m_bodies.size())
            resetBody(m_bodies[static_cast<size_t>(id)], id);
    }
    m_bodyIdsOfLine.clear();
}

bool QuorixParser::parseOldGripwands(char **cursor)
{
    int n = 0;
    if (!readCount(cursor, &n) || !declaredCount(&n))
        return false;
    m_oldGripwandCount = n;
    setCount(m_gripwands, m_gripwandCount, n, resetGripwand);
    resetAll(m_gripwands, m_gripwandCount, resetGripwand);
    return readRecords(cursor, n, [this, cursor](int k, int *groups) {
        *groups = 3;
        int ints[2] = {};
        double quality = 0.0;
        if (!readGroup(cursor, "idi", ints, 2, &quality, nullptr, 1) || ints[0] != k)
            return false;
        GripwandRecord &r = m_gripwands[static_cast<size_t>(k)];
        const unsigned bt = static_cast<unsigned>(ints[1]);
        r.id = k;
        r.quality = quality;
        r.numButtons = MaxGripwandButtons;
        decodeButtons(&ints[1], MaxGripwandButtons, r.buttons);
        // The old format packs the two joystick axes into the button word.
        r.numControllers = 2;
        std::fill(std::begin(r.controllers), std::end(r.controllers), 0.0);
        r.controllers[0] = (bt & (1U << 5)) ? -1.0 : (bt & (1U << 7)) ? 1.0 : 0.0;
        r.controllers[1] = (bt & (1U << 4)) ? -1.0 : (bt & (1U << 6)) ? 1.0 : 0.0;
        if (!readPose(cursor, r.position, r.rotation)) {
            resetGripwand(r, k);
            return false;
        }
        return true;
    });
}

bool QuorixParser::parseGripwands(char **cursor)
{
    int defined = 0;
    int inLine = 0;
    if (!readCount(cursor, &defined) || !declaredCount(&defined) || !readCount(cursor, &inLine))
        return false;
    if (inLine < 0)
        inLine = 0;
    if (inLine > defined)
        return false;
    setCount(m_gripwands, m_gripwandCount, defined, resetGripwand);
    // Gripwands the line leaves out (or does not reach) are not tracked in
    // this frame, whatever an earlier frame said about them.
    resetAll(m_gripwands, m_gripwandCount, resetGripwand);
    return readRecords(cursor, inLine, [this, cursor](int k, int *groups) {
        int header[3] = {};
        double quality = 0.0;
        if (!readGroup(cursor, "idii", header, 3, &quality, nullptr, 1))
            return false;
        *groups = 4;
        const int numButtons = header[1];
        const int numControllers = header[2];
        if (header[0] != k || numButtons < 0 || numButtons > MaxGripwandButtons || numControllers < 0
            || numControllers > ControllerSlots)
            return false;
        GripwandRecord &r = m_gripwands[static_cast<size_t>(k)];
        r.id = k;
        r.quality = quality;
        r.numButtons = numButtons;
        r.numControllers = numControllers;

        char code[1 + ControllerSlots + 1];
        int length = 0;
        const int words = (numButtons + 31) / 32;
        for (int w = 0; w < words; ++w)
            code[length++] = 'i';
        for (int c = 0; c < numControllers; ++c)
            code[length++] = 'd';
        code[length] = '\0';
        int buttonWords[1] = {};
        double controllers[ControllerSlots] = {};
        if (!readPose(cursor, r.position, r.rotation)
            || !readGroup(cursor, code, buttonWords, 1, controllers, nullptr, ControllerSlots)) {
            resetGripwand(r, k);
            return false;
        }
        decodeButtons(buttonWords, numButtons, r.buttons);
        std::copy(std::begin(controllers), std::end(controllers), r.controllers);
        return true;
    });
}

bool QuorixParser::parseOldTools(char **cursor)
{
    int n = 0;
    if (!readCount(cursor, &n) || !declaredCount(&n))
        return false;
    m_oldToolCount = n;
    setCount(m_tools, m_toolCount, n, resetTool);
    resetAll(m_tools, m_toolCount, resetTool);
    return readRecords(cursor, n, [this, cursor](int k, int *groups) {
        *groups = 3;
        int ints[2] = {};
        double quality = 0.0;
        if (!readGroup(cursor, "idi", ints, 2, &quality, nullptr, 1) || ints[0] != k)
            return false;
        MeasurementToolRecord &r = m_tools[static_cast<size_t>(k)];
        r.id = k;
        r.quality = quality;
        r.numButtons = 4;
        decodeButtons(&ints[1], 4, r.buttons);
        r.tipRadius = 0.0;
        std::fill(std::begin(r.tipCovariance), std::end(r.tipCovariance), 0.0);
        if (!readPose(cursor, r.position, r.rotation)) {
            resetTool(r, k);
            return false;
        }
        return true;
    });
}

bool QuorixParser::parseTools(char **cursor)
{
    int unused = 0;
    int n = 0;
    if (!readCount(cursor, &unused) || !readCount(cursor, &n) || !declaredCount(&n))
        return false;
    m_oldToolCount = 0;
    setCount(m_tools, m_toolCount, n, resetTool);
    resetAll(m_tools, m_toolCount, resetTool);
    return readRecords(cursor, n, [this, cursor](int k, int *groups) {
        *groups = 5;
        int header[2] = {};
        double reals[2] = {};
        if (!readGroup(cursor, "idid", header, 2, reals, nullptr, 2) || header[0] != k || header[1] < 0)
            return false;
        MeasurementToolRecord &r = m_tools[static_cast<size_t>(k)];
        const int numButtons = header[1] > MaxToolButtons ? MaxToolButtons : header[1];
        r.id = k;
        r.quality = reals[0];
        r.numButtons = numButtons;
        r.tipRadius = reals[1];
        int buttonWords[1] = {};
        if (!readPose(cursor, r.position, r.rotation)
            || !readGroup(cursor, numButtons > 0 ? "i" : "", buttonWords, 1, nullptr, nullptr, 0)
            || !readGroup(cursor, "dddddd", nullptr, 0, r.tipCovariance, nullptr, 6)) {
            resetTool(r, k);
            return false;
        }
        decodeButtons(buttonWords, numButtons, r.buttons);
        return true;
    });
}

bool QuorixParser::parseToolReferences(char **cursor)
{
    int defined = 0;
    int inLine = 0;
    if (!readCount(cursor, &defined) || !declaredCount(&defined) || !readCount(cursor, &inLine))
        return false;
    setCount(m_references, m_referenceCount, defined, resetReference);
    resetAll(m_references, m_referenceCount, resetReference);
    return readRecords(cursor, inLine, [this, cursor](int, int *groups) {
        *groups = 3;
        int id = 0;
        double quality = 0.0;
        if (!readGroup(cursor, "id", &id, 1, &quality, nullptr, 1) || id < 0 || id >= m_referenceCount)
            return false;
        ToolReferenceRecord &r = m_references[static_cast<size_t>(id)];
        r.quality = quality;
        if (!readPose(cursor, r.position, r.rotation)) {
            resetReference(r, id);
            return false;
        }
        return true;
    });
}

bool QuorixParser::parseHands(char **cursor)
{
    int n = 0;
    if (!readCount(cursor, &n))
        return false;
    resetAll(m_hands, m_handCount, resetHand);
    return readRecords(cursor, n, [this, cursor](int, int *groups) {
        int header[3] = {};
        double quality = 0.0;
        if (!readGroup(cursor, "idii", header, 3, &quality, nullptr, 1))
            return false;
        const int id = header[0];
        const int numFingers = header[2];
        if (numFingers < 0 || numFingers > MaxFingers)
            return false;
        *groups = 3 + 3 * numFingers;
        if (id < 0 || id >= MaxTargets)
            return false;
        if (id >= m_handCount)
            setCount(m_hands, m_handCount, id + 1, resetHand);
        HandRecord &r = m_hands[static_cast<size_t>(id)];
        resetHand(r, id);
        r.quality = quality;
        r.side = header[1];
        r.numFingers = numFingers;
        bool whole = readPose(cursor, r.position, r.rotation);
        for (int f = 0; whole && f < numFingers; ++f) {
            FingerRecord &finger = r.fingers[f];
            double a[6] = {};
            whole = readPose(cursor, finger.position, finger.rotation)
                && readGroup(cursor, "dddddd", nullptr, 0, a, nullptr, 6);
            // The line's order differs from the order the record keeps.
            const double ordered[6] = {a[0], a[1], a[3], a[5], a[2], a[4]};
            std::copy(std::begin(ordered), std::end(ordered), finger.values);
        }
        if (!whole)
            resetHand(r, id);
        return whole;
    });
}

bool QuorixParser::parseHumanModels(char **cursor)
{
    int defined = 0;
    int inLine = 0;
    if (!readCount(cursor, &defined) || !declaredCount(&defined) || !readCount(cursor, &inLine))
        return false;
    setCount(m_humanModels, m_humanModelCount, defined, resetHumanModel);
    resetAll(m_humanModels, m_humanModelCount, resetHumanModel);
    return readRecords(cursor, inLine, [this, cursor](int, int *groups) {
        int header[2] = {};
        if (!readGroup(cursor, "ii", header, 2, nullptr, nullptr, 0))
            return false;
        const int id = header[0];
        const int numJoints = header[1];
        if (numJoints < 0 || numJoints > MaxJoints)
            return false;
        *groups = 1 + 3 * numJoints;
        if (id < 0 || id > m_humanModelCount - 1)
            return false;
        HumanModelRecord &r = m_humanModels[static_cast<size_t>(id)];
        r.id = id;
        r.numJoints = numJoints;
        for (int j = 0; j < numJoints; ++j) {
            JointRecord &joint = r.joints[j];
            if (!readGroup(cursor, "id", &joint.id, 1, &joint.quality, nullptr, 1)
                || !readGroup(cursor, "dddddd", nullptr, 0, joint.values, nullptr, 6)
                || !readGroup(cursor, "ddddddddd", nullptr, 0, joint.rotation, nullptr, 9)) {
                resetHumanModel(r, id);
                return false;
            }
        }
        return true;
    });
}

bool QuorixParser::parseInertialBodies(char **cursor)
{
    int n = 0;
    if (!readCount(cursor, &n))
        return false;
    resetAll(m_inertials, m_inertialCount, resetInertial);
    return readRecords(cursor, n, [this, cursor](int, int *groups) {
        *groups = 3;
        int header[2] = {};
        double quality = 0.0;
        if (!readGroup(cursor, "iid", header, 2, &quality, nullptr, 1))
            return false;
        const int id = header[0];
        if (id < 0 || id >= MaxTargets)
            return false;
        if (id >= m_inertialCount)
            setCount(m_inertials, m_inertialCount, id + 1, resetInertial);
        InertialBodyRecord &r = m_inertials[static_cast<size_t>(id)];
        r.id = id;
        r.state = header[1];
        r.quality = quality;
        if (!readPose(cursor, r.position, r.rotation)) {
            resetInertial(r, id);
            return false;
        }
        return true;
    });
}

bool QuorixParser::parseMarkers(char **cursor)
{
    int n = 0;
    if (!readCount(cursor, &n))
        return false;
    // Markers are stored by their place among the markers read. The array
    // grows with the markers actually read, never with the count the line
    // claims, so a huge count cannot reserve memory; a bad marker is left out.
    m_markerCount = 0;
    return readRecords(cursor, n, [this, cursor](int, int *groups) {
        *groups = 2;
        const size_t k = static_cast<size_t>(m_markerCount);
        if (k >= m_markers.size())
            m_markers.resize(k + 1);
        MarkerRecord &r = m_markers[k];
        if (!readGroup(cursor, "id", &r.id, 1, &r.quality, nullptr, 1)
            || !readGroup(cursor, "ddd", nullptr, 0, r.position, nullptr, 3))
            return false;
        ++m_markerCount;
        return true;
    });
}
