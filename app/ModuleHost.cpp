#include "ModuleHost.h"

#include "MainWindow.h"
#include "ModuleInterface.h"
#include "Version.h"

#include <QAction>
#include <QDir>
#include <QDockWidget>
#include <QMenu>
#include <QPluginLoader>
#include <QToolBar>

ModuleHost::ModuleHost(MainWindow *window)
    : m_window(window)
{
}

ModuleHost::~ModuleHost()
{
    unloadAll();
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
        const QString name = module->moduleName();
        if (!showService && name.contains(QLatin1String("GUI Service")))
            continue;
        module->setModuleProperty(QStringLiteral("CommandManager"), QVariant::fromValue<IOManager *>(channel));
        module->setModuleProperty(QStringLiteral("ModuleParent"), QVariant::fromValue<QWidget *>(m_window));
        module->setModuleProperty(QStringLiteral("BackendVersions"), QVariant::fromValue<BackendVersions *>(versions));
        module->setModuleProperty(QStringLiteral("ObserverMode"), false);

        const QList<ModuleWidgetEntry *> entries = module->moduleWidgets();
        if (name.contains(QLatin1String("GUI Holoview"))) {
            placeCentral(entries);
            m_modules.append(module);
            continue;
        }
        if (entries.isEmpty())
            continue;
        m_modules.append(module);
        for (ModuleWidgetEntry *entry : entries)
            if (entry)
                place(entry);
    }
    for (QMenu *menu : qAsConst(m_window->m_menusByKey))
        QObject::connect(menu, &QMenu::aboutToShow, m_window, &MainWindow::onMenuAboutToShow_update, Qt::UniqueConnection);
}

// The 3D monitor is the window's centre, not a dock. Its dock stays hidden:
// emptied of its widget, it would only show a bare title bar, so no menu
// offers to show it either.
void ModuleHost::placeCentral(const QList<ModuleWidgetEntry *> &entries)
{
    for (ModuleWidgetEntry *entry : entries) {
        auto *dock = entry ? qobject_cast<QDockWidget *>(entry->widget) : nullptr;
        if (!dock || !dock->widget())
            continue;
        m_window->setCentralWidget(dock->widget());
        dock->hide();
        dock->toggleViewAction()->setVisible(false);
    }
}

void ModuleHost::place(ModuleWidgetEntry *entry)
{
    if (auto *bar = qobject_cast<QToolBar *>(entry->widget)) {
        if (bar->windowTitle() == QLatin1String("ZEL InertialSensor Status"))
            m_window->m_inertialToolBar = bar;
        bar->setParent(m_window);
        bar->setMinimumHeight(25);
        m_window->addToolBar(bar);
        return;
    }
    QAction *action = entry->toggleAction;
    QMenu *menu = m_window->m_menusByTitle.value(entry->menuName);
    if (!menu)
        menu = m_window->addMenu(entry->menuName, entry->menuPosition, 100);
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
        m_window->insertAction(menu, action, qMax(0, entry->actionPosition));
    else
        action->setData(qMax(0, entry->actionPosition));
    if (entry->availableWhileMeasuring == 0)
        m_window->addMeasurementInactive(action);
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
}
