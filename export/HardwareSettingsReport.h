#pragma once

#include "ReportSection.h"

#include <QMap>
#include <QString>

// The report sections on the tracking hardware and its settings: cameras, sync
// cards, radio, tracking, body administration, outputs, hand-held devices and
// measurement tools, in the order the report gives them.
class HardwareSettingsReport : private ReportSection
{
public:
    // customCalibrated: target library names found calibrated by hand (may be null).
    explicit HardwareSettingsReport(ReportWriter &out, const QMap<QString, bool> *customCalibrated = nullptr);

    void write();

private:
    void writeCameras();
    void writeSynccards();
    void writeRadio();
    void writeTracking();
    void writeBodyAdministration();
    void writeOutputs();
    void writeGripwands();
    void writeMeasurementTools();

    const QMap<QString, bool> *m_customCalibrated;
};
