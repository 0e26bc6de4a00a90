#pragma once

#include "AppStatusBar.h"
#include "BackendVersions.h"
#include "CommandLine.h"
#include "EventDisplay.h"
#include "FlightRecorder.h"
#include "IOManagerUdpTcp.h"
#include "MessageBoxRelay.h"
#include "Preferences.h"

#include <QString>

#include <memory>

// What the start-up hands the main window: a channel that holds full access
// to an initialised Controller, and what was built and read on the way there.
struct ControllerSession
{
    // Declared before the channel, so that it outlives the channel that calls it.
    std::unique_ptr<MessageBoxRelay> boxes;
    // The ring that taps the channel; it too outlives the channel.
    std::unique_ptr<FlightRecorder> recorder;
    std::unique_ptr<IOManagerUdpTcp> channel;
    unsigned short dataPort = 0;
    QString address;   // dotted IPv4 text of the Controller connected
    BackendVersions versions;
    Preferences prefs;
    CommandLine::Options options;
    // Built during the Controller's initialisation, before the window exists.
    std::unique_ptr<EventDisplay> eventDisplay;
    std::unique_ptr<AppStatusBar> statusBar;
};
