#pragma once

#include "BackendVersions.h"
#include "IOManager.h"
#include "ModuleInterface.h"

#include <QtWidgets/QAction>  // not Qt 3D Input's class of that name
#include <QDockWidget>
#include <QList>
#include <QPointer>
#include <QString>
#include <QVariant>
#include <QWidget>

// What a module that hands the host one dock for one of its menus has in
// common: the host's properties kept, the dock and its menu entry made on the
// host's first request, and both taken down again. A module derives from
// QObject and from this class, names its dock and makes the dock's content.
// Inline and needing Qt only, like everything a module compiles against; the
// functions added here are the module's own and never called by the host.
class DockModule : public ModuleInterface
{
public:
    // How the dock and its entry appear in the host.
    struct Dock {
        QString title;
        QString objectName;   // saved window layouts find the dock by it
        QString menuName;
        int menuPosition = 0;
        int actionPosition = 0;
        QString actionText;
        QString statusTip;
        QString whatsThis;
        int availableWhileMeasuring = 1;
    };

    QList<ModuleWidgetEntry *> moduleWidgets() override
    {
        if (m_widgets.isEmpty() && !m_dock) {
            const Dock wanted = describeDock();
            m_content = createContent();
            m_dock = new QDockWidget(wanted.title, m_parent);
            m_dock->setObjectName(wanted.objectName);
            m_dock->setWidget(m_content);

            m_entry.menuName = wanted.menuName;
            m_entry.menuPosition = wanted.menuPosition;
            m_entry.actionPosition = wanted.actionPosition;
            m_entry.availableWhileMeasuring = wanted.availableWhileMeasuring;
            m_entry.widget = m_dock;

            QAction *action = m_dock->toggleViewAction();
            action->setText(wanted.actionText);
            action->setStatusTip(wanted.statusTip);
            action->setWhatsThis(wanted.whatsThis);
            m_entry.toggleAction = action;
            m_widgets.append(&m_entry);
        }
        return m_widgets;
    }

    // The host may have taken the content out of the dock (to make it its
    // central widget): it goes too, while the channel it may be registered
    // with still exists.
    void destroyWidgets() override
    {
        const QPointer<QWidget> content = m_content;
        delete m_dock.data();
        delete content.data();
        m_dock = nullptr;
        m_content = nullptr;
        m_entry.widget = nullptr;
        m_entry.toggleAction = nullptr;
        m_widgets.clear();
    }

    void setModuleProperty(QString name, QVariant value) override
    {
        if (name == QLatin1String("CommandManager"))
            m_channel = value.userType() == qMetaTypeId<IOManager *>() ? value.value<IOManager *>() : nullptr;
        else if (name == QLatin1String("ModuleParent"))
            m_parent = qobject_cast<QWidget *>(value.value<QObject *>());
        else if (name == QLatin1String("BackendVersions"))
            m_versions = value.userType() == qMetaTypeId<BackendVersions *>() ? value.value<BackendVersions *>() : nullptr;
        else if (name == QLatin1String("ObserverMode"))
            m_observerMode = value.userType() == QMetaType::Bool ? value.toBool() : false;
    }

    IOManager *commandManager() const { return m_channel; }
    QWidget *moduleParent() const { return m_parent; }
    BackendVersions *backendVersions() const { return m_versions; }
    bool observerMode() const { return m_observerMode; }
    QDockWidget *dock() const { return m_dock; }

    // "v1.0.1", as modules report their version.
    static QString versionText(int major, int minor, int patch)
    {
        return QStringLiteral("v%1.%2.%3").arg(major).arg(minor).arg(patch);
    }

protected:
    DockModule() = default;
    // Releases the entry list only; the dock goes with destroyWidgets().
    ~DockModule() override { m_widgets.clear(); }

    virtual Dock describeDock() = 0;
    // The dock's content, made when the host first asks for the widgets.
    virtual QWidget *createContent() = 0;

private:
    IOManager *m_channel = nullptr;
    QWidget *m_parent = nullptr;
    BackendVersions *m_versions = nullptr;
    bool m_observerMode = false;
    QList<ModuleWidgetEntry *> m_widgets;
    ModuleWidgetEntry m_entry;
    QPointer<QDockWidget> m_dock;
    QPointer<QWidget> m_content;
};
