#pragma once

#include "DockModule.h"
#include "HealthMonitor.h"
#include "HealthView.h"

#include <QObject>
#include <QPointer>

namespace Health {

// The Tracking Health plug-in's root object: records the system's state while
// connected and hands the host one dock, "Tracking Health", in the View menu.
// It reaches the host only through the module interface, as any third party's
// module would.
class HealthModule : public QObject, public DockModule
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
    QString moduleName() override;
    QString moduleVersion() override;

    HealthMonitor *monitor() const { return m_monitor; }
    HealthView *view() const { return m_view; }

protected:
    Dock describeDock() override;
    QWidget *createContent() override;

private:
    QPointer<HealthMonitor> m_monitor;
    QPointer<HealthView> m_view;
};

} // namespace Health
