#pragma once

#include "ReportWriter.h"

#include <QString>

// The report sections on the tracking hardware and its settings: cameras, sync
// cards, radio, tracking, body administration, outputs, hand-held devices and
// measurement tools, in the order the report gives them.
class HardwareSettingsReport
{
public:
    explicit HardwareSettingsReport(ReportWriter &out);

    void write();

private:
    bool atLeast(int major, int minor) const { return m_out.atLeast(major, minor); }
    bool openSection(const QString &name, int major = 0, int minor = 0) { return m_out.openSection(name, major, minor); }
    void tooOld() { m_out.tooOld(); }
    int count(const QString &label, int width, const QString &parameter) { return m_out.count(label, width, parameter); }

    void writeCameras();
    void writeSynccards();
    void writeRadio();
    void writeTracking();
    void writeBodyAdministration();
    void writeOutputs();
    void writeGripwands();
    void writeMeasurementTools();

    ReportWriter &m_out;
};
