#pragma once

#include <QString>

// Checks on the charts of a dock (QChartView widgets named PREFIX0, PREFIX1,
// …). Each returns what is wrong, or an empty text.
namespace ChartSteps {

// Every chart shows the same stretch of time over the same pixels.
QString misaligned(const QString &prefix);
// No line of any chart joins two points further apart in time than gapMs.
QString lineOverGap(const QString &prefix, qint64 gapMs);
// Whether a point of the chart's series lies below (or above) the value.
bool anyValue(const QString &view, int series, bool below, double value);

} // namespace ChartSteps
