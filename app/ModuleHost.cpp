#include "ModuleHost.h"

#include "CentralDock.h"
#include "MeasurementControl.h"
#include "MenuRegistry.h"
#include "ModuleInterface.h"
#include "Version.h"

#include <QAction>
#include <QDir>
#include <QDockWidget>
#include <QJsonObject>
#include <QMainWindow>
#include <QMenu>
#include <QPluginLoader>
#include <QToolBar>

namespace {

// The inertial sensors' module is not ours; its tool bar is known by its title.
const QLatin1String InertialToolBarTitle("ZEL InertialSensor Status");

} // namespace

ModuleHost::ModuleHost(QMainWindow *window, MenuRegistry *menus, MeasurementControl *measurement)
    : m_window(window)
    , m_menus(menus)
    , m_measurement(measurement)
{
}

ModuleHost::~ModuleHost()
{
    unloadAll();
}

bool ModuleHost::wantsCentre(const QJsonObject &metaData)
{
    return metaData.value(QStringLiteral("MetaData")).toObject().value(QStringLiteral("placement")).toString()
        == QLatin1String("central");
}

void ModuleHost::load(const QString &directory, bool showService, IOManager *channel, BackendVersions *versions)
{
    qRegisterMetaType<IOManager *>("IOManager*");
    qRegisterMetaType<QWidget *>("QWidget*");
    qRegisterMetaType<BackendVersions *>("BackendVersions*");

    // Without a plug-in directory the program's own directory is tried; its files are normally no modules.
    QDir dir(directory);
    if (!dir.exists())
        dir.setPath(QFileInfo(directory).absolutePath());
    const QStringList files = dir.entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
    for (const QString &file : files) {
        QPluginLoader loader(dir.absoluteFilePath(file));
        QObject *root = loader.instance();
        if (!root)
            continue;
        auto *module = qobject_cast<ModuleInterface *>(root);
        if (!module) {
            delete root;
            continue;
        }
        // The service module is left out before it learns anything of the host.
        if (!showService && module->moduleName().contains(QLatin1String("GUI Service"))) {
            delete root;
            continue;
        }
        module->setModuleProperty(QStringLiteral("CommandManager"), QVariant::fromValue<IOManager *>(channel));
        module->setModuleProperty(QStringLiteral("ModuleParent"), QVariant::fromValue<QWidget *>(m_window));
        module->setModuleProperty(QStringLiteral("BackendVersions"), QVariant::fromValue<BackendVersions *>(versions));
        module->setModuleProperty(QStringLiteral("ObserverMode"), false);

        const QList<ModuleWidgetEntry *> entries = module->moduleWidgets();
        if (wantsCentre(loader.metaData())) {
            placeCentral(entries);
            m_modules.append(module);
            continue;
        }
        if (entries.isEmpty()) {
            m_unlisted.append(module);
            continue;
        }
        m_modules.append(module);
        for (ModuleWidgetEntry *entry : entries)
            if (entry)
                place(entry);
    }
}

// The 3D monitor is the window's middle while docked, and floats to a window
// of its own; its entries in the menu and in the window's context menu show
// it and float it.
void ModuleHost::placeCentral(const QList<ModuleWidgetEntry *> &entries)
{
    for (ModuleWidgetEntry *entry : entries) {
        auto *dock = entry ? qobject_cast<QDockWidget *>(entry->widget) : nullptr;
        if (!dock || !dock->widget())
            continue;
        if (m_centralDock) {
            place(entry);   // the middle is taken: a dock as any other
            continue;
        }
        m_centralDock = new CentralDock(m_window, dock);
        const QList<QAction *> actions = m_centralDock->actions();
        QMenu *menu = menuFor(entry);
        const int key = qMax(0, entry->actionPosition);
        dock->toggleViewAction()->setData(key);
        for (QAction *action : actions) {
            m_menus->insertAction(menu, action, key);
            if (entry->availableWhileMeasuring == 0)
                m_measurement->addInactiveAction(action);
        }
        m_menus->setDockEntries(dock, actions);
    }
}

QMenu *ModuleHost::menuFor(const ModuleWidgetEntry *entry)
{
    if (QMenu *menu = m_menus->menu(entry->menuName))
        return menu;
    return m_menus->addMenu(entry->menuName, entry->menuPosition, 100);
}

void ModuleHost::settleCentralDock()
{
    if (m_centralDock)
        m_centralDock->settle();
}

void ModuleHost::place(ModuleWidgetEntry *entry)
{
    if (auto *bar = qobject_cast<QToolBar *>(entry->widget)) {
        if (bar->windowTitle() == InertialToolBarTitle)
            m_inertialToolBar = bar;
        bar->setParent(m_window);
        bar->setMinimumHeight(25);
        m_window->addToolBar(bar);
        return;
    }
    QAction *action = entry->toggleAction;
    QMenu *menu = menuFor(entry);
    if (auto *dock = qobject_cast<QDockWidget *>(entry->widget)) {
        dock->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
        if (dock->objectName().isEmpty())
            dock->setObjectName(entry->menuName + (action ? action->text() : QString()));
        m_window->addDockWidget(Qt::RightDockWidgetArea, dock);
        dock->hide();
    }
    if (!action)
        return;
    if (!menu->actions().contains(action))
        m_menus->insertAction(menu, action, qMax(0, entry->actionPosition));
    else
        action->setData(qMax(0, entry->actionPosition));
    if (entry->availableWhileMeasuring == 0)
        m_measurement->addInactiveAction(action);
}

bool ModuleHost::isLoaded(const QString &name) const
{
    for (ModuleInterface *module : m_modules)
        if (module->moduleName() == name)
            return true;
    return false;
}

QString ModuleHost::versionList() const
{
    QString text = QStringLiteral("v%1.%2.%3 %4 %5|")
                       .arg(QuorixVersion::Major).arg(QuorixVersion::Minor).arg(QuorixVersion::Patch)
                       .arg(QString(), QString::fromLatin1(QuorixVersion::ReleaseDate));
    for (ModuleInterface *module : m_modules)
        text += QStringLiteral("%1;%2|").arg(module->moduleName(), module->moduleVersion());
    text.chop(1);
    return text;
}

void ModuleHost::detachAll()
{
    for (ModuleInterface *module : qAsConst(m_modules))
        module->detachFromController();
}

void ModuleHost::unloadAll()
{
    for (ModuleInterface *module : qAsConst(m_modules))
        module->destroyWidgets();
    qDeleteAll(m_modules);
    m_modules.clear();
    qDeleteAll(m_unlisted);
    m_unlisted.clear();
}
