#include "HealthModule.h"

#include "HealthMonitor.h"
#include "HealthView.h"

#include <QtWidgets/QAction>

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
    m_widgets.clear();
}

void HealthModule::detachFromController()
{
    if (m_monitor)
        m_monitor->detach();
}

void HealthModule::destroyWidgets()
{
    if (m_dock)
        delete m_dock.data();
    m_dock = nullptr;
    m_view = nullptr;
    m_entry.widget = nullptr;
    m_entry.toggleAction = nullptr;
    m_widgets.clear();
}

QString HealthModule::moduleName()
{
    return tr("GUI Tracking Health");
}

QString HealthModule::moduleVersion()
{
    return QStringLiteral("v%1.%2.%3").arg(1).arg(0).arg(0);
}

QList<ModuleWidgetEntry *> HealthModule::moduleWidgets()
{
    if (m_widgets.isEmpty() && !m_dock) {
        // The monitor records from now on, shown or not; it is the module's,
        // not the dock's, so that it outlives the widgets until the host lets go.
        if (!m_monitor)
            m_monitor = new HealthMonitor(m_channel);
        m_view = new HealthView(m_monitor);

        m_dock = new QDockWidget(tr("Tracking Health"), m_parent);
        m_dock->setObjectName(QStringLiteral("TrackingHealthDock"));
        m_dock->setWidget(m_view);

        m_entry.menuName = tr("&View");
        m_entry.menuPosition = MenuPosition;
        m_entry.actionPosition = ActionPosition;
        m_entry.availableWhileMeasuring = 1;
        m_entry.widget = m_dock;

        QAction *action = m_dock->toggleViewAction();
        action->setText(tr("Tracking &Health"));
        action->setStatusTip(tr("Show the tracking system's state over time"));
        action->setWhatsThis(tr("Show the tracking system's state over time: frequency, tracked bodies and markers, "
                                "lost frames, data lines, the cameras' rays and the event messages."));
        m_entry.toggleAction = action;
        m_widgets.append(&m_entry);
    }
    return m_widgets;
}

void HealthModule::setModuleProperty(QString name, QVariant value)
{
    if (name == QLatin1String("CommandManager"))
        m_channel = value.userType() == qMetaTypeId<IOManager *>() ? value.value<IOManager *>() : nullptr;
    else if (name == QLatin1String("ModuleParent"))
        m_parent = qobject_cast<QWidget *>(value.value<QObject *>());
}

} // namespace Health
