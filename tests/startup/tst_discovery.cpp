// The program opens the selection dialog, which finds the Controllers on
// every subnet, whatever search was remembered, and connects to the one the
// user picks. The Controllers are test hosts in namespaces of their own.
#include "IOManagerUdpTcp.h"
#include "MainWindow.h"
#include "StartupController.h"
#include "ModalWatcher.h"
#include "Preferences.h"
#include "TestHome.h"
#include "TestNetwork.h"
#include "TrackboxSelection.h"

#include <QApplication>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

#include <memory>

class tst_Discovery : public QObject
{
    Q_OBJECT

private slots:
    void firstSearchFindsEveryController_data();
    void firstSearchFindsEveryController();
};

void tst_Discovery::firstSearchFindsEveryController_data()
{
    QTest::addColumn<QString>("subnet");
    QTest::addColumn<int>("mode");
    QTest::newRow("nothing remembered") << QString() << 0;
    QTest::newRow("one subnet remembered") << "198.18.41.255" << 0;
    QTest::newRow("this computer remembered") << QString() << 2;
}

void tst_Discovery::firstSearchFindsEveryController()
{
    QFETCH(QString, subnet);
    QFETCH(int, mode);
    if (!TestNetwork::skipReason().isEmpty())
        QUORIX_SKIP_NETWORK(TestNetwork::skipReason());
    TestHome home;
    TestNetwork net;
    const QStringList names{"alpha", "beta"};
    for (int i = 0; i < 2; ++i) {
        const int host = net.addHost();
        QUORIX_REQUIRE_HOSTS(net, host >= 0
                                      && net.link(host, QStringLiteral("198.18.%1.1/24").arg(41 + i),
                                                  QStringLiteral("198.18.%1.2/24").arg(41 + i))
                                      && net.startSim(host, {"--hostname", names[i], "--serial", QString::number(500 + i)}));
    }

    if (!subnet.isEmpty() || mode != 0) {
        Preferences remembered;
        remembered.read();
        remembered.fixSubnet = subnet;
        remembered.selectionMode = mode;
        QVERIFY(remembered.write().isEmpty());
    }

    ModalWatcher watcher;
    watcher.answer("Connect Controller", ModalWatcher::Answer::leaveOpen());
    watcher.answer("Tracking-System Selection", ModalWatcher::Answer::leaveOpen());
    // Plays the user: once both Controllers are listed, pick beta and connect.
    QStringList listed;
    QTimer user;
    user.setInterval(50);
    connect(&user, &QTimer::timeout, [&] {
        auto *selection = qobject_cast<TrackboxSelection *>(QApplication::activeModalWidget());
        if (!selection)
            return;
        auto *table = selection->findChild<QTableWidget *>("tableWidget");
        if (table->rowCount() < 2 || !table->item(0, TrackboxSelection::ColName))
            return;
        listed.clear();
        for (int row = 0; row < table->rowCount(); ++row)
            listed << table->item(row, TrackboxSelection::ColName)->text();
        const int beta = listed.indexOf("beta");
        if (beta < 0)
            return;
        user.stop();
        table->setCurrentCell(beta, 0);
        selection->findChild<QPushButton *>("pushButton_connect")->click();
    });
    user.start();

    const std::unique_ptr<MainWindow> opened = StartupController("").openWindow();
    QVERIFY(opened);
    MainWindow &window = *opened;
    user.stop();
    QCOMPARE(listed, names);
    QVERIFY(window.commandChannel());
    QVERIFY(net.simCommands(1).contains("quorix2 init"));
    QVERIFY(!net.simCommands(0).contains("quorix2 init"));

    Preferences stored;
    stored.read();
    QCOMPARE(stored.lastHostName, QString("beta"));
    QCOMPARE(stored.lastIp, QString("198.18.42.2"));
    QCOMPARE(stored.lastSerial, QString("501"));
}

QUORIX_NETNS_TEST_MAIN(tst_Discovery)
#include "tst_discovery.moc"
