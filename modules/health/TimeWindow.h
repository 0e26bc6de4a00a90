#pragma once

#include <QtGlobal>

namespace Health {

// The stretch of time on show and the pixels it spans, the same for every
// plot and strip of the dock so that they line up under one another.
struct TimeWindow
{
    qint64 fromMs = 0;
    qint64 toMs = 60000;
    int left = 0;   // pixel of fromMs
    int right = 1;  // pixel of toMs

    double x(qint64 ms) const
    {
        const double span = double(qMax<qint64>(1, toMs - fromMs));
        return left + (right - left) * double(ms - fromMs) / span;
    }
    qint64 ms(double px) const
    {
        const double width = qMax(1, right - left);
        return fromMs + qint64((px - left) / width * double(toMs - fromMs));
    }
};

} // namespace Health
