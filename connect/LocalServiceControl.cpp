#include "LocalServiceControl.h"

namespace {

// Until a real watcher is set: no service on this computer.
class NoLocalService : public LocalServiceControl
{
public:
    bool isInstalled() override { return false; }
    int currentState() override { return Unknown; }
    void startLocalService() override {}
    void stopLocalService() override {}
    bool connectStatusListener(const QByteArray &, Listener) override { return true; }
    bool disconnectStatusListener(const QByteArray &) override { return true; }
};

LocalServiceControl *current = nullptr;

} // namespace

LocalServiceControl *LocalServiceControl::instance()
{
    static NoLocalService none;
    return current ? current : &none;
}

void LocalServiceControl::setInstance(LocalServiceControl *control)
{
    current = control;
}
