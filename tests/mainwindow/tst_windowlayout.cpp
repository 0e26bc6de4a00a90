// Window layout file and the fixed arrangement, on a plain main window.
#include "TestHome.h"
#include "WindowLayout.h"

#include <QDockWidget>
#include <QFile>
#include <QLabel>
#include <QMainWindow>
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

void verifyFixed(Window &win)
{
    QCOMPARE(win.w.size(), QSize(1200, 800));
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
    void unusableFileGivesFixedArrangement_data();
    void unusableFileGivesFixedArrangement();
    void fixedArrangementLeavesMaximised();
    void dockKeys_data();
    void dockKeys();
    void collidingKeysKeepEveryDock();
    void saveToUnwritablePath();

private:
    QScopedPointer<TestHome> m_home;
    QString m_file;
};

void tst_WindowLayout::roundTrip()
{
    {
        Window a;
        a.w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&a.w));
        a.w.addDockWidget(Qt::TopDockWidgetArea, a.dock("Calibration"));
        a.dock("GripwandDock")->hide();
        a.bars[1]->hide();
        a.w.resize(900, 650);
        QTest::qWait(50);
        QCOMPARE(a.layout().save(m_file), QString());

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
    QCOMPARE(b.w.size(), QSize(900, 650));
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
}

void tst_WindowLayout::unusableFileGivesFixedArrangement()
{
    QFETCH(QByteArray, content);
    if (content != "missing")
        write(m_file, content);
    Window win;
    win.bars[0]->hide();
    win.bars[2]->hide();
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

QTEST_MAIN(tst_WindowLayout)
#include "tst_windowlayout.moc"
