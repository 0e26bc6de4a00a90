// Window layout file and the fixed arrangement, on a plain main window.
#include "FileSizeLimit.h"
#include "LayoutStateReader.h"
#include "TestHome.h"
#include "WindowLayout.h"

#include <QDataStream>
#include <QDockWidget>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QMainWindow>
#include <QRandomGenerator>
#include <QScreen>
#include <QToolBar>
#include <QtTest>

namespace {

struct Window
{
    QMainWindow w;
    QList<QToolBar *> bars;
    QList<QDockWidget *> docks;

    explicit Window(const QStringList &dockNames = {"DisplayEvent", "Monitor Data", "GripwandDock", "Calibration"})
    {
        w.setCentralWidget(new QLabel("centre"));
        for (const char *name : {"MainToolBar", "QuickStatusToolBar", "FrequencyStatusToolBar"}) {
            QToolBar *bar = w.addToolBar(name);
            bar->setObjectName(name);
            bars << bar;
        }
        for (const QString &name : dockNames)
            addDock(name);
        w.resize(700, 500);
    }
    QDockWidget *addDock(const QString &name)
    {
        auto *dock = new QDockWidget(name, &w);
        dock->setObjectName(name);
        dock->setWidget(new QLabel(name));
        w.addDockWidget(Qt::LeftDockWidgetArea, dock);
        docks << dock;
        return dock;
    }
    QDockWidget *dock(const QString &name) const { return w.findChild<QDockWidget *>(name); }
    WindowLayout layout() { return WindowLayout(&w, bars); }
};

void write(const QString &path, const QByteArray &content)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(content), qint64(content.size()));
}

// A geometry block as the toolkit writes it (format 3), with the given frame.
QByteArray geometryBlock(const QRect &frame, bool maximized = false)
{
    QByteArray block;
    QDataStream out(&block, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_4_0);
    out << quint32(0x1D9D0CB) << quint16(3) << quint16(0) << frame << frame << qint32(0) << quint8(maximized)
        << quint8(0) << qint32(800) << frame;
    return block;
}

QByteArray layoutFile(const QByteArray &geometry, const QByteArray &state)
{
    return QByteArray(1, char(geometry.size())) + geometry + state;
}

// The window's frame starts on a screen, so the user can reach it.
void verifyReachable(const QMainWindow &w)
{
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY2(available.contains(w.frameGeometry().topLeft()),
             qPrintable(QString("frame at %1,%2").arg(w.frameGeometry().x()).arg(w.frameGeometry().y())));
}

void verifyFixed(Window &win)
{
    QCOMPARE(win.w.size(), QSize(1200, 800));
    verifyReachable(win.w);
    for (QDockWidget *dock : win.docks)
        QVERIFY2(!dock->isFloating(), qPrintable(dock->objectName()));
    for (QToolBar *bar : win.bars)
        QVERIFY2(!bar->isHidden(), qPrintable(bar->objectName()));
    QCOMPARE(win.w.dockWidgetArea(win.dock("DisplayEvent")), Qt::BottomDockWidgetArea);
    QVERIFY(!win.dock("DisplayEvent")->isHidden());
    QCOMPARE(win.w.dockWidgetArea(win.dock("Monitor Data")), Qt::RightDockWidgetArea);
    QVERIFY(!win.dock("Monitor Data")->isHidden());
    QCOMPARE(win.w.dockWidgetArea(win.dock("GripwandDock")), Qt::RightDockWidgetArea);
    QVERIFY(win.dock("GripwandDock")->isHidden());
    QCOMPARE(win.w.dockWidgetArea(win.dock("Calibration")), Qt::RightDockWidgetArea);
    QVERIFY(win.dock("Calibration")->isHidden());
    QCOMPARE(win.w.centralWidget()->minimumWidth(), 300);
}

} // namespace

class tst_WindowLayout : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_home.reset(new TestHome); m_file = m_home->path() + "/quorix.layout"; }
    void cleanup() { m_home.reset(); }

    void roundTrip();
    void windowWiderThanItsScreenIsStoredFitted();
    void unusableFileGivesFixedArrangement_data();
    void unusableFileGivesFixedArrangement();
    void damagedStateKeepsEventDisplay();
    void stateReaderTakesWhatTheToolkitWrites();
    void hugeCountsRefusedBeforeTheToolkit_data();
    void hugeCountsRefusedBeforeTheToolkit();
    void fixedArrangementLeavesMaximised();
    void fixedArrangementComesBackOnScreen();
    void screenRules_data();
    void screenRules();
    void geometryBlocks();
    void dockKeys_data();
    void dockKeys();
    void collidingKeysKeepEveryDock();
    void saveToUnwritablePath();
    void fullDiskKeepsTheOldLayout();

private:
    QScopedPointer<TestHome> m_home;
    QString m_file;
};

// Without a window manager a dock shown beside the view widens the window
// past the screen; stored like that, the next start would drop every dock.
void tst_WindowLayout::windowWiderThanItsScreenIsStoredFitted()
{
    const QRect screen = WindowLayout::availableScreens().value(0);
    QVERIFY(screen.isValid());
    {
        Window a;
        a.w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&a.w));
        a.dock("GripwandDock")->hide();
        a.w.resize(screen.width() + 400, 450);
        QTest::qWait(50);
        QVERIFY(!WindowLayout::onScreens(a.w.frameGeometry(), WindowLayout::availableScreens()));
        QCOMPARE(a.layout().save(m_file), QString());
    }
    Window b;
    b.layout().load(m_file);
    QVERIFY(WindowLayout::onScreens(b.w.frameGeometry(), WindowLayout::availableScreens()));
    QVERIFY(b.dock("GripwandDock")->isHidden());   // the arrangement came back, not the fixed one
    QCOMPARE(b.w.height(), 450);
}

void tst_WindowLayout::roundTrip()
{
    {
        Window a;
        a.w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&a.w));
        a.w.addDockWidget(Qt::TopDockWidgetArea, a.dock("Calibration"));
        a.dock("GripwandDock")->hide();
        a.bars[1]->hide();
        a.w.resize(640, 450);
        QTest::qWait(50);
        QCOMPARE(a.layout().save(m_file), QString());
        QCOMPARE(int(QFileInfo(m_file).permissions() & 0x0777), 0x0600);   // for the user alone

        QFile f(m_file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray content = f.readAll();
        const int g = quint8(content.at(0));
        QCOMPARE(content.mid(1, g), a.w.saveGeometry());
        QCOMPARE(content.mid(1 + g), a.w.saveState(0));
    }
    Window b;
    b.layout().load(m_file);
    QVERIFY(b.w.isVisible());
    QCOMPARE(b.w.size(), QSize(640, 450));
    QCOMPARE(b.w.dockWidgetArea(b.dock("Calibration")), Qt::TopDockWidgetArea);
    QVERIFY(b.dock("GripwandDock")->isHidden());
    QVERIFY(!b.dock("DisplayEvent")->isHidden());
    QVERIFY(b.bars[1]->isHidden());
    QVERIFY(!b.bars[0]->isHidden());
}

void tst_WindowLayout::unusableFileGivesFixedArrangement_data()
{
    QTest::addColumn<QByteArray>("content"); // "missing" for no file
    QByteArray geometry;
    QByteArray state;
    {
        Window w;
        geometry = w.w.saveGeometry();
        state = w.w.saveState(0);
    }
    QVERIFY(geometry.size() < 256);
    const char g = char(geometry.size());
    QTest::newRow("missing") << QByteArray("missing");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("one byte") << QByteArray(1, g);
    QTest::newRow("truncated geometry") << QByteArray(1, g) + geometry.left(geometry.size() / 2);
    QTest::newRow("empty state") << QByteArray(1, g) + geometry;
    QTest::newRow("garbage geometry") << QByteArray(1, g) + QByteArray(geometry.size(), 'x') + state;
    QTest::newRow("garbage state") << QByteArray(1, g) + geometry + QByteArray(40, 'z');

    // Files that a toolkit restore would accept, each leaving the user
    // without part of the window.
    {
        Window w;
        w.w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.w));
        w.dock("DisplayEvent")->hide();
        QTest::newRow("event display hidden") << layoutFile(w.w.saveGeometry(), w.w.saveState(0));
    }
    QTest::newRow("window far away") << layoutFile(geometryBlock(QRect(32767, 32767, 700, 500)), state);
    QTest::newRow("window far to the left") << layoutFile(geometryBlock(QRect(-32767, 10, 700, 500)), state);
    QTest::newRow("window of 32767 px") << layoutFile(geometryBlock(QRect(0, 0, 32767, 32767)), state);
    QTest::newRow("maximised, 32767 px when normal")
        << layoutFile(geometryBlock(QRect(0, 0, 32767, 32767), true), state);
    QTest::newRow("geometry of another format") << layoutFile(geometry.left(4) + QByteArray(1, 9) + geometry.mid(5), state);

    // Cut or damaged anywhere: nothing half restored may stay.
    for (int cut : {1, 5, 17, state.size() / 2, state.size() - 1})
        QTest::newRow(qPrintable(QString("state cut to %1 bytes").arg(cut))) << layoutFile(geometry, state.left(cut));
    QRandomGenerator random(4711);
    for (int i = 0; i < 6; ++i) {
        QByteArray noise(1 + random.bounded(300), '\0');
        for (char &c : noise)
            c = char(random.bounded(256));
        QTest::newRow(qPrintable(QString("random bytes %1").arg(i))) << noise;
    }
}

void tst_WindowLayout::unusableFileGivesFixedArrangement()
{
    QFETCH(QByteArray, content);
    if (content != "missing")
        write(m_file, content);
    Window win;
    win.bars[0]->hide();
    win.bars[2]->hide();
    // Left floating from earlier in the session.
    win.dock("DisplayEvent")->setFloating(true);
    win.dock("Monitor Data")->setFloating(true);
    win.layout().load(m_file);
    verifyFixed(win);
}

// Damage that still reads as a state may give some arrangement, but never
// one without the event display or with a window out of reach.
void tst_WindowLayout::damagedStateKeepsEventDisplay()
{
    QByteArray geometry;
    QByteArray state;
    {
        Window w;
        w.w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.w));
        w.dock("DisplayEvent")->setFloating(true);
        geometry = w.w.saveGeometry();
        state = w.w.saveState(0);
    }
    // Damage to a count makes the toolkit's own reader loop for a long time;
    // these rounds leave the counts alone.
    QRandomGenerator random(815);
    for (int i = 0; i < 18; ++i) {
        QByteArray damaged = state;
        for (int k = 0; k < 3; ++k)
            damaged[random.bounded(damaged.size())] = char(random.bounded(256));
        write(m_file, layoutFile(geometry, damaged));
        Window win;
        win.layout().load(m_file);
        const QString row = QString("damage %1").arg(i);
        QVERIFY2(!win.dock("DisplayEvent")->isHidden(), qPrintable(row));
        verifyReachable(win.w);
        for (QDockWidget *dock : win.docks)
            if (dock->isFloating() && !dock->isHidden())
                QVERIFY2(WindowLayout::onScreens(dock->frameGeometry(), WindowLayout::availableScreens()),
                         qPrintable(row + " " + dock->objectName()));
    }
}

// Every arrangement a user can make must read back; any cut of it must not.
void tst_WindowLayout::stateReaderTakesWhatTheToolkitWrites()
{
    QList<QByteArray> states;
    {
        Window w;
        w.w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.w));
        states << w.w.saveState(0);
        // Tabs, a split inside an area, docks on every side.
        w.w.tabifyDockWidget(w.dock("Monitor Data"), w.dock("Calibration"));
        w.w.splitDockWidget(w.dock("DisplayEvent"), w.dock("GripwandDock"), Qt::Horizontal);
        w.w.addDockWidget(Qt::TopDockWidgetArea, w.addDock("displaytab 01"));
        w.w.addDockWidget(Qt::RightDockWidgetArea, w.addDock("Right"));
        w.w.addDockWidget(Qt::BottomDockWidgetArea, w.addDock("Bottom"));
        w.w.splitDockWidget(w.dock("Bottom"), w.addDock("Under"), Qt::Vertical);
        states << w.w.saveState(0);
        // Tool bars on other sides, in a second line, hidden, floating; a floating dock.
        w.w.addToolBar(Qt::LeftToolBarArea, w.bars[1]);
        w.w.addToolBarBreak(Qt::TopToolBarArea);
        QToolBar *extra = w.w.addToolBar("Extra");
        extra->setObjectName("Extra");
        w.bars[2]->hide();
        w.dock("Right")->setFloating(true);
        w.dock("Under")->hide();
        states << w.w.saveState(0) << w.w.saveState(7);
    }
    {
        QMainWindow bare;   // no docks, no tool bars
        states << bare.saveState(0);
    }
    for (int i = 0; i < states.size(); ++i) {
        const QByteArray &state = states[i];
        const int version = i == 3 ? 7 : 0;
        QVERIFY2(LayoutStateReader::wellFormed(state, version), qPrintable(QString("state %1").arg(i)));
        QVERIFY(!LayoutStateReader::wellFormed(state, version + 1));
        for (int cut = 0; cut < state.size(); ++cut)
            QVERIFY2(!LayoutStateReader::wellFormed(state.left(cut), version),
                     qPrintable(QString("state %1 cut to %2").arg(i).arg(cut)));
        QVERIFY(!LayoutStateReader::wellFormed(state + QByteArray(1, '\0'), version));
    }
}

void tst_WindowLayout::hugeCountsRefusedBeforeTheToolkit_data()
{
    QTest::addColumn<int>("fromName");   // where the count stands, counted back from the first tool bar's name
    QTest::addColumn<qint32>("count");
    QTest::newRow("tool-bar lines") << 16 << qint32(0x7fffffff);
    QTest::newRow("tool-bar items") << 8 << qint32(0x7fffffff);
    QTest::newRow("tool-bar items, negative") << 8 << qint32(-1);
    QTest::newRow("dock areas") << -1 << qint32(0x7fffffff);
    QTest::newRow("docks in an area") << -2 << qint32(0x7fffffff);
}

// The toolkit's reader loops as often as a count says: minutes for these.
void tst_WindowLayout::hugeCountsRefusedBeforeTheToolkit()
{
    QFETCH(int, fromName);
    QFETCH(qint32, count);
    QByteArray geometry;
    QByteArray state;
    {
        Window w;
        geometry = w.w.saveGeometry();
        state = w.w.saveState(0);
    }
    int at = 0;
    if (fromName > 0) {
        const QString name("MainToolBar");
        const QByteArray utf16 =
            QByteArray(reinterpret_cast<const char *>(name.utf16()), name.size() * 2);
        QByteArray bigEndian;
        for (int i = 0; i < utf16.size(); i += 2)
            bigEndian.append(utf16[i + 1]).append(utf16[i]);
        at = state.indexOf(bigEndian) - fromName;
    } else if (fromName == -1) {
        at = 9;   // version marker and version, dock marker
    } else {
        at = 9 + 4 + 4 + 8 + 2;   // area count, area, its size, sequence marker, orientation
    }
    QVERIFY(at > 0);
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << count;
    state.replace(at, 4, bytes);
    QVERIFY(!LayoutStateReader::wellFormed(state));

    write(m_file, layoutFile(geometry, state));
    Window win;
    win.layout().load(m_file);
    verifyFixed(win);
}

void tst_WindowLayout::fixedArrangementLeavesMaximised()
{
    Window win;
    win.w.showMaximized();
    QTest::qWait(50);
    win.layout().applyFixedArrangement();
    QVERIFY(!(win.w.windowState() & Qt::WindowMaximized));
    QCOMPARE(win.w.size(), QSize(1200, 800));
}

void tst_WindowLayout::fixedArrangementComesBackOnScreen()
{
    Window win;
    win.w.move(32767, 32767);
    win.layout().applyFixedArrangement();
    QCOMPARE(win.w.size(), QSize(1200, 800));
    verifyReachable(win.w);

    // A window that is on a screen stays where it is.
    win.w.move(20, 30);
    win.w.resize(300, 200);
    win.layout().applyFixedArrangement();
    QCOMPARE(win.w.frameGeometry().topLeft(), QPoint(0, 0));   // 1200 px do not fit right of 20

    Window small;
    small.w.move(40, 50);
    QVERIFY(WindowLayout::onScreens(QRect(40, 50, 700, 500), WindowLayout::availableScreens()));
}

void tst_WindowLayout::screenRules_data()
{
    QTest::addColumn<QRect>("frame");
    QTest::addColumn<bool>("reachable");
    // Two screens side by side, the second one smaller.
    QTest::newRow("inside the first") << QRect(100, 100, 800, 600) << true;
    QTest::newRow("across both") << QRect(1500, 100, 1200, 600) << true;
    QTest::newRow("frame border beyond the edge") << QRect(-8, -30, 1936, 1110) << true;
    QTest::newRow("far away") << QRect(32767, 32767, 800, 600) << false;
    QTest::newRow("far to the left") << QRect(-32767, 100, 800, 600) << false;
    QTest::newRow("huge") << QRect(0, 0, 32767, 32767) << false;
    QTest::newRow("below the desktop") << QRect(100, 1000, 800, 600) << false;
    QTest::newRow("start below the smaller screen") << QRect(2000, 1050, 100, 20) << false;
    QTest::newRow("empty") << QRect() << false;
    // The slack is for frame borders, not for a small frame that lies wholly in it.
    QTest::newRow("small frame just below the screen") << QRect(322, 1090, 322, 43) << false;
    QTest::newRow("small frame just left of the screen") << QRect(-60, 500, 50, 50) << false;
    QTest::newRow("partly into the border") << QRect(100, 1060, 300, 50) << true;
}

void tst_WindowLayout::screenRules()
{
    QFETCH(QRect, frame);
    QFETCH(bool, reachable);
    const QList<QRect> screens{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 960)};
    QCOMPARE(WindowLayout::onScreens(frame, screens), reachable);
    QVERIFY(!WindowLayout::onScreens(QRect(0, 0, 10, 10), {}));
}

void tst_WindowLayout::geometryBlocks()
{
    Window w;
    w.w.move(30, 40);
    w.w.resize(500, 400);
    QRect frame;
    QVERIFY(WindowLayout::geometryFrame(w.w.saveGeometry(), &frame));
    QCOMPARE(frame.size(), QSize(500, 400));

    // A maximised window is judged by the size it returns to.
    QVERIFY(WindowLayout::geometryFrame(geometryBlock(QRect(5, 6, 70, 80), true), &frame));
    QCOMPARE(frame, QRect(5, 6, 70, 80));

    const QByteArray good = geometryBlock(QRect(5, 6, 70, 80));
    QVERIFY(!WindowLayout::geometryFrame(QByteArray(), &frame));
    QVERIFY(!WindowLayout::geometryFrame(good.left(good.size() / 2), &frame));
    QVERIFY(!WindowLayout::geometryFrame(QByteArray(good.size(), 'x'), &frame));
    QVERIFY(!WindowLayout::geometryFrame(geometryBlock(QRect(5, 6, 0, 80)), &frame));
}

void tst_WindowLayout::dockKeys_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("keys");
    QTest::newRow("special names")
        << QStringList{"Monitor2d DisplayTab 01", "Data", "gripwand", "DisplayEvent"}
        << QStringList{"01", "02", "03", "04"};
    QTest::newRow("others count up")
        << QStringList{"Calibration", "DisplayEvent", "Service", "monitor data", "Inertial"}
        << QStringList{"04", "05", "05", "02", "06"};
    QTest::newRow("order of the tests") << QStringList{"displaytab 01 data", "data gripwand event", "gripwand event"}
                                        << QStringList{"01", "02", "03"};
    QTest::newRow("ten docks") << QStringList{"a", "b", "c", "d", "e", "f", "g", "h", "i", "DisplayEvent"}
                               << QStringList{"04", "05", "06", "07", "08", "09", "10", "11", "12", "10"};
}

void tst_WindowLayout::dockKeys()
{
    QFETCH(QStringList, names);
    QFETCH(QStringList, keys);
    int others = 0;
    QStringList got;
    for (const QString &name : names)
        got << WindowLayout::dockKey(name, names.size(), &others);
    QCOMPARE(got, keys);
}

// Equal keys must not cost a dock its place in the window.
void tst_WindowLayout::collidingKeysKeepEveryDock()
{
    Window win({"data", "Data", "Calibration", "DisplayEvent", "Service"});
    // Five docks: the event key "05" equals the second other dock's.
    win.layout().applyFixedArrangement();
    for (QDockWidget *dock : win.docks)
        QVERIFY2(win.w.dockWidgetArea(dock) != Qt::NoDockWidgetArea, qPrintable(dock->objectName()));
    QVERIFY(!win.dock("data")->isHidden());
    QVERIFY(!win.dock("Data")->isHidden());
    QVERIFY(!win.dock("DisplayEvent")->isHidden());
    QCOMPARE(win.w.dockWidgetArea(win.dock("DisplayEvent")), Qt::BottomDockWidgetArea);
    QVERIFY(win.dock("Service")->isHidden());
    QCOMPARE(win.w.dockWidgetArea(win.dock("Service")), Qt::RightDockWidgetArea);
}

void tst_WindowLayout::saveToUnwritablePath()
{
    Window win;
    const QString path = m_home->path() + "/no such dir/quorix.layout";
    const QString error = win.layout().save(path);
    QVERIFY2(error.startsWith("Unsuccessful to open " + path + "\n"), qPrintable(error));
    QVERIFY(error.size() > QString("Unsuccessful to open " + path + "\n").size());
    QVERIFY(!QFile::exists(path));

    // A file that exists is replaced, not appended to.
    write(m_file, QByteArray(5000, 'q'));
    QCOMPARE(win.layout().save(m_file), QString());
    QVERIFY(QFileInfo(m_file).size() < 5000);
}

void tst_WindowLayout::fullDiskKeepsTheOldLayout()
{
    Window win;
    QCOMPARE(win.layout().save(m_file), QString());
    QFile before(m_file);
    QVERIFY(before.open(QIODevice::ReadOnly));
    const QByteArray old = before.readAll();
    before.close();

    win.w.resize(900, 650);
    QString error;
    {
        FileSizeLimit full(old.size() / 2);
        error = win.layout().save(m_file);
    }
    QVERIFY2(error.startsWith("Error writing to " + m_file + "\n"), qPrintable(error));
    QFile after(m_file);
    QVERIFY(after.open(QIODevice::ReadOnly));
    QCOMPARE(after.readAll(), old);
}

QTEST_MAIN(tst_WindowLayout)
#include "tst_windowlayout.moc"
