#pragma once

#include <QByteArray>
#include <QPair>
#include <QVector>

// What one round of the status poll read from the Controller. A value the
// round did not read (bar hidden, not measuring, query failed) stays unknown
// (-1, or empty), so that nobody takes an old value for a current one.
struct StatusReadings
{
    QByteArray active;              // "none", "cal", "mea", "wait", "err"
    double frequency = -1.0;        // Hz
    int bodies = -1;
    int markers = -1;
    int framesLost = -1;            // the Controller's own count
    int framesDropped = -1;         // data datagrams the channel skipped since the last round
    QVector<QPair<int, int>> rays;  // per camera (c01 first): seen, used
};
