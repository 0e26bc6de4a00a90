#pragma once

#include "ReportSection.h"

#include <QString>

// The report sections on calibration and sensors: room calibration and
// adjustments, body calibration, fingertracking, tactile devices and inertial
// sensors, in the order the report gives them.
class CalibrationReport : private ReportSection
{
public:
    explicit CalibrationReport(ReportWriter &out);

    void write();

private:
    void writeRoomCalibration();
    void writeRoomAdjustments();
    void writeBodyCalibration();
    void writeFingertracking();
    void writeTactile();
    void writeInertial();
};
