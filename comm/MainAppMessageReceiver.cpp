#include "MainAppMessageReceiver.h"

#include <cstring>

namespace {

bool is(const char *a, const char *b) { return std::strcmp(a, b) == 0; }
bool begins(const char *text, const char *prefix) { return std::strncmp(text, prefix, std::strlen(prefix)) == 0; }

} // namespace

MainAppMessageReceiver::MainAppMessageReceiver(QObject *parent)
    : QObject(parent)
{
}

int MainAppMessageReceiver::receive(int type, const char *sender, const char *text)
{
    if (!sender || !text)
        return 0;
    const QString message = QString::fromLatin1(text);
    if (is(sender, "ControllerSettingsModule") || is(sender, "ConfigurationModule")) {
        if (is(text, "ActiveConfigurationChanged"))
            emit receiveConfigurationChanged(message);
    } else if (is(sender, "BqcUpateModule")) {
        if (is(text, "AppReadyToShutdown"))
            emit receiveAppReadyToShutdown();
    } else if (is(sender, "Monitor2dModule")) {
        if (begins(text, "Monitor2dTabChanged"))
            emit receiveMonitor2dTabChanged(message);
        else if (begins(text, "Monitor2dMostActive"))
            emit receiveMonitor2dMostActiveChanged(message);
    } else if (is(sender, "BodyAdministrationModule")) {
        if (begins(text, "OpenBodyCalDialog"))
            emit receiveOpenBodyCalDialog(message);
        else if (begins(text, "OpenBodyAdjustmentDialog"))
            emit receiveOpenBodyAdjustmentDialog(message);
    } else if (is(sender, "HybridBodyCalibration")) {
        if (begins(text, "OpenHybridBodyCalibration"))
            emit receiveOpenHybridBodyCalDialog(message);
        // The host relays a close to this module as "close dialog": that one must not close again.
        if (!is(text, "close dialog"))
            emit receiveCloseHybridBodyCalDialog();
    } else if (is(sender, "BodyCalModule")) {
        if (is(text, "close dialog"))
            emit receiveCloseBodyCalDialog();
    } else if (is(sender, "BodyAdjustmentModule")) {
        if (is(text, "close dialog"))
            emit receiveCloseBodyAdjustmentDialog();
    } else if (is(sender, "Quorix2MonitorModeMaster")) {
        emit receiveSetOnlyDisplay(type != 0);
    } else if (is(sender, "InertialTrackingModule")) {
        if (is(text, "ShowInertialToolbar") || is(text, "HideInertialToolbar"))
            emit receiveInertialChanged(message);
    }
    return 0;
}
