#pragma once

#include "ReportSection.h"

#include <QString>

// The report sections on the tracking hardware and its settings: cameras, sync
// cards, radio, tracking, body administration, outputs, hand-held devices and
// measurement tools, in the order the report gives them.
class HardwareSettingsReport : private ReportSection
{
public:
    explicit HardwareSettingsReport(ReportWriter &out);

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
};
