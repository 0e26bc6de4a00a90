#pragma once

#include <QByteArray>
#include <QVector>

namespace Health {

// Rays a camera sees and the rays the Controller used; -1: unknown.
struct CameraRays
{
    int seen = -1;
    int used = -1;
};

inline bool operator==(const CameraRays &a, const CameraRays &b)
{
    return a.seen == b.seen && a.used == b.used;
}

// What one status poll of the main window read, as the host publishes it.
struct StatusSnapshot
{
    QByteArray active;        // "none", "cal", "mea", "wait", "err"; empty: unknown
    double frequency = -1.0;  // Hz, < 0: unknown
    int bodies = -1;          // -1: unknown
    int markers = -1;
    int framesLost = -1;      // the Controller's own count; -1: unknown
    int framesDropped = -1;   // data datagrams this computer skipped since the last round; -1: unknown
    QVector<CameraRays> rays; // index 0 is camera c01; empty: unknown
};

// More cameras than any system has: a longer list is cut here, so that a
// broken message cannot make every later sample huge.
constexpr int MaxCameras = 256;

// Reads "active=mea;frequency=59.94;bodies=2;markers=6;frames_lost=0;frames_dropped=3;rays=12/10,-/-".
// Keys in any order, each optional; unknown keys are ignored; a value that
// does not read, or "-", stays unknown. Any bytes are safe.
StatusSnapshot parseStatusSnapshot(const QByteArray &text);

// The state words a snapshot or sample may hold; anything else is unknown.
bool isKnownState(const QByteArray &word);

// A count >= 0, or -1 for "-", garbage or overflow.
int parseCount(const QByteArray &field);
// The same for counts that may pass an int.
qint64 parseLongCount(const QByteArray &field);

// "12/10,11/9,-/-" (commas) or "12/10 11/9 -/-" (blanks); at most MaxCameras.
QVector<CameraRays> parseRays(const QByteArray &list, char separator);

} // namespace Health
