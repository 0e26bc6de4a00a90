#include "HealthModule.h"

#include "HealthMonitor.h"
#include "HealthView.h"

namespace Health {

HealthModule::HealthModule(QObject *parent)
    : QObject(parent)
{
}

HealthModule::~HealthModule()
{
    // The host destroys the widgets first; should it not, the plots must not
    // outlive the record they draw.
    destroyWidgets();
    detachFromController();
    delete m_monitor.data();
}

void HealthModule::detachFromController()
{
    if (m_monitor)
        m_monitor->detach();
}

QString HealthModule::moduleName()
{
    return tr("GUI Tracking Health");
}

QString HealthModule::moduleVersion()
{
    return versionText(1, 0, 0);
}

DockModule::Dock HealthModule::describeDock()
{
    Dock dock;
    dock.title = tr("Tracking Health");
    dock.objectName = QStringLiteral("TrackingHealthDock");
    dock.menuName = tr("&View");
    dock.menuPosition = MenuPosition;
    dock.actionPosition = ActionPosition;
    dock.actionText = tr("Tracking &Health");
    dock.statusTip = tr("Show the tracking system's state over time");
    dock.whatsThis = tr("Show the tracking system's state over time: frequency, tracked bodies and markers, "
                        "lost frames, data lines, the cameras' rays and the event messages.");
    return dock;
}

QWidget *HealthModule::createContent()
{
    // The monitor records from now on, shown or not; it is the module's, not
    // the dock's, so that it outlives the widgets until the host lets go.
    if (!m_monitor)
        m_monitor = new HealthMonitor(commandManager());
    m_view = new HealthView(m_monitor);
    return m_view;
}

} // namespace Health
