#pragma once

// The boundary between the host and its GUI modules. A module includes this
// header (and the channel and version headers it names) and links nothing of
// the host: every call into the host goes through a virtual function. Keep the
// slot order and the field order; separately built modules depend on both.

#include "BackendVersions.h"
#include "IOManager.h"

#include <QList>
#include <QMetaType>
#include <QString>
#include <QVariant>
#include <QtPlugin>

class QAction;
class QWidget;

// One contribution of a module: an action for a menu and, optionally, the dock
// widget or tool bar it belongs to.
struct ModuleWidgetEntry
{
    QAction *toggleAction = nullptr;
    int actionPosition = 0;          // key inside the menu; negative counts as 0
    QString menuName;                // menu looked up (or created) by this title
    int menuPosition = 0;            // order key of a menu created for this entry
    QWidget *widget = nullptr;       // a QDockWidget, a QToolBar, or nothing to dock
    int availableWhileMeasuring = 1; // 0: the action is disabled while measuring
};

class ModuleInterface
{
public:
    virtual ~ModuleInterface() {}
    virtual void detachFromController() = 0;
    virtual void destroyWidgets() = 0;
    virtual QString moduleName() = 0;
    virtual QString moduleVersion() = 0;
    // Entries stay owned by the module.
    virtual QList<ModuleWidgetEntry *> moduleWidgets() = 0;
    virtual void setModuleProperty(QString name, QVariant value) = 0;
};

#define ModuleInterface_iid "quorix2.gui.Module/0.2.0"
Q_DECLARE_INTERFACE(ModuleInterface, ModuleInterface_iid)

// The property values the host hands every module.
Q_DECLARE_METATYPE(IOManager *)
Q_DECLARE_METATYPE(BackendVersions *)
