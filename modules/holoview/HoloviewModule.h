#pragma once

#include "ModuleInterface.h"

#include "HoloviewDataDisplay.h"

#include <QDockWidget>
#include <QObject>
#include <QPointer>

namespace GUI {

// The Holoview plug-in's root object: hands the host one dock holding the 3D
// monitor. The host makes the dock's widget its central widget.
// One object per process; Qt's plug-in instance function keeps it in a
// guarded pointer and makes a new one after the host deleted it.
class HoloviewModule : public QObject, public ModuleInterface
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "Quorix2.HoloviewModule")
    Q_INTERFACES(ModuleInterface)

public:
    static constexpr int ActionPosition = 235;
    static constexpr int MenuPosition = 400;

    explicit HoloviewModule(QObject *parent = nullptr);
    // Releases the widget list only; the dock goes with destroyWidgets().
    ~HoloviewModule() override;

    void detachFromController() override;
    void destroyWidgets() override;
    QString moduleName() override;
    QString moduleVersion() override;
    QList<ModuleWidgetEntry *> moduleWidgets() override;
    void setModuleProperty(QString name, QVariant value) override;

    IOManager *commandManager() const { return m_channel; }
    QWidget *moduleParent() const { return m_parent; }
    BackendVersions *backendVersions() const { return m_versions; }
    bool observerMode() const { return m_observerMode; }
    HoloviewDataDisplay *display() const { return m_display; }
    QDockWidget *dock() const { return m_dock; }

private:
    QWidget *m_parent = nullptr;
    QList<ModuleWidgetEntry *> m_widgets;
    ModuleWidgetEntry m_entry;
    IOManager *m_channel = nullptr;
    BackendVersions *m_versions = nullptr;
    bool m_observerMode = false;
    QPointer<HoloviewDataDisplay> m_display;
    QPointer<QDockWidget> m_dock;
};

} // namespace GUI
