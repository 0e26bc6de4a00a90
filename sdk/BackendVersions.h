#pragma once

// Crosses the plug-in boundary: modules include this header and link nothing
// of the host, so everything here is inline and needs QtCore only.

#include "ControllerVersion.h"

#include <QString>

// The connected Controller's versions and model, built once per main window
// and handed to the dialogs and modules by pointer. The field order is fixed:
// separately compiled modules read the fields directly.
struct BackendVersions
{
    ControllerVersion system;
    ControllerVersion protocol;
    ControllerVersion controller;
    QString model;   // empty: not queried; "0": the query failed

    // The model text for a number reported by "system model".
    static QString modelText(int number)
    {
        switch (number) {
        case 0: return QStringLiteral("BQC");
        case 2: return QStringLiteral("BQC_M");
        case 20: return QStringLiteral("KESTRALINE");
        case 21: return QStringLiteral("KESTRALINE3");
        case 100: return QStringLiteral("QUORIX_PC");
        default: return QStringLiteral("-1");
        }
    }
};
