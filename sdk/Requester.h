#pragma once

// Listener for measurement data lines and for the start/stop notices of the
// measurement. Shared with plug-ins: keep the slot order and add no code that
// would have to be linked.
class Requester
{
public:
    virtual int onData(const char *key, const char *line) = 0;
    virtual void onMeasurementStarted() = 0;
    virtual void onMeasurementStopped() = 0;

protected:
    ~Requester() = default;
};
