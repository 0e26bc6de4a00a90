#pragma once

#include <QList>
#include <QPointer>
#include <QString>
#include <QToolBar>

class CentralDock;
class IOManager;
class MeasurementControl;
class MenuRegistry;
class ModuleInterface;
class QJsonObject;
class QMainWindow;
class QMenu;
struct BackendVersions;
struct ModuleWidgetEntry;

// Loads the GUI modules from the plug-in directory, hands them the four
// properties and places what they contribute: menu entries through the menu
// registry, docks and tool bars into the window.
class ModuleHost
{
public:
    ModuleHost(QMainWindow *window, MenuRegistry *menus, MeasurementControl *measurement);
    ~ModuleHost();

    void load(const QString &directory, bool showService, IOManager *channel, BackendVersions *versions);
    bool isLoaded(const QString &name) const;
    QList<ModuleInterface *> modules() const { return m_modules; }
    // "v4.0.1  DATE|name;version|…"
    QString versionList() const;
    // The tool bar of the inertial sensors' module, if one gave it.
    QToolBar *inertialToolBar() const { return m_inertialToolBar; }

    // After the window layout was restored or arranged afresh: the central
    // module's content goes where its dock's saved state says.
    void settleCentralDock();

    void detachAll();
    // destroyWidgets of every module first, then the modules themselves.
    void unloadAll();

    ModuleHost(const ModuleHost &) = delete;
    ModuleHost &operator=(const ModuleHost &) = delete;

private:
    // A plug-in says in its metadata ("placement": "central") that its dock's
    // widget is the window's centre while docked.
    static bool wantsCentre(const QJsonObject &metaData);
    void placeCentral(const QList<ModuleWidgetEntry *> &entries);
    void place(ModuleWidgetEntry *entry);
    // The entry's menu, made at its position when no module named it before.
    QMenu *menuFor(const ModuleWidgetEntry *entry);

    QMainWindow *m_window;
    MenuRegistry *m_menus;
    MeasurementControl *m_measurement;
    QList<ModuleInterface *> m_modules;
    // Configured but contributing nothing: never listed, deleted at the end.
    QList<ModuleInterface *> m_unlisted;
    QPointer<QToolBar> m_inertialToolBar;
    QPointer<CentralDock> m_centralDock;
};
