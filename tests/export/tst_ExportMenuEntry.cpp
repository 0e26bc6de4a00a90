// The main window's menu entry that opens the system-information export.
#include "ControllerSimulator.h"
#include "MainWindow.h"
#include "ModalWatcher.h"
#include "TestHome.h"

#include <QAction>
#include <QMenu>
#include <QtTest>

class ExportMenuEntryTest : public QObject
{
    Q_OBJECT

private slots:
    void helpMenuOpensTheExportForTheConnectedController();
};

void ExportMenuEntryTest::helpMenuOpensTheExportForTheConnectedController()
{
    TestHome home;
    ControllerSimulator sim;
    const QString address = QStringLiteral("127.0.16.40");
    QVERIFY(sim.start(address));
    ModalWatcher watcher;
    MainWindow window(QStringLiteral("-host ") + address);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QAction *entry = nullptr;
    for (QAction *a : window.menuByTitle(QStringLiteral("&Help"))->actions())
        if (a->text() == QLatin1String("&Export system information..."))
            entry = a;
    QVERIFY(entry);
    QVERIFY(window.measurementInactiveActions().contains(entry));

    watcher.clear();
    sim.clearCommandLog();
    watcher.answer(QStringLiteral("Export System Information"), ModalWatcher::Answer::reject());
    entry->trigger();
    QVERIFY(watcher.waitForCount(1));
    QCOMPARE(watcher.seen().value(0).title, QStringLiteral("Export System Information"));
    // Filling the dialog asked the Controller for its host name, to find its logs.
    QVERIFY(sim.waitForCommand(QStringLiteral("quorix2 get system hostname")));
}

QTEST_MAIN(ExportMenuEntryTest)
#include "tst_ExportMenuEntry.moc"
