#include "HoloviewModule.h"

#include "HoloviewDataDisplay.h"
#include "HoloviewMessageReceiver.h"

#include <QtWidgets/QAction>
#include <QDockWidget>

namespace GUI {

HoloviewModule::HoloviewModule(QObject *parent)
    : QObject(parent)
{
}

HoloviewModule::~HoloviewModule()
{
    m_widgets.clear();
}

void HoloviewModule::detachFromController()
{
    if (!m_display || !m_channel)
        return;
    m_channel->removeRequester(m_display);
    m_channel->removeMessageReceiver(HoloviewDataDisplay::MessageChannel, m_display->messageReceiver());
}

void HoloviewModule::destroyWidgets()
{
    // The host takes the monitor out of the dock to make it its central
    // widget; it must still go now, while the channel it is registered with
    // exists (the host deletes the channel before its own child widgets).
    const QPointer<HoloviewDataDisplay> display = m_display;
    if (m_dock)
        delete m_dock.data();
    if (display)
        delete display.data();
    m_dock = nullptr;
    m_display = nullptr;
    m_entry.widget = nullptr;
    m_entry.toggleAction = nullptr;
    m_widgets.clear();
}

QString HoloviewModule::moduleName()
{
    return tr("GUI Holoview");
}

QString HoloviewModule::moduleVersion()
{
    return QStringLiteral("v%1.%2.%3").arg(1).arg(0).arg(1);
}

QList<ModuleWidgetEntry *> HoloviewModule::moduleWidgets()
{
    if (m_widgets.isEmpty()) {
        m_display = new HoloviewDataDisplay(m_parent, m_channel, m_versions);

        m_dock = new QDockWidget(tr("3D Monitor Display"), m_parent);
        // Saved window layouts find docks by name; this one names none of
        // the docks the fixed arrangement treats specially.
        m_dock->setObjectName(QStringLiteral("Holoview3DMonitor"));
        m_dock->setWidget(m_display);

        m_entry.menuName = tr("&View");
        m_entry.menuPosition = MenuPosition;
        m_entry.actionPosition = ActionPosition;
        m_entry.availableWhileMeasuring = 1;
        m_entry.widget = m_dock;

        QAction *action = m_dock->toggleViewAction();
        action->setText(tr("3D Monitor"));
        action->setStatusTip(tr("Show the 3D Monitor tracking data"));
        action->setWhatsThis(tr("Show the 3D Monitor tracking data"));
        m_entry.toggleAction = action;

        m_widgets.append(&m_entry);
    }
    return m_widgets;
}

void HoloviewModule::setModuleProperty(QString name, QVariant value)
{
    if (name == QLatin1String("CommandManager")) {
        m_channel = value.userType() == qMetaTypeId<IOManager *>() ? value.value<IOManager *>() : nullptr;
    } else if (name == QLatin1String("ModuleParent")) {
        m_parent = qobject_cast<QWidget *>(value.value<QObject *>());
    } else if (name == QLatin1String("BackendVersions")) {
        m_versions = value.userType() == qMetaTypeId<BackendVersions *>() ? value.value<BackendVersions *>() : nullptr;
    } else if (name == QLatin1String("ObserverMode")) {
        m_observerMode = value.userType() == QMetaType::Bool ? value.toBool() : false;
    }
}

} // namespace GUI
