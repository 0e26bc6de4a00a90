#pragma once

#include "HealthMonitor.h"
#include "HealthView.h"
#include "ModuleInterface.h"

#include <QDockWidget>
#include <QObject>
#include <QPointer>

namespace Health {

// The Tracking Health plug-in's root object: records the system's state while
// connected and hands the host one dock, "Tracking Health", in the View menu.
// It reaches the host only through the module interface, as any third party's
// module would.
class HealthModule : public QObject, public ModuleInterface
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "Quorix2.TrackingHealthModule")
    Q_INTERFACES(ModuleInterface)

public:
    static constexpr int ActionPosition = 240;
    static constexpr int MenuPosition = 400;

    explicit HealthModule(QObject *parent = nullptr);
    ~HealthModule() override;

    void detachFromController() override;
    void destroyWidgets() override;
    QString moduleName() override;
    QString moduleVersion() override;
    QList<ModuleWidgetEntry *> moduleWidgets() override;
    void setModuleProperty(QString name, QVariant value) override;

    HealthMonitor *monitor() const { return m_monitor; }
    HealthView *view() const { return m_view; }
    QDockWidget *dock() const { return m_dock; }

private:
    QWidget *m_parent = nullptr;
    IOManager *m_channel = nullptr;
    QList<ModuleWidgetEntry *> m_widgets;
    ModuleWidgetEntry m_entry;
    QPointer<HealthMonitor> m_monitor;
    QPointer<HealthView> m_view;
    QPointer<QDockWidget> m_dock;
};

} // namespace Health
