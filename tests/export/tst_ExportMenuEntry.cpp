// The system-information export, reached as the user reaches it: Help,
// "Service and Guides", Export.
#include "ControllerSimulator.h"
#include "MainWindow.h"
#include "StartupController.h"
#include "ModalWatcher.h"
#include "TestHome.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <memory>

class ExportMenuEntryTest : public QObject
{
    Q_OBJECT

private slots:
    void serviceDialogOpensTheExportForTheConnectedController();
};

void ExportMenuEntryTest::serviceDialogOpensTheExportForTheConnectedController()
{
    TestHome home;
    ControllerSimulator sim;
    const QString address = QStringLiteral("127.0.16.40");
    QVERIFY(sim.start(address));
    ModalWatcher watcher;
    const std::unique_ptr<MainWindow> opened = StartupController(QStringLiteral("-host ") + address).openWindow();
    QVERIFY(opened);
    MainWindow &window = *opened;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    watcher.clear();
    sim.clearCommandLog();
    watcher.answer(QStringLiteral("Service"), ModalWatcher::Answer::leaveOpen());
    watcher.answer(QStringLiteral("Export System Information"), ModalWatcher::Answer::reject());
    QAction *service = nullptr;
    for (QAction *a : window.menuByTitle(QStringLiteral("&Help"))->actions())
        if (a->text().remove('&').startsWith(QLatin1String("Service")))
            service = a;
    QVERIFY(service);
    QTimer::singleShot(500, [] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        dialog->findChild<QPushButton *>(QStringLiteral("pushButton_export"))->click();
        dialog->reject();
    });
    service->trigger();
    QVERIFY(watcher.waitForCount(2));
    QCOMPARE(watcher.seen().value(1).title, QStringLiteral("Export System Information"));
    // Filling the dialog asked the Controller for its host name, to find its logs.
    QVERIFY(sim.waitForCommand(QStringLiteral("quorix2 get system hostname")));
}

QTEST_MAIN(ExportMenuEntryTest)
#include "tst_ExportMenuEntry.moc"
