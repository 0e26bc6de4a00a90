#include "HoloviewModule.h"

#include "HoloviewDataDisplay.h"
#include "HoloviewMessageReceiver.h"

namespace GUI {

HoloviewModule::HoloviewModule(QObject *parent)
    : QObject(parent)
{
}

void HoloviewModule::detachFromController()
{
    IOManager *channel = commandManager();
    if (!m_display || !channel)
        return;
    channel->removeRequester(m_display);
    channel->removeMessageReceiver(HoloviewDataDisplay::MessageChannel, m_display->messageReceiver());
}

QString HoloviewModule::moduleName()
{
    return tr("GUI Holoview");
}

QString HoloviewModule::moduleVersion()
{
    return versionText(1, 0, 1);
}

DockModule::Dock HoloviewModule::describeDock()
{
    Dock dock;
    dock.title = tr("3D Monitor Display");
    // Saved window layouts find docks by name; this one names none of the
    // docks the fixed arrangement treats specially.
    dock.objectName = QStringLiteral("Holoview3DMonitor");
    dock.menuName = tr("&View");
    dock.menuPosition = MenuPosition;
    dock.actionPosition = ActionPosition;
    dock.actionText = tr("3D Monitor");
    dock.statusTip = tr("Show the 3D Monitor tracking data");
    dock.whatsThis = tr("Show the 3D Monitor tracking data");
    return dock;
}

// The host takes the monitor out of the dock to make it its central widget;
// destroyWidgets() deletes it all the same.
QWidget *HoloviewModule::createContent()
{
    m_display = new HoloviewDataDisplay(moduleParent(), commandManager(), backendVersions());
    return m_display;
}

} // namespace GUI
