#include "FakeChannel.h"
#include "HoloviewDataDisplay.h"
#include "HoloviewMessageReceiver.h"
#include "HoloviewModule.h"
#include "TestHome.h"

#include <QAction>
#include <QDockWidget>
#include <QMainWindow>
#include <QPluginLoader>
#include <QtTest>

#include <memory>

using GUI::HoloviewDataDisplay;
using GUI::HoloviewModule;

namespace {

QStringList g_warnings;

void collectWarnings(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtWarningMsg)
        g_warnings << message;
}

QString pluginPath()
{
    QString dir = qEnvironmentVariable("QUORIX_APP_DIR");
    if (dir.isEmpty())
        dir = QStringLiteral(QUORIX_TEST_APP_DIR);
    return dir + QStringLiteral("/plugins/libholoview.so");
}

} // namespace

class HoloviewModuleTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_home = std::make_unique<TestHome>(); }
    void cleanup() { m_home.reset(); }

    void moduleWidgetsTwiceGivesOneDockAndTheSameEntry()
    {
        FakeChannel channel;
        QWidget parent;
        HoloviewModule module;
        module.setModuleProperty("CommandManager", QVariant::fromValue<IOManager *>(&channel));
        module.setModuleProperty("ModuleParent", QVariant::fromValue<QWidget *>(&parent));

        const QList<ModuleWidgetEntry *> first = module.moduleWidgets();
        const QList<ModuleWidgetEntry *> second = module.moduleWidgets();
        QCOMPARE(first.size(), 1);
        QCOMPARE(second, first);
        QCOMPARE(parent.findChildren<QDockWidget *>().size(), 1);
        QCOMPARE(parent.findChildren<HoloviewDataDisplay *>().size(), 1);

        const ModuleWidgetEntry *entry = first.at(0);
        QCOMPARE(entry->actionPosition, 235);
        QCOMPARE(entry->menuPosition, 400);
        QCOMPARE(entry->menuName, QString("&View"));
        QCOMPARE(entry->availableWhileMeasuring, 1);
        auto *dock = qobject_cast<QDockWidget *>(entry->widget);
        QVERIFY(dock);
        QCOMPARE(dock->windowTitle(), QString("3D Monitor Display"));
        QVERIFY(qobject_cast<HoloviewDataDisplay *>(dock->widget()));
        QCOMPARE(entry->toggleAction, dock->toggleViewAction());
        QCOMPARE(entry->toggleAction->text(), QString("3D Monitor"));
        QCOMPARE(entry->toggleAction->statusTip(), QString("Show the 3D Monitor tracking data"));
        QCOMPARE(entry->toggleAction->whatsThis(), QString("Show the 3D Monitor tracking data"));

        module.destroyWidgets();
        QVERIFY(parent.findChildren<QDockWidget *>().isEmpty());
        QVERIFY(parent.findChildren<HoloviewDataDisplay *>().isEmpty());
    }

    void destroyWidgetsAlsoDeletesAMonitorTheHostTookOut()
    {
        FakeChannel channel;
        QWidget parent;
        QWidget central;
        HoloviewModule module;
        module.setModuleProperty("CommandManager", QVariant::fromValue<IOManager *>(&channel));
        module.setModuleProperty("ModuleParent", QVariant::fromValue<QWidget *>(&parent));
        auto *dock = qobject_cast<QDockWidget *>(module.moduleWidgets().at(0)->widget);
        QPointer<QWidget> display = dock->widget();
        display->setParent(&central);   // as the host does with its central widget
        module.destroyWidgets();
        QVERIFY(display.isNull());
        QVERIFY(parent.findChildren<QDockWidget *>().isEmpty());
        QVERIFY(module.moduleWidgets().size() == 1);
        module.destroyWidgets();
    }

    // A window layout is saved with every dock in it; an unnamed dock cannot
    // be found again and makes the toolkit warn at every save.
    void dockIsNamedForSavedLayouts()
    {
        FakeChannel channel;
        QMainWindow window;
        HoloviewModule module;
        module.setModuleProperty("CommandManager", QVariant::fromValue<IOManager *>(&channel));
        module.setModuleProperty("ModuleParent", QVariant::fromValue<QWidget *>(&window));
        auto *dock = qobject_cast<QDockWidget *>(module.moduleWidgets().at(0)->widget);
        QVERIFY(dock);
        const QString name = dock->objectName().toLower();
        for (const char *special : {"data", "event", "gripwand", "displaytab 01"})
            QVERIFY2(!name.contains(QLatin1String(special)), qPrintable(name));

        // As the host leaves it: the monitor in the centre, the dock hidden in an area.
        window.setCentralWidget(dock->widget());
        window.addDockWidget(Qt::RightDockWidgetArea, dock);
        dock->hide();
        g_warnings.clear();
        const QtMessageHandler previous = qInstallMessageHandler(collectWarnings);
        const QByteArray state = window.saveState(0);
        qInstallMessageHandler(previous);
        QVERIFY2(g_warnings.isEmpty(), qPrintable(g_warnings.join('\n')));
        QVERIFY(window.restoreState(state, 0));
        module.destroyWidgets();
    }

    void nameAndVersion()
    {
        HoloviewModule module;
        QCOMPARE(module.moduleName(), QString("GUI Holoview"));
        QCOMPARE(module.moduleVersion(), QString("v1.0.1"));
    }

    void detachBeforeModuleWidgetsDoesNothing()
    {
        FakeChannel channel;
        HoloviewModule module;
        module.setModuleProperty("CommandManager", QVariant::fromValue<IOManager *>(&channel));
        module.detachFromController();
        module.destroyWidgets();
        QVERIFY(channel.commands().isEmpty());
        QVERIFY(module.moduleWidgets().size() == 1);
        module.destroyWidgets();
    }

    void detachUnregistersRequesterAndReceiver()
    {
        FakeChannel channel;
        channel.reply("quorix2 get roomcal coordinate_type", "quorix2 set roomcal coordinate_type floor");
        HoloviewModule module;
        module.setModuleProperty("CommandManager", QVariant::fromValue<IOManager *>(&channel));
        module.moduleWidgets();
        HoloviewDataDisplay *display = module.display();
        QVERIFY(display);

        // Registered: the message channel exists and start reaches the display.
        QCOMPARE(channel.sendMessage("HoloviewModule", "Nobody", 1, "hello"), 0);
        channel.notifyMeasurementStarted();
        QVERIFY(display->updateTimer()->isActive());
        channel.notifyMeasurementStopped();
        QVERIFY(!display->updateTimer()->isActive());

        module.detachFromController();
        QCOMPARE(channel.sendMessage("HoloviewModule", "Nobody", 1, "hello"), -1);
        channel.notifyMeasurementStarted();
        QVERIFY(!display->updateTimer()->isActive());
        module.destroyWidgets();
    }

    void propertiesOfTheWrongTypeAreNull()
    {
        FakeChannel channel;
        BackendVersions versions;
        QWidget widget;
        QObject notAWidget;
        HoloviewModule module;

        module.setModuleProperty("CommandManager", QVariant::fromValue<IOManager *>(&channel));
        module.setModuleProperty("ModuleParent", QVariant::fromValue<QWidget *>(&widget));
        module.setModuleProperty("BackendVersions", QVariant::fromValue<BackendVersions *>(&versions));
        module.setModuleProperty("ObserverMode", true);
        QCOMPARE(module.commandManager(), static_cast<IOManager *>(&channel));
        QCOMPARE(module.moduleParent(), &widget);
        QCOMPARE(module.backendVersions(), &versions);
        QCOMPARE(module.observerMode(), true);

        module.setModuleProperty("CommandManager", QVariant(42));
        module.setModuleProperty("ModuleParent", QVariant::fromValue<QObject *>(&notAWidget));
        module.setModuleProperty("BackendVersions", QVariant::fromValue<IOManager *>(&channel));
        module.setModuleProperty("ObserverMode", QVariant::fromValue<QObject *>(&notAWidget));
        QCOMPARE(module.commandManager(), nullptr);
        QCOMPARE(module.moduleParent(), nullptr);
        QCOMPARE(module.backendVersions(), nullptr);
        QCOMPARE(module.observerMode(), false);

        // Other names are ignored.
        module.setModuleProperty("Something", QVariant::fromValue<IOManager *>(&channel));
        QCOMPARE(module.commandManager(), nullptr);
    }

    void pluginLoadsAndCastsToModuleInterface()
    {
        QPluginLoader loader(pluginPath());
        const QJsonObject meta = loader.metaData();
        QCOMPARE(meta.value("IID").toString(), QString("Quorix2.HoloviewModule"));
        QCOMPARE(meta.value("className").toString(), QString("HoloviewModule"));

        QObject *root = loader.instance();
        QVERIFY2(root, qPrintable(loader.errorString()));
        auto *module = qobject_cast<ModuleInterface *>(root);
        QVERIFY(module);
        QVERIFY(root->qt_metacast(ModuleInterface_iid));   // what qobject_cast asks: the interface by its id
        QCOMPARE(module->moduleName(), QString("GUI Holoview"));
        QCOMPARE(module->moduleVersion(), QString("v1.0.1"));
        QCOMPARE(loader.instance(), root);

        // Through the plug-in, with a channel of this executable.
        FakeChannel channel;
        QWidget parent;
        module->setModuleProperty("CommandManager", QVariant::fromValue<IOManager *>(&channel));
        module->setModuleProperty("ModuleParent", QVariant::fromValue<QWidget *>(&parent));
        module->setModuleProperty("BackendVersions", QVariant::fromValue<BackendVersions *>(nullptr));
        module->setModuleProperty("ObserverMode", false);
        const QList<ModuleWidgetEntry *> entries = module->moduleWidgets();
        QCOMPARE(entries.size(), 1);
        QCOMPARE(module->moduleWidgets(), entries);
        QVERIFY(channel.commands().contains("quorix2 get roomcal coordinate_type"));
        QCOMPARE(channel.sendMessage("HoloviewModule", "RoomCalModule", 1, "roomcal_opened"), 0);
        auto *dock = qobject_cast<QDockWidget *>(entries.at(0)->widget);
        QVERIFY(dock);
        QVERIFY(dock->widget()->qt_metacast("Requester"));
        module->detachFromController();
        QCOMPARE(channel.sendMessage("HoloviewModule", "RoomCalModule", 1, "roomcal_opened"), -1);
        module->destroyWidgets();
        QVERIFY(parent.findChildren<QDockWidget *>().isEmpty());

        // The host deletes the module; the plug-in then hands out a new one.
        QPointer<QObject> old(root);
        delete root;
        QVERIFY(old.isNull());
        QObject *again = QPluginLoader(pluginPath()).instance();
        QVERIFY(again);
        QVERIFY(qobject_cast<ModuleInterface *>(again));
        delete again;
    }

private:
    std::unique_ptr<TestHome> m_home;
};

QTEST_MAIN(HoloviewModuleTest)
#include "tst_HoloviewModule.moc"
