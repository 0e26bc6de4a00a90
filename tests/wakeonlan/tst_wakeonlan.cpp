#include "ControllerSimulator.h"
#include "EndlessProgressDlg.h"
#include "IpDialog.h"
#include "ModalWatcher.h"
#include "TestHome.h"
#include "TestNetwork.h"
#include "WakeOnLan.h"

#include <QApplication>
#include <QHostAddress>
#include <QLabel>
#include <QNetworkInterface>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QUdpSocket>
#include <QtTest>

using Entry = WakeOnLan::InterfaceEntry;
using Flags = QNetworkInterface::InterfaceFlags;

Q_DECLARE_METATYPE(QVector<WakeOnLan::InterfaceEntry>)

namespace {

unsigned ip(const char *dotted)
{
    return QHostAddress(QString::fromLatin1(dotted)).toIPv4Address();
}

Entry entry(Flags flags, const char *address, const char *netmask, const char *broadcast)
{
    Entry e;
    e.flags = flags;
    e.address = ip(address);
    e.netmask = ip(netmask);
    e.broadcast = broadcast ? ip(broadcast) : 0;
    return e;
}

const Flags Ethernet = QNetworkInterface::IsUp | QNetworkInterface::IsRunning
    | QNetworkInterface::CanBroadcast | QNetworkInterface::CanMulticast;
const Flags LinuxLoopback = QNetworkInterface::IsUp | QNetworkInterface::IsRunning | QNetworkInterface::IsLoopBack;
const Flags LoopbackAlone = QNetworkInterface::IsLoopBack;

// Empty when this process may really send: it runs in a network namespace
// that holds loopback interfaces only. Otherwise the reason not to.
QString whyNotSend()
{
    if (!qEnvironmentVariable("QUORIX_NO_NETNS").isEmpty())
        return QStringLiteral("QUORIX_NO_NETNS is set: no private network namespace, nothing is sent");
    const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &i : interfaces)
        if (!i.flags().testFlag(QNetworkInterface::IsLoopBack))
            return QStringLiteral("interface %1 is not loopback: not inside a private network namespace, "
                                  "nothing is sent (run under unshare --net)").arg(i.name());
    return QString();
}

bool runIp(const QStringList &arguments)
{
    QProcess ip;
    ip.start(QStringLiteral("ip"), arguments);
    return ip.waitForFinished(5000) && ip.exitStatus() == QProcess::NormalExit && ip.exitCode() == 0;
}

QTimer *retryTimer(EndlessProgressDlg &dialog)
{
    return dialog.findChild<QTimer *>();
}

}

class TestWakeOnLan : public QObject
{
    Q_OBJECT

private slots:
    void magicPacketRepeatsMac()
    {
        QByteArray mac;
        QVERIFY(WakeOnLan::parseMac("00:1a:2B:3c:4D:fe", &mac));
        QCOMPARE(mac, QByteArray::fromHex("001a2b3c4dfe"));
        const QByteArray packet = WakeOnLan::magicPacket(mac);
        QCOMPARE(packet.size(), WakeOnLan::PacketSize);
        QCOMPARE(packet.left(6), QByteArray(6, char(0xFF)));
        for (int i = 0; i < 16; ++i)
            QCOMPARE(packet.mid(6 + 6 * i, 6), mac);
    }

    void parseMac_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");      // empty: rejected
        QTest::newRow("doubled colon") << "00::1a:2b:3c:4d:5e" << QByteArray::fromHex("001a2b3c4d5e");
        QTest::newRow("short groups") << "0:1:2:a:b:f" << QByteArray::fromHex("000102 0a0b0f");
        QTest::newRow("trailing colon") << "00:1a:2b:3c:4d:5e:" << QByteArray::fromHex("001a2b3c4d5e");
        QTest::newRow("dashes") << "00-1a-2b-3c-4d-5e" << QByteArray();
        QTest::newRow("five groups") << "00:1a:2b:3c:4d" << QByteArray();
        QTest::newRow("seven groups") << "00:1a:2b:3c:4d:5e:6f" << QByteArray();
        QTest::newRow("not hex") << "00:1a:2b:3c:4d:zz" << QByteArray();
        QTest::newRow("three digits") << "00:1a:2b:3c:4d:15e" << QByteArray();
        QTest::newRow("hex prefix") << "00:1a:2b:3c:4d:0x5" << QByteArray();
        QTest::newRow("blank inside") << "00:1a:2b:3c:4d: 5e" << QByteArray();
        QTest::newRow("empty") << "" << QByteArray();
    }
    void parseMac()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QByteArray mac("untouched");
        QCOMPARE(WakeOnLan::parseMac(text, &mac), !bytes.isEmpty());
        QCOMPARE(mac, bytes.isEmpty() ? QByteArray("untouched") : bytes);
    }

    void chooseDestination_data()
    {
        QTest::addColumn<QVector<Entry>>("entries");
        QTest::addColumn<unsigned>("controller");
        QTest::addColumn<unsigned>("destination");
        const QVector<Entry> two = {entry(Ethernet, "192.168.1.10", "255.255.255.0", "192.168.1.255"),
                                    entry(Ethernet, "10.200.0.1", "255.255.0.0", "10.200.255.255")};
        QTest::newRow("second subnet") << two << ip("10.200.3.4") << ip("10.200.255.255");
        QTest::newRow("first subnet") << two << ip("192.168.1.77") << ip("192.168.1.255");
        QTest::newRow("no subnet matches") << two << ip("172.16.0.5") << WakeOnLan::LimitedBroadcast;
        QTest::newRow("address unknown")
            << QVector<Entry>{entry(Ethernet, "0.0.0.1", "0.0.0.0", "255.255.255.255")} << 0u
            << WakeOnLan::LimitedBroadcast;
        QTest::newRow("entry without broadcast")
            << QVector<Entry>{entry(Ethernet, "10.200.0.1", "255.255.0.0", nullptr)} << ip("10.200.3.4")
            << WakeOnLan::LimitedBroadcast;
        // Windows gives its loopback a broadcast address; it is still never used.
        QTest::newRow("loopback only")
            << QVector<Entry>{entry(LoopbackAlone, "127.0.0.1", "255.0.0.0", "127.255.255.255")}
            << ip("127.0.5.1") << WakeOnLan::LimitedBroadcast;
        QTest::newRow("linux loopback")
            << QVector<Entry>{entry(LinuxLoopback, "127.0.0.1", "255.0.0.0", "127.255.255.255")}
            << ip("127.0.5.1") << WakeOnLan::LimitedBroadcast;
        QTest::newRow("loopback skipped, next matches")
            << QVector<Entry>{entry(LinuxLoopback, "127.0.0.1", "255.0.0.0", "127.255.255.255"),
                              entry(Ethernet, "127.0.5.2", "255.255.255.0", "127.0.5.255")}
            << ip("127.0.5.1") << ip("127.0.5.255");
    }
    void chooseDestination()
    {
        QFETCH(QVector<Entry>, entries);
        QFETCH(unsigned, controller);
        QFETCH(unsigned, destination);
        QCOMPARE(WakeOnLan::chooseDestination(controller, entries), destination);
    }

    // Linux reports lo as up, running and loopback, and Qt may give it a
    // broadcast address; it must still never be chosen.
    void linuxLoopbackIsNeverChosen()
    {
        const QVector<Entry> entries = WakeOnLan::systemInterfaceEntries();
        const auto lo = std::find_if(entries.begin(), entries.end(),
                                     [](const Entry &e) { return e.address == ip("127.0.0.1"); });
        if (lo == entries.end())
            QSKIP("no 127.0.0.1 entry on this machine (lo down?)");
        QVERIFY(WakeOnLan::isLoopbackOnly(lo->flags));
        QCOMPARE(WakeOnLan::chooseDestination(ip("127.0.5.1"), {*lo}), WakeOnLan::LimitedBroadcast);
    }

    void packetArrivesOnLoopback()
    {
        const QString reason = whyNotSend();
        if (!reason.isEmpty())
            QUORIX_SKIP_NETWORK(reason);
        QUdpSocket listener;
        QVERIFY(listener.bind(QHostAddress("127.0.5.200"), 50105));
        QByteArray mac;
        QVERIFY(WakeOnLan::parseMac("02:00:5e:10:00:01", &mac));
        QVERIFY(WakeOnLan::sendPacket(WakeOnLan::magicPacket(mac), ip("127.0.5.200"), {50105}));
        QTRY_VERIFY(listener.hasPendingDatagrams());
        QByteArray got(int(listener.pendingDatagramSize()), '\0');
        listener.readDatagram(got.data(), got.size());
        QCOMPARE(got, WakeOnLan::magicPacket(mac));
    }

    // The whole wake-up on a subnet of its own: a veth pair made inside the
    // private namespace (it vanishes with it), listened to on ports 7 and 9.
    void wakeBroadcastsOnControllersSubnet()
    {
        const QString reason = whyNotSend();
        if (!reason.isEmpty())
            QUORIX_SKIP_NETWORK(reason);
        if (!runIp({"link", "add", "pwv0", "type", "veth", "peer", "name", "pwv1"}))
            QUORIX_SKIP_NETWORK(QStringLiteral("cannot create a veth pair here (needs root of the namespace and iproute2)"));
        struct Cleanup { ~Cleanup() { runIp({"link", "del", "pwv0"}); } } cleanup;
        QVERIFY(runIp({"addr", "add", "10.200.5.1/24", "brd", "+", "dev", "pwv0"}));
        QVERIFY(runIp({"link", "set", "pwv0", "up"}));
        QVERIFY(runIp({"link", "set", "pwv1", "up"}));

        const QVector<Entry> entries = WakeOnLan::systemInterfaceEntries();
        QCOMPARE(WakeOnLan::chooseDestination(ip("10.200.5.77"), entries), ip("10.200.5.255"));

        QUdpSocket port7, port9;
        QVERIFY(port7.bind(QHostAddress::AnyIPv4, 7));
        QVERIFY(port9.bind(QHostAddress::AnyIPv4, 9));
        QVERIFY(WakeOnLan::wake("02:00:5e:10:00:01", ip("10.200.5.77")));
        QByteArray mac;
        QVERIFY(WakeOnLan::parseMac("02:00:5e:10:00:01", &mac));
        for (QUdpSocket *s : {&port7, &port9}) {
            QTRY_VERIFY(s->hasPendingDatagrams());
            QByteArray got(int(s->pendingDatagramSize()), '\0');
            s->readDatagram(got.data(), got.size());
            QCOMPARE(got, WakeOnLan::magicPacket(mac));
        }
    }

    // --- the waiting dialog ---------------------------------------------------

    void nineAttemptsThenClosesWithOne()
    {
        EndlessProgressDlg dialog("box1", "box1", ip("127.0.5.1"), "02:00:5e:10:00:01");
        QTimer *timer = retryTimer(dialog);
        QVERIFY(timer);
        QCOMPARE(timer->interval(), 15000);
        dialog.show();
        timer->start();

        QVector<bool> activeDuringAttempt;
        connect(&dialog, &EndlessProgressDlg::try_to_connect, this,
                [&] { activeDuringAttempt << timer->isActive(); });
        for (int i = 0; i < 9; ++i)
            dialog.onTimer();
        QCOMPARE(activeDuringAttempt, QVector<bool>(9, false));
        QVERIFY(dialog.isVisible());
        QVERIFY(timer->isActive());

        dialog.onTimer();
        QCOMPARE(activeDuringAttempt.size(), 9);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), 1);
        QVERIFY(!timer->isActive());
    }

    void connectedAttemptEndsWaiting()
    {
        EndlessProgressDlg dialog("box1", "box1", ip("127.0.5.1"), "02:00:5e:10:00:01");
        QTimer *timer = retryTimer(dialog);
        dialog.show();
        timer->start();
        int attempts = 0;
        connect(&dialog, &EndlessProgressDlg::try_to_connect, &dialog, [&] {
            if (++attempts == 3)
                dialog.set_wake_successful();
        });
        for (int i = 0; i < 3; ++i)
            dialog.onTimer();
        QCOMPARE(dialog.result(), 1);
        QVERIFY(!dialog.isVisible());
        QVERIFY(!timer->isActive());
    }

    void cancelStopsAttempts_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("button") << false;
        QTest::newRow("escape key") << true;
    }
    void cancelStopsAttempts()
    {
        QFETCH(bool, escape);
        EndlessProgressDlg dialog("box1", "box1", ip("127.0.5.1"), "02:00:5e:10:00:01");
        QTimer *timer = retryTimer(dialog);
        dialog.show();
        timer->start();
        QSignalSpy attempts(&dialog, &EndlessProgressDlg::try_to_connect);
        dialog.onTimer();
        if (escape)
            QTest::keyClick(&dialog, Qt::Key_Escape);
        else
            QTest::mouseClick(dialog.findChild<QPushButton *>("pushButton_cancel"), Qt::LeftButton);
        QCOMPARE(dialog.result(), 0);
        QVERIFY(!dialog.isVisible());
        QVERIFY(!timer->isActive());
        QCOMPARE(attempts.count(), 1);
    }

    void malformedMacWarnsWithoutWaiting()
    {
        ModalWatcher watcher;
        EndlessProgressDlg dialog("box1", "box1", ip("127.0.5.1"), "02-00-5e-10-00-01", nullptr, true);
        QCOMPARE(dialog.update_and_exec(), 0);
        QCOMPARE(watcher.seen().size(), 1);
        QCOMPARE(watcher.seen()[0].title, QString("Wake On LAN"));
        QCOMPARE(watcher.seen()[0].text, QString("Cannot do wake on LAN for box1 (127.0.5.1)."));
        QVERIFY(!retryTimer(dialog)->isActive());
        QCOMPARE(dialog.findChild<QLabel *>("label_canTakeTowMinutes")->text(),
                 QString("waking up can take 2-5 minutes"));
    }

    // The texts say which Controller is woken: host name, and address where known.
    void textsNameTheController_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("addressText");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("name");
        QTest::newRow("name and address") << "box1" << "box1" << "127.0.5.1" << "box1 (127.0.5.1)";
        QTest::newRow("address only as text") << "box1" << "127.0.5.7" << "" << "box1 (127.0.5.7)";
        QTest::newRow("no address") << "box1" << "box1" << "" << "box1";
        QTest::newRow("no host name") << "" << "" << "127.0.5.2" << "127.0.5.2";
        QTest::newRow("no host name, address text") << "" << "127.0.5.3" << "" << "127.0.5.3";
        QTest::newRow("host name is the address") << "127.0.5.4" << "127.0.5.4" << "127.0.5.4" << "127.0.5.4";
        QTest::newRow("nothing known") << "" << "" << "" << "the Controller";
    }
    void textsNameTheController()
    {
        QFETCH(QString, host);
        QFETCH(QString, addressText);
        QFETCH(QString, address);
        QFETCH(QString, name);
        const unsigned controllerIp = address.isEmpty() ? 0 : ip(address.toLatin1().constData());
        ModalWatcher watcher;
        EndlessProgressDlg dialog(host, addressText, controllerIp, "not a MAC");
        QCOMPARE(dialog.findChild<QLabel *>("label_desc")->text(), "wake on LAN: " + name);
        QCOMPARE(dialog.update_and_exec(), 0);
        QCOMPARE(watcher.seen().size(), 1);
        QCOMPARE(watcher.seen()[0].text, "Cannot do wake on LAN for " + name + ".");
    }

    void longHostNameIsCut()
    {
        const QString host(200, QChar('w'));
        EndlessProgressDlg dialog(host, host, 0, "02:00:5e:10:00:01");
        auto *label = dialog.findChild<QLabel *>("label_desc");
        QVERIFY(label->text().startsWith("wake on LAN: www"));
        QVERIFY(label->text().endsWith("w..."));
        QVERIFY(label->fontMetrics().horizontalAdvance(label->text()) <= label->width());

        EndlessProgressDlg shortName("box1", "box1", 0, "02:00:5e:10:00:01");
        QCOMPARE(shortName.findChild<QLabel *>("label_desc")->text(), QString("wake on LAN: box1"));

        // The host name gives way; the address stays readable.
        EndlessProgressDlg withAddress(host, host, ip("127.0.5.1"), "02:00:5e:10:00:01");
        auto *cut = withAddress.findChild<QLabel *>("label_desc");
        QVERIFY2(cut->text().startsWith("wake on LAN: www"), qPrintable(cut->text()));
        QVERIFY2(cut->text().endsWith("w... (127.0.5.1)"), qPrintable(cut->text()));
        QVERIFY(cut->fontMetrics().horizontalAdvance(cut->text()) <= cut->width());
    }

    // The real path: packet out, then the modal wait, here cancelled at once.
    void sendsThenWaitsUntilCancelled()
    {
        const QString reason = whyNotSend();
        if (!reason.isEmpty())
            QUORIX_SKIP_NETWORK(reason);
        ModalWatcher watcher;
        watcher.answer("QUORIX4", ModalWatcher::Answer::press("Cancel"));
        EndlessProgressDlg dialog("box1", "box1", ip("127.0.5.1"), "02:00:5e:10:00:01");
        QCOMPARE(dialog.update_and_exec(), 0);
        QCOMPARE(watcher.seen().size(), 1);
        QCOMPARE(watcher.seen()[0].answer, QString("Cancel"));
        QVERIFY(!retryTimer(dialog)->isActive());
    }

    // Woken, but another front end took it meanwhile: one box, and the
    // waiting ends there instead of asking again every 15 s.
    void heldControllerEndsTheWait()
    {
        const QString reason = whyNotSend();
        if (!reason.isEmpty())
            QUORIX_SKIP_NETWORK(reason);
        TestHome home;
        SimScenario scenario;
        scenario.fullAccess = false;
        ControllerSimulator sim(scenario);
        QVERIFY(sim.start("127.0.5.40", 50105));
        IpDialog dialog(nullptr, Qt::FramelessWindowHint, QByteArray());
        dialog.setTrackboxAddress("127.0.5.40");
        dialog.setTrackbox("quorixsim");
        dialog.setTrackboxMac("02:00:5e:10:00:40");
        ModalWatcher watcher;
        watcher.answer("QUORIX4", ModalWatcher::Answer::leaveOpen());
        // No need to wait 15 s for the first retry.
        connect(&watcher, &ModalWatcher::handled, this, [] {
            if (auto *progress = qobject_cast<EndlessProgressDlg *>(QApplication::activeModalWidget()))
                retryTimer(*progress)->setInterval(10);
        });
        QTimer guard;   // should the wait go on, end it rather than the test
        guard.setSingleShot(true);
        connect(&guard, &QTimer::timeout, [] {
            if (auto *progress = qobject_cast<EndlessProgressDlg *>(QApplication::activeModalWidget()))
                progress->on_pushButton_cancel_clicked();
        });
        guard.start(3000);
        dialog.doWakeOnLan();
        QVERIFY(guard.isActive());
        QVERIFY(dialog.heldShown());
        QStringList titles;
        for (const ModalWatcher::Seen &seen : watcher.seen())
            titles << seen.title;
        QCOMPARE(titles, (QStringList{"QUORIX4", "Error"}));
        QVERIFY(watcher.seen()[1].text.contains("Controller is accessed by"));
    }
};

QTEST_MAIN(TestWakeOnLan)
#include "tst_wakeonlan.moc"
