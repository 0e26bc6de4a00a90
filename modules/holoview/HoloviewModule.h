#pragma once

#include "DockModule.h"
#include "HoloviewDataDisplay.h"

#include <QObject>
#include <QPointer>

namespace GUI {

// The Holoview plug-in's root object: hands the host one dock holding the 3D
// monitor. The host makes the dock's widget its central widget.
// One object per process; Qt's plug-in instance function keeps it in a
// guarded pointer and makes a new one after the host deleted it.
class HoloviewModule : public QObject, public DockModule
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "Quorix2.HoloviewModule" FILE "holoview.json")
    Q_INTERFACES(ModuleInterface)

public:
    static constexpr int ActionPosition = 235;
    static constexpr int MenuPosition = 400;

    explicit HoloviewModule(QObject *parent = nullptr);

    void detachFromController() override;
    QString moduleName() override;
    QString moduleVersion() override;

    HoloviewDataDisplay *display() const { return m_display; }

protected:
    Dock describeDock() override;
    QWidget *createContent() override;

private:
    QPointer<HoloviewDataDisplay> m_display;
};

} // namespace GUI
