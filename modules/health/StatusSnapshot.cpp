#include "StatusSnapshot.h"

#include <QList>

#include <cmath>
#include <limits>

namespace Health {

namespace {

// The host's text is small; a message far beyond any real status is not read.
constexpr int MaxStatusBytes = 65536;

// QByteArray's number parsing skips surrounding blanks; a value must not have any.
bool plainWord(const QByteArray &field)
{
    if (field.isEmpty())
        return false;
    for (const char c : field)
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f')
            return false;
    return true;
}

double parseFrequency(const QByteArray &field)
{
    if (!plainWord(field) || field == "-")
        return -1.0;
    // Decimal only: no hexadecimal, no words.
    for (const char c : field)
        if (!((c >= '0' && c <= '9') || c == '.' || c == 'e' || c == 'E' || c == '+' || c == '-'))
            return -1.0;
    bool ok = false;
    const double v = field.toDouble(&ok);
    // A frequency is a few hundred Hz at most; nan, inf or a negative is no reading.
    if (!ok || !std::isfinite(v) || v < 0.0 || v > 1e6)
        return -1.0;
    return v;
}

} // namespace

bool isKnownState(const QByteArray &word)
{
    return word == "none" || word == "cal" || word == "mea" || word == "wait" || word == "err";
}

qint64 parseLongCount(const QByteArray &field)
{
    if (!plainWord(field) || field == "-")
        return -1;
    for (const char c : field)
        if (c < '0' || c > '9')
            return -1;
    bool ok = false;
    const qint64 v = field.toLongLong(&ok);
    return ok ? v : -1;
}

int parseCount(const QByteArray &field)
{
    const qint64 v = parseLongCount(field);
    return v <= std::numeric_limits<int>::max() ? int(v) : -1;
}

QVector<CameraRays> parseRays(const QByteArray &list, char separator)
{
    QVector<CameraRays> out;
    if (list.isEmpty() || list == "-")
        return out;
    const QList<QByteArray> cameras = list.split(separator);
    for (const QByteArray &camera : cameras) {
        if (out.size() >= MaxCameras)
            break;
        CameraRays rays;
        const int slash = camera.indexOf('/');
        // A camera that does not read keeps its place, so c02 stays the second.
        if (slash >= 0) {
            rays.seen = parseCount(camera.left(slash));
            rays.used = parseCount(camera.mid(slash + 1));
        }
        out.append(rays);
    }
    return out;
}

StatusSnapshot parseStatusSnapshot(const QByteArray &text)
{
    StatusSnapshot s;
    if (text.size() > MaxStatusBytes)
        return s;
    const QList<QByteArray> fields = text.split(';');
    for (const QByteArray &field : fields) {
        const int eq = field.indexOf('=');
        if (eq <= 0)
            continue;
        const QByteArray key = field.left(eq).trimmed();
        const QByteArray value = field.mid(eq + 1).trimmed();
        if (key == "active")
            s.active = isKnownState(value) ? value : QByteArray();
        else if (key == "frequency")
            s.frequency = parseFrequency(value);
        else if (key == "bodies")
            s.bodies = parseCount(value);
        else if (key == "markers")
            s.markers = parseCount(value);
        else if (key == "frames_lost")
            s.framesLost = parseCount(value);
        else if (key == "frames_dropped")
            s.framesDropped = parseCount(value);
        else if (key == "rays")
            s.rays = parseRays(value, ',');
    }
    return s;
}

} // namespace Health
