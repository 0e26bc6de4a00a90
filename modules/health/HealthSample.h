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
    qint64 framesLost = -1; // lost in this second, from the frame numbers; -1: no frame lines
    int dataLines = -1;     // frame lines received in this second; -1: not subscribed
    QVector<CameraRays> rays;
};

// A Controller or front-end message shown along the plots.
struct HealthEvent
{
    qint64 msecsSinceEpoch = 0;
    QString text;
};

} // namespace Health
