#pragma once

#include <QString>

class SimFaults;
class SimScenario;

// A profile file: "name = value" lines with the option names of controller-sim
// (without the dashes). Names starting with "fault-" set faults, the others the
// scenario. Blank lines and lines starting with '#' are skipped.
class SimProfile
{
public:
    static bool load(const QString& path, SimScenario* scenario, SimFaults* faults, QString* error);
};
