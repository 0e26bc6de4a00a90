#include "LocalServiceControl.h"

#include "SystemdServiceControl.h"

namespace {

LocalServiceControl *current = nullptr;

} // namespace

LocalServiceControl *LocalServiceControl::instance()
{
    // On Linux the back-end service is a systemd unit, by default quorix-backend.service.
    static SystemdServiceControl systemd;
    return current ? current : &systemd;
}

void LocalServiceControl::setInstance(LocalServiceControl *control)
{
    current = control;
}
