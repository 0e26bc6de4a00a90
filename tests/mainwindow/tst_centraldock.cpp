// A module's dock that is the window's middle while docked: floating and
// docking back by the menu and by the dock's own title, hiding, the window
// layout kept across sessions, and the other docks given their room back.
#include "CentralDock.h"
#include "MenuRegistry.h"
#include "WindowLayout.h"

#include <QAction>
#include <QDockWidget>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QScreen>
#include <QToolBar>
#include <QtTest>

#include <memory>

namespace {

// Every parent the content is given. Without one for a moment it would be a
// window of its own, which the platform creates (on X at no height: refused).
class ParentWatch : public QObject
{
public:
    explicit ParentWatch(QWidget *watched) { watched->installEventFilter(this); }
    bool everParentless() const { return m_parentless; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::ParentChange && !static_cast<QWidget *>(watched)->parentWidget())
            m_parentless = true;
        return false;
    }

private:
    bool m_parentless = false;
};

// A window as the host builds it: an event display below, the module's dock
// with its content and entry, and the window's context menu.
struct Window
{
    QMainWindow w;
    QDockWidget *events;
    QDockWidget *monitor;
    QLabel *content;
    MenuRegistry menus{&w};
    CentralDock *central;
    std::unique_ptr<ParentWatch> watch;

    Window()
    {
        QToolBar *bar = w.addToolBar(QStringLiteral("MainToolBar"));
        bar->setObjectName(QStringLiteral("MainToolBar"));
        events = new QDockWidget(QStringLiteral("Event Display"), &w);
        events->setObjectName(QStringLiteral("DisplayEvent"));
        events->setWidget(new QLabel(QStringLiteral("events")));
        w.addDockWidget(Qt::BottomDockWidgetArea, events);

        content = new QLabel(QStringLiteral("3D"));
        content->setObjectName(QStringLiteral("MonitorContent"));
        monitor = new QDockWidget(QStringLiteral("3D Monitor Display"), &w);
        monitor->setObjectName(QStringLiteral("Holoview3DMonitor"));
        monitor->setWidget(content);
        monitor->toggleViewAction()->setText(QStringLiteral("3D Monitor"));
        central = new CentralDock(&w, monitor);
        menus.setDockEntries(monitor, central->actions());
        watch = std::make_unique<ParentWatch>(content);

        w.resize(900, 700);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.resizeDocks({events}, {140}, Qt::Vertical);
        QCoreApplication::processEvents();
    }

    bool inMiddle() const
    {
        return w.centralWidget() == content && content->isVisible() && monitor->isHidden() && !monitor->isFloating();
    }
    bool floatingShown() const
    {
        return monitor->isFloating() && monitor->isVisible() && monitor->widget() == content && content->isVisible()
               && !w.centralWidget();
    }
    QStringList contextEntries()
    {
        std::unique_ptr<QMenu> menu(menus.createToggleMenu());
        QStringList entries;
        for (QAction *action : menu->actions())
            if (action->isVisible() && !action->isSeparator())
                entries << action->text();
        return entries;
    }
    QByteArray state() const { return w.saveState(0); }
};

// Lets the window lay out what changed.
void settleLayout()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
        QTest::qWait(20);
    }
}

} // namespace

class tst_CentralDock : public QObject
{
    Q_OBJECT

private slots:
    void docksIntoTheMiddleWithoutATitleBar();
    void floatsAndDocksBackByMenuAndTitle();
    void hidesAndShowsWhereverItIs();
    void floatsWithinTheScreen();
    void theNextSessionFindsItAsLeft_data();
    void theNextSessionFindsItAsLeft();
    void fixedArrangementBringsItBack();
    void outlivesItsDock();
};

void tst_CentralDock::docksIntoTheMiddleWithoutATitleBar()
{
    Window win;
    QVERIFY(win.inMiddle());
    QVERIFY(win.central->viewAction()->isChecked());
    QVERIFY(!win.central->floatAction()->isChecked());
    // The context menu offers the monitor's two entries, not the dock's own,
    // which would show a bare title bar above the middle.
    const QStringList entries = win.contextEntries();
    QCOMPARE(entries.count(QStringLiteral("3D Monitor")), 1);
    QVERIFY2(entries.contains(QStringLiteral("3D Monitor in Own Window")), qPrintable(entries.join(',')));
    QVERIFY(!win.monitor->toggleViewAction()->isVisible());
    // Floating, it docks back into the middle only.
    QCOMPARE(win.monitor->allowedAreas(), Qt::NoDockWidgetArea);
}

void tst_CentralDock::floatsAndDocksBackByMenuAndTitle()
{
    Window win;
    const int eventsHeight = win.events->height();
    for (int round = 0; round < 3; ++round) {
        win.central->floatAction()->trigger();
        settleLayout();
        QVERIFY(win.floatingShown());
        QVERIFY(win.central->floatAction()->isChecked());
        QVERIFY(win.central->viewAction()->isChecked());
        // The event display takes the empty middle meanwhile.
        QVERIFY2(win.events->height() > eventsHeight + 100, qPrintable(QString::number(win.events->height())));

        // Back by the menu, then by the float button on the dock's title.
        if (round % 2 == 0)
            win.central->floatAction()->trigger();
        else
            win.monitor->setFloating(false);
        settleLayout();
        QVERIFY(win.inMiddle());
        QVERIFY(!win.central->floatAction()->isChecked());
        QVERIFY2(qAbs(win.events->height() - eventsHeight) <= 8,
                 qPrintable(QStringLiteral("%1, was %2").arg(win.events->height()).arg(eventsHeight)));
    }
    QVERIFY(!win.watch->everParentless());
}

void tst_CentralDock::hidesAndShowsWhereverItIs()
{
    Window win;
    const int eventsHeight = win.events->height();
    win.central->viewAction()->trigger();
    settleLayout();
    QVERIFY(win.content->isHidden());
    QVERIFY(win.monitor->isHidden());
    QVERIFY(!win.central->viewAction()->isChecked());
    win.central->viewAction()->trigger();
    settleLayout();
    QVERIFY(win.inMiddle());
    QVERIFY(qAbs(win.events->height() - eventsHeight) <= 8);

    // Floating: closed by its title's button, shown again by the entry.
    win.central->floatAction()->trigger();
    win.monitor->close();
    QVERIFY(win.monitor->isHidden());
    QVERIFY(!win.central->viewAction()->isChecked());
    QVERIFY(win.central->floatAction()->isChecked());
    win.central->viewAction()->trigger();
    QVERIFY(win.floatingShown());

    // Docked back while hidden, it stays hidden; floated from hidden, it shows.
    win.monitor->hide();
    win.central->floatAction()->trigger();
    QVERIFY(!win.central->viewAction()->isChecked());
    QVERIFY(win.content->isHidden());
    QVERIFY(win.w.centralWidget() == win.content);
    win.central->floatAction()->trigger();
    QVERIFY(win.floatingShown());
}

void tst_CentralDock::floatsWithinTheScreen()
{
    // A window as large as the screen: the floating window, offset from the
    // middle it leaves, is held on the screen, whole.
    Window win;
    const QRect room = win.w.screen()->availableGeometry();
    win.w.setGeometry(room);
    settleLayout();
    win.central->floatAction()->trigger();
    QVERIFY(win.floatingShown());
    QVERIFY2(room.contains(win.monitor->geometry()),
             qPrintable(QStringLiteral("%1,%2 %3x%4").arg(win.monitor->x()).arg(win.monitor->y())
                            .arg(win.monitor->width()).arg(win.monitor->height())));
}

void tst_CentralDock::theNextSessionFindsItAsLeft_data()
{
    QTest::addColumn<QString>("left");
    QTest::newRow("in the middle") << "middle";
    QTest::newRow("hidden in the middle") << "hidden";
    QTest::newRow("floating") << "floating";
    QTest::newRow("floating, closed") << "closed";
}

void tst_CentralDock::theNextSessionFindsItAsLeft()
{
    QFETCH(QString, left);
    QByteArray state;
    QRect floatingAt;
    {
        Window first;
        if (left == QLatin1String("hidden"))
            first.central->viewAction()->trigger();
        if (left == QLatin1String("floating") || left == QLatin1String("closed")) {
            first.central->floatAction()->trigger();
            first.monitor->setGeometry(60, 50, 400, 300);
        }
        if (left == QLatin1String("closed"))
            first.monitor->close();
        settleLayout();
        floatingAt = first.monitor->geometry();
        state = first.state();
    }
    Window next;
    QVERIFY(next.w.restoreState(state, 0));
    next.central->settle();
    settleLayout();
    QCOMPARE(next.central->isShown(), left != QLatin1String("hidden") && left != QLatin1String("closed"));
    QCOMPARE(next.central->isFloating(), left == QLatin1String("floating") || left == QLatin1String("closed"));
    QCOMPARE(next.central->viewAction()->isChecked(), next.central->isShown());
    QCOMPARE(next.central->floatAction()->isChecked(), next.central->isFloating());
    if (left == QLatin1String("middle"))
        QVERIFY(next.inMiddle());
    if (left == QLatin1String("hidden")) {
        QVERIFY(next.content->isHidden());
        QVERIFY(next.monitor->isHidden());
    }
    if (left == QLatin1String("floating")) {
        QVERIFY(next.floatingShown());
        QCOMPARE(next.monitor->geometry(), floatingAt);
    }
    QVERIFY(!next.watch->everParentless());
    if (left == QLatin1String("closed")) {
        QVERIFY(next.monitor->isHidden());
        next.central->viewAction()->trigger();
        QVERIFY(next.floatingShown());
    }
    // Docked back in the next session the event display gets its share again,
    // with no size remembered from before the float.
    if (next.central->isFloating()) {
        next.monitor->setFloating(false);
        settleLayout();
        QVERIFY(next.w.centralWidget() == next.content);
        QVERIFY2(next.events->height() <= next.w.height() / 5 + 8, qPrintable(QString::number(next.events->height())));
    }
}

void tst_CentralDock::fixedArrangementBringsItBack()
{
    for (const bool floating : {true, false}) {
        Window win;
        if (floating)
            win.central->floatAction()->trigger();
        else
            win.central->viewAction()->trigger();
        WindowLayout(&win.w, {}).applyFixedArrangement();
        win.central->settle();
        settleLayout();
        QVERIFY2(win.inMiddle(), floating ? "was floating" : "was hidden");
        QVERIFY(win.central->viewAction()->isChecked());
        QVERIFY(!win.central->floatAction()->isChecked());
    }

    // A layout from before the monitor could float has no entry for its dock.
    QByteArray old;
    {
        QMainWindow plain;
        auto *events = new QDockWidget(QStringLiteral("Event Display"), &plain);
        events->setObjectName(QStringLiteral("DisplayEvent"));
        plain.addDockWidget(Qt::BottomDockWidgetArea, events);
        old = plain.saveState(0);
    }
    Window win;
    QVERIFY(win.w.restoreState(old, 0));
    win.central->settle();
    QVERIFY(win.inMiddle());
}

void tst_CentralDock::outlivesItsDock()
{
    Window win;
    win.central->floatAction()->trigger();
    // The module deletes its dock, and the content with it, at unloading.
    delete win.monitor;
    win.central->settle();
    QVERIFY(!win.central->isShown());
    QVERIFY(!win.central->isFloating());
    QVERIFY(!win.w.centralWidget());
}

QTEST_MAIN(tst_CentralDock)
#include "tst_centraldock.moc"
