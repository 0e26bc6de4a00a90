#include "ControllerSimulator.h"
#include "IOManagerUdpTcp.h"
#include "MainWindow.h"
#include "StartupController.h"
#include "MessageReceiver.h"
#include "ModalWatcher.h"
#include "ModuleHost.h"
#include "ModuleRelay.h"
#include "Preferences.h"
#include "TestHome.h"

#include <QAction>
#include <QDockWidget>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QtTest>

#include <memory>

namespace {

const unsigned short Port = 50105;

QStringList calls()
{
    return qApp->property("moduleCalls").toStringList();
}

QStringList callsOf(const QString &what)
{
    QStringList found;
    for (const QString &call : calls())
        if (call.endsWith(QLatin1Char(':') + what))
            found << call.section(QLatin1Char(':'), 0, 0);
    return found;
}

// Records what the host sends to one module channel.
struct Listener : MessageReceiver
{
    QStringList texts;
    int receive(int type, const char *sender, const char *text) override
    {
        texts << QStringLiteral("%1|%2|%3").arg(type).arg(QString::fromLatin1(sender), QString::fromLatin1(text));
        return 0;
    }
};

QStringList menuBarTitles(QMainWindow &window)
{
    QStringList titles;
    for (QAction *action : window.menuBar()->actions())
        titles << action->text();
    return titles;
}

QStringList actionTexts(QMenu *menu)
{
    QStringList texts;
    for (QAction *action : menu->actions())
        if (!action->isSeparator())
            texts << action->text();
    return texts;
}

// A private home, a simulator at its own address and a window connected to it.
struct Session
{
    explicit Session(const char *address, bool showService = false)
    {
        if (showService) {
            Preferences prefs;
            prefs.showServiceMenu = true;
            prefs.write();
        }
        started = sim.start(address, Port);
        if (started)
            window = StartupController(QStringLiteral("-host %1").arg(QLatin1String(address))).openWindow();
    }
    TestHome home;
    ControllerSimulator sim;
    ModalWatcher boxes;
    bool started = false;
    std::unique_ptr<MainWindow> window;
};

} // namespace

class tst_ModuleHost : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void modulesArePlacedWhereTheyAsk();
    void serviceModuleNeedsThePreference();
    void unloadingRunsInOrder();
    void relaysReachTheirModules();
};

void tst_ModuleHost::init()
{
    qApp->setProperty("moduleCalls", QStringList());
}

void tst_ModuleHost::modulesArePlacedWhereTheyAsk()
{
    Session session("127.0.10.1");
    QVERIFY(session.started);
    auto &window = session.window;

    // The Holoview-like module gives the centre; its dock stays out of sight,
    // and the window's context menu offers to hide it and to float it.
    QVERIFY(window->centralWidget());
    QCOMPARE(window->centralWidget()->objectName(), QStringLiteral("TestCentre"));
    {
        std::unique_ptr<QMenu> popup(window->createPopupMenu());
        QStringList offered;
        for (QAction *action : popup->actions())
            if (action->isVisible() && !action->isSeparator())
                offered << action->text();
        QCOMPARE(offered.count(QStringLiteral("Centre")), 1);
        QVERIFY2(offered.contains(QStringLiteral("Centre in Own Window")), qPrintable(offered.join(',')));
        QVERIFY2(offered.contains(QStringLiteral("Alpha")), qPrintable(offered.join(',')));
    }
    const QStringList view = actionTexts(window->menuByTitle(QStringLiteral("&View")));
    QVERIFY2(view.indexOf("Centre in Own Window") == view.indexOf("Centre") + 1, qPrintable(view.join(',')));

    // Two modules share one menu; the first one's position (500) places it between View and Help.
    QMenu *extras = window->menuByTitle(QStringLiteral("&Extras"));
    QVERIFY(extras);
    const QStringList bar = menuBarTitles(*window);
    QVERIFY2(bar.indexOf("&Extras") > bar.indexOf("&View") && bar.indexOf("&Extras") < bar.indexOf("&Help"),
             qPrintable(bar.join(',')));
    // A negative position counts as 0: Beta stands before Alpha (150), both in the first section.
    QCOMPARE(actionTexts(extras), (QStringList{"Beta", "Alpha"}));
    QCOMPARE(extras->actions().first()->text(), QStringLiteral("Beta"));

    // The unnamed dock is named after menu and action, docked right and hidden.
    auto *dock = window->findChild<QDockWidget *>(QStringLiteral("&ExtrasAlpha"));
    QVERIFY(dock);
    QCOMPARE(window->dockWidgetArea(dock), Qt::RightDockWidgetArea);
    QVERIFY(dock->isHidden());
    QVERIFY(window->measurementInactiveActions().contains(dock->toggleViewAction()));
    QVERIFY(!window->measurementInactiveActions().contains(extras->actions().first()));

    // A tool bar is added, not a menu entry; this one is the inertial bar.
    QToolBar *inertial = window->inertialToolBar();
    QVERIFY(inertial);
    QCOMPARE(inertial->parent(), window.get());
    QCOMPARE(inertial->minimumHeight(), 25);
    QVERIFY(!window->menuByTitle(QStringLiteral("&Nowhere")));

    // Properties in their order and types.
    QStringList properties;
    for (const QString &call : calls())
        if (call.startsWith(QLatin1String("Test Dock:")) && call.contains(QLatin1Char('=')))
            properties << call.section(QLatin1Char(':'), 1);
    QCOMPARE(properties, (QStringList{"CommandManager=IOManager*", "ModuleParent=QWidget*",
                                      "BackendVersions=BackendVersions*", "ObserverMode=bool"}));

    // Modules without entries, the service module, other plug-ins and plain files are not listed.
    QCOMPARE(window->versionList(),
             QStringLiteral("v4.0.1  2026-02-02|Test Centre;v0.0.1|Test Dock;v0.0.1|Test Action;v0.0.1|"
                            "Test Toolbar;v0.0.1|Test Nulls;v0.0.1"));
    // The service module learns nothing of the host and is deleted at once.
    QCOMPARE(callsOf("delete").filter(QStringLiteral("GUI Service Test")), QStringList{"GUI Service Test"});
    QVERIFY(!calls().join(',').contains(QLatin1String("GUI Service Test:CommandManager")));
    QVERIFY(window->moduleHost()->isLoaded(QStringLiteral("Test Dock")));
    QVERIFY(!window->moduleHost()->isLoaded(QStringLiteral("Test Empty")));
}

void tst_ModuleHost::serviceModuleNeedsThePreference()
{
    Session session("127.0.10.2", true);
    QVERIFY(session.started);
    auto &window = session.window;
    QVERIFY(window->moduleHost()->isLoaded(QStringLiteral("GUI Service Test")));
    QMenu *service = window->menuByTitle(QStringLiteral("&Service"));
    QVERIFY(service);
    QCOMPARE(actionTexts(service), QStringList{"Service"});
}

void tst_ModuleHost::unloadingRunsInOrder()
{
    Session session("127.0.10.3");
    QVERIFY(session.started);
    auto &window = session.window;
    const QStringList listed{"Test Centre", "Test Dock", "Test Action", "Test Toolbar", "Test Nulls"};

    window->onReceiveAppReadyToShutdown();
    QCOMPARE(callsOf("detach"), listed);
    QVERIFY(callsOf("destroyWidgets").isEmpty());

    qApp->setProperty("moduleCalls", QStringList());
    window.reset();
    QStringList order;
    for (const QString &call : calls())
        order << call.section(QLatin1Char(':'), 1);
    QCOMPARE(order, (QStringList{"destroyWidgets", "destroyWidgets", "destroyWidgets", "destroyWidgets", "destroyWidgets",
                                 "delete", "delete", "delete", "delete", "delete", "delete"}));
    // The module that contributed nothing goes last: unlisted, but not left behind.
    QCOMPARE(callsOf("delete"), listed + QStringList{"Test Empty"});
}

void tst_ModuleHost::relaysReachTheirModules()
{
    Session session("127.0.10.4");
    QVERIFY(session.started);
    auto &window = session.window;
    IOManager *channel = window->commandChannel();
    ModuleRelay *relay = window->moduleRelay();

    const char *channels[] = {"RoomCalModule", "BodyCalModule", "BodyAdjustmentModule", "HybridBodyCalibration",
                              "BodyAdministrationModule"};
    Listener listeners[5];
    for (int i = 0; i < 5; ++i)
        channel->addMessageReceiver(channels[i], &listeners[i]);

    relay->onReceiveMonitor2dTabChanged(QStringLiteral("tab 2"));
    relay->onReceiveMonitor2dMostActiveChanged(QStringLiteral("c03"));
    relay->onReceiveOpenBodyCalDialog(QStringLiteral("b01"));
    relay->onReceiveOpenBodyAdjustmentDialog(QStringLiteral("b02"));
    relay->onReceiveOpenHybridBodyCalibrationDialog(QStringLiteral("b03"));
    relay->onReceiveCloseHybridBodyCalibrationDialog();
    relay->onReceiveCloseBodyCalDialog();
    relay->onReceiveCloseBodyAdjustmentDialog();
    relay->notify_body_admin();   // neither body module is loaded: nothing

    QCOMPARE(listeners[0].texts, (QStringList{"1|Quorix2|tab 2", "1|Quorix2|c03"}));
    QCOMPARE(listeners[1].texts, QStringList{"1|Quorix2|b01"});
    QCOMPARE(listeners[2].texts, QStringList{"1|Quorix2|b02"});
    QCOMPARE(listeners[3].texts, (QStringList{"1|Quorix2|b03", "1|Quorix2|close dialog"}));
    QCOMPARE(listeners[4].texts, (QStringList{"1|Quorix2|close dialog", "1|Quorix2|close dialog"}));

    for (int i = 0; i < 5; ++i)
        channel->removeMessageReceiver(channels[i], &listeners[i]);
}

QTEST_MAIN(tst_ModuleHost)
#include "tst_modulehost.moc"
