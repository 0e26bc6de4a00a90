#pragma once

#include "StatusSnapshot.h"

#include <QByteArray>
#include <QString>
#include <QVector>

namespace Health {

// One second of the tracking system's state.
struct HealthSample
{
    qint64 msecsSinceEpoch = 0;
    QByteArray state;       // as StatusSnapshot::active
    double frequency = -1.0;
    int bodies = -1, markers = -1;
    // Frames missing from the numbers this second, less those this computer
    // dropped itself: the Controller's or the network's loss. -1: no frame lines.
    qint64 framesLost = -1;
    // Frames the data thread skipped because newer ones were waiting; -1: unknown.
    qint64 framesDropped = -1;
    int dataLines = -1;     // frame lines received in this second; -1: not subscribed
    QVector<CameraRays> rays;
};

// Measuring, so that the values describe tracking: anything else, or a second
// without any reading, is a gap in the plots.
inline bool hasTrackingData(const HealthSample &s)
{
    return s.state == "mea" || s.state == "cal" || (s.state.isEmpty() && s.dataLines > 0);
}

// A Controller or front-end message shown along the plots.
struct HealthEvent
{
    qint64 msecsSinceEpoch = 0;
    QString text;
};

} // namespace Health
