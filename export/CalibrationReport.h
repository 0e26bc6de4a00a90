#pragma once

#include "ReportWriter.h"

#include <QString>

// The report sections on calibration and sensors: room calibration and
// adjustments, body calibration, fingertracking, tactile devices and inertial
// sensors, in the order the report gives them.
class CalibrationReport
{
public:
    explicit CalibrationReport(ReportWriter &out);

    void write();

private:
    bool atLeast(int major, int minor) const { return m_out.atLeast(major, minor); }
    bool openSection(const QString &name, int major = 0, int minor = 0) { return m_out.openSection(name, major, minor); }
    void tooOld() { m_out.tooOld(); }
    int count(const QString &label, int width, const QString &parameter) { return m_out.count(label, width, parameter); }

    void writeRoomCalibration();
    void writeRoomAdjustments();
    void writeBodyCalibration();
    void writeFingertracking();
    void writeTactile();
    void writeInertial();

    ReportWriter &m_out;
};
