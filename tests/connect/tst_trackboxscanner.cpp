#include "ControllerSimulator.h"
#include "ScriptedResponder.h"
#include "TestNetwork.h"
#include "TrackboxScanner.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QUdpSocket>
#include <QtTest>

#include <atomic>
#include <thread>

using Info = TrackboxScanner::InterfaceInfo;
using Flags = QNetworkInterface::InterfaceFlags;

Q_DECLARE_METATYPE(QVector<TrackboxScanner::InterfaceInfo>)

namespace {

const Flags Running = QNetworkInterface::IsUp | QNetworkInterface::IsRunning | QNetworkInterface::CanBroadcast;
const Flags LinuxLoopback = QNetworkInterface::IsUp | QNetworkInterface::IsRunning | QNetworkInterface::IsLoopBack;

unsigned ip(const char *dotted)
{
    return QHostAddress(QString::fromLatin1(dotted)).toIPv4Address();
}

QNetworkAddressEntry entry(const char *address, int prefix, const char *broadcast = nullptr)
{
    QNetworkAddressEntry e;
    e.setIp(QHostAddress(QString::fromLatin1(address)));
    e.setPrefixLength(prefix);
    if (broadcast)
        e.setBroadcast(QHostAddress(QString::fromLatin1(broadcast)));
    return e;
}

Info interface(Flags flags, int mtu, QNetworkInterface::InterfaceType type, QList<QNetworkAddressEntry> entries)
{
    Info i;
    i.valid = true;
    i.flags = flags;
    i.mtu = mtu;
    i.type = type;
    i.entries = entries;
    return i;
}

QStringList broadcasts(const QList<QNetworkAddressEntry> &entries)
{
    QStringList out;
    for (const QNetworkAddressEntry &e : entries)
        out << e.broadcast().toString();
    return out;
}

QString field(const char *text)
{
    return QString::fromLatin1(text);
}

const TrackboxRecord *byName(const QList<TrackboxRecord> &records, const char *name)
{
    for (const TrackboxRecord &r : records)
        if (field(r.hostName) == QLatin1String(name))
            return &r;
    return nullptr;
}

// Programs other than Controllers that keep sending version replies to the
// scanner's port, each from an address of its own, every 100 ms until stopped
// (or for at most 30 s).
class ForeignSenders
{
public:
    ForeignSenders(int count, const char *prefix)
    {
        for (int i = 1; i <= count; ++i)
            m_addresses << QHostAddress(QStringLiteral("%1.%2").arg(QLatin1String(prefix)).arg(i));
    }
    ~ForeignSenders() { stop(); }
    void start(quint16 port)
    {
        m_thread = std::thread([this, port] {
            std::vector<std::unique_ptr<QUdpSocket>> sockets;
            for (const QHostAddress &a : qAsConst(m_addresses)) {
                sockets.emplace_back(new QUdpSocket);
                sockets.back()->bind(a, 0);
            }
            for (int round = 0; round < 300 && !m_stop; ++round) {
                for (auto &s : sockets)
                    s->writeDatagram(QByteArray("quorix2 set system version v9.9.9", 34), QHostAddress::LocalHost, port);
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
            m_finished = true;
        });
    }
    void stop()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
    }
    // Whether they gave up by themselves.
    bool finished() const { return m_finished; }

private:
    QList<QHostAddress> m_addresses;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_finished{false};
};

// A responder that sends foreign version replies to the port of whoever asks
// it first.
std::thread floodOnFirstQuestion(ScriptedResponder &target, ForeignSenders &foreign)
{
    target.on("quorix2 get system version", ScriptedResponder::Action::reply("quorix2 set system version v3.0.1").delayed(300));
    return std::thread([&target, &foreign] {
        if (target.waitForCommands(1))
            foreign.start(target.received().first().peerPort);
    });
}

// The command line systemd runs for the installed back end, with the program
// this build made.
QStringList installedBackEndCommand()
{
    QFile unit(qEnvironmentVariable("QUORIX_APP_DIR") + QStringLiteral("/../packaging/quorix-backend.service"));
    if (!unit.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    for (const QByteArray &line : unit.readAll().split('\n'))
        if (line.startsWith("ExecStart="))
            return QString::fromLatin1(line.mid(10)).simplified().split(QLatin1Char(' '));
    return {};
}

} // namespace

class TestTrackboxScanner : public QObject
{
    Q_OBJECT

private:
    // One host behind a link of its own (198.18.<subnet>.0/24), running controller-sim.
    int simHost(TestNetwork &net, int subnet, const QStringList &arguments, int mtu = 1500)
    {
        const int host = net.addHost();
        if (host < 0 || !net.link(host, QStringLiteral("198.18.%1.1/24").arg(subnet), QStringLiteral("198.18.%1.2/24").arg(subnet), mtu)
            || !net.startSim(host, arguments))
            return -1;
        return host;
    }

private slots:
    void usableAddressEntries_data()
    {
        QTest::addColumn<QVector<Info>>("interfaces");
        QTest::addColumn<bool>("loopback");
        QTest::addColumn<QStringList>("expected");
        const auto eth = QNetworkInterface::Ethernet;
        const Info lan = interface(Running, 1500, eth, {entry("10.1.2.3", 24, "10.1.2.255")});
        const Info lo = interface(LinuxLoopback, 65536, QNetworkInterface::Loopback, {entry("127.0.0.1", 8)});

        QTest::newRow("ethernet") << QVector<Info>{lan} << false << QStringList{"10.1.2.255"};
        QTest::newRow("loopback left out of the subnets") << QVector<Info>{lo, lan} << false << QStringList{"10.1.2.255"};
        QTest::newRow("Linux loopback: broadcast from the netmask") << QVector<Info>{lo, lan} << true
                                                                    << QStringList{"127.255.255.255"};
        QTest::newRow("loopback with its own broadcast")
            << QVector<Info>{interface(LinuxLoopback, 16384, QNetworkInterface::Loopback, {entry("127.0.0.1", 8, "127.0.0.255")})}
            << true << QStringList{"127.0.0.255"};
        QTest::newRow("jumbo frames") << QVector<Info>{interface(Running, 9000, eth, {entry("10.9.0.1", 16, "10.9.255.255")})}
                                      << false << QStringList();
        QTest::newRow("largest ordinary unit") << QVector<Info>{interface(Running, 8999, eth, {entry("10.9.0.1", 16, "10.9.255.255")})}
                                               << false << QStringList{"10.9.255.255"};
        QTest::newRow("unit unknown") << QVector<Info>{interface(Running, 0, eth, {entry("10.9.0.1", 16, "10.9.255.255")})}
                                      << false << QStringList();
        QTest::newRow("not running") << QVector<Info>{interface(QNetworkInterface::IsUp, 1500, eth, {entry("10.1.2.3", 24, "10.1.2.255")})}
                                     << false << QStringList();
        Info invalid = lan;
        invalid.valid = false;
        QTest::newRow("invalid") << QVector<Info>{invalid} << false << QStringList();
        QTest::newRow("wifi and CAN") << QVector<Info>{interface(Running, 1500, QNetworkInterface::Wifi, {entry("10.5.0.2", 24, "10.5.0.255")}),
                                                       interface(Running, 1500, QNetworkInterface::CanBus, {entry("10.6.0.2", 24, "10.6.0.255")})}
                                      << false << QStringList{"10.5.0.255", "10.6.0.255"};
        QTest::newRow("point to point and virtual")
            << QVector<Info>{interface(Running, 1500, QNetworkInterface::Ppp, {entry("10.7.0.2", 24, "10.7.0.255")}),
                             interface(Running, 1500, QNetworkInterface::Virtual, {entry("10.8.0.2", 24, "10.8.0.255")})}
            << false << QStringList();
        QTest::newRow("link-local, IPv6 and no broadcast skipped")
            << QVector<Info>{interface(Running, 1500, eth, {entry("169.254.3.4", 16, "169.254.255.255"), entry("fe80::1", 64),
                                                            entry("10.3.0.1", 24), entry("10.4.0.1", 24, "10.4.0.255")})}
            << false << QStringList{"10.4.0.255"};
        // A non-loopback interface without broadcast is not given one: it may be point to point.
        QTest::newRow("no derivation off loopback") << QVector<Info>{interface(Running, 1500, eth, {entry("10.3.0.1", 24)})}
                                                    << false << QStringList();
    }
    void usableAddressEntries()
    {
        QFETCH(QVector<Info>, interfaces);
        QFETCH(bool, loopback);
        QFETCH(QStringList, expected);
        QCOMPARE(broadcasts(TrackboxScanner::usableAddressEntries(interfaces, loopback)), expected);
    }

    // What this system reports for its loopback: the "this computer" scan needs a broadcast there.
    void systemLoopbackGetsBroadcast()
    {
        if (!TestNetwork::skipReason().isEmpty())
            QUORIX_SKIP_NETWORK(TestNetwork::skipReason());
        QCOMPARE(broadcasts(TrackboxScanner::usableAddressEntries(true)), QStringList{"127.255.255.255"});
        QVERIFY(TrackboxScanner::usableAddressEntries(false).isEmpty());
    }

    void noUsableInterfaceGivesNothing()
    {
        if (!TestNetwork::skipReason().isEmpty())
            QUORIX_SKIP_NETWORK(TestNetwork::skipReason());
        TrackboxScanner scanner(50105);
        QVERIFY(scanner.scan(TrackboxScanner::AllSubnets, false).isEmpty());
    }

    // Two Controllers on two subnets, a third behind a jumbo-frame link.
    void twoSubnetsWithDetails()
    {
        if (!TestNetwork::skipReason().isEmpty())
            QUORIX_SKIP_NETWORK(TestNetwork::skipReason());
        TestNetwork net;
        const int alpha = simHost(net, 11, {"--hostname", "alpha", "--model", "2", "--serial", "123",
                                            "--protocol-version", "v1.10", "--mac", "02:00:00:00:00:11"});
        const int beta = simHost(net, 12, {"--hostname", "beta", "--serial", "222", "--access", "none",
                                           "--protocol-version", "v1.7.0", "--mac", "02:00:00:00:00:12"});
        const int gamma = simHost(net, 13, {"--hostname", "gamma"}, 9000);
        QUORIX_REQUIRE_HOSTS(net, alpha >= 0 && beta >= 0 && gamma >= 0);

        TrackboxScanner scanner(50105);
        QElapsedTimer clock;
        clock.start();
        const QList<TrackboxRecord> records = scanner.scan(TrackboxScanner::AllSubnets, false);
        qInfo("scan of two subnets (listening and details): %lld ms", clock.elapsed());

        QCOMPARE(records.size(), 2);
        const TrackboxRecord *a = byName(records, "alpha");
        const TrackboxRecord *b = byName(records, "beta");
        QVERIFY(a && b);
        QCOMPARE(field(a->serial), QStringLiteral("S00000123"));
        QCOMPARE(field(a->access), QStringLiteral("full"));
        QCOMPARE(field(a->version), QStringLiteral("v3.4.2"));
        QCOMPARE(a->ip, ip("198.18.11.2"));
        QCOMPARE(field(a->ipText), QStringLiteral("198.18.11.2"));
        QCOMPARE(field(a->mac), QStringLiteral("02:00:00:00:00:11"));   // v1.10 is past 1.9
        QCOMPARE(a->cascadedSlave, (unsigned char)0);

        QCOMPARE(field(b->serial), QStringLiteral("222"));
        QCOMPARE(field(b->access), QStringLiteral("none"));
        QCOMPARE(field(b->ipText), QStringLiteral("198.18.12.2"));
        QCOMPARE(field(b->mac), QStringLiteral("unknown"));            // 1.7 is before 1.9
        QCOMPARE(b->cascadedSlave, (unsigned char)0);                  // asked, answered "no"

        QVERIFY(net.simCommands(alpha).contains("quorix2 get system ethernet_mac"));
        QVERIFY(!net.simCommands(alpha).contains("quorix2 get system slave"));
        QVERIFY(net.simCommands(beta).contains("quorix2 get system slave"));
        QVERIFY(!net.simCommands(beta).contains("quorix2 get system ethernet_mac"));
        QVERIFY(net.simCommands(gamma).isEmpty());
    }

    void oneSubnetAndOldProtocol()
    {
        if (!TestNetwork::skipReason().isEmpty())
            QUORIX_SKIP_NETWORK(TestNetwork::skipReason());
        TestNetwork net;
        const int held = simHost(net, 14, {"--hostname", "delta", "--access", "none", "--protocol-version", "v1.6"});
        const int other = simHost(net, 15, {"--hostname", "epsilon"});
        QUORIX_REQUIRE_HOSTS(net, held >= 0 && other >= 0);

        TrackboxScanner scanner(50105);
        const QList<TrackboxRecord> records = scanner.scan(ip("198.18.14.255"), false);
        QCOMPARE(records.size(), 1);
        QCOMPARE(field(records[0].hostName), QStringLiteral("delta"));
        QCOMPARE(field(records[0].serial), QStringLiteral("10234"));   // model 0: as it is
        QVERIFY(!net.simCommands(held).contains("quorix2 get system slave"));
        QCOMPARE(field(records[0].accessedBy), QStringLiteral("ip 127.0.0.99"));
        QVERIFY(net.simCommands(other).isEmpty());
    }

    void silentAfterBroadcastKeepsDefaults()
    {
        if (!TestNetwork::skipReason().isEmpty())
            QUORIX_SKIP_NETWORK(TestNetwork::skipReason());
        TestNetwork net;
        QStringList args;
        for (const char *p : {"get system hostname", "get system model", "get system controller_serial",
                              "get system protocol_version", "get system access"})
            args << "--fault-no-reply" << p;
        const int mute = simHost(net, 16, args);
        QUORIX_REQUIRE_HOSTS(net, mute >= 0);

        TrackboxScanner scanner(50105);
        const QList<TrackboxRecord> records = scanner.scan(TrackboxScanner::AllSubnets, false);
        QCOMPARE(records.size(), 1);
        const TrackboxRecord &r = records[0];
        QCOMPARE(field(r.hostName), QStringLiteral("unknown"));
        QCOMPARE(field(r.serial), QStringLiteral("unknown"));
        QCOMPARE(field(r.access), QStringLiteral("unknown"));
        QCOMPARE(field(r.mac), QStringLiteral("unknown"));   // protocol taken as v0.0
        QCOMPARE(field(r.version), QStringLiteral("v3.4.2"));
        QCOMPARE(field(r.ipText), QStringLiteral("198.18.16.2"));
    }

    // Garbage instead of a version reply is no Controller; one Controller
    // reached over two subnets is one row.
    void strayRepliesAndDuplicates()
    {
        if (!TestNetwork::skipReason().isEmpty())
            QUORIX_SKIP_NETWORK(TestNetwork::skipReason());
        TestNetwork net;
        const int garbage = simHost(net, 17, {"--hostname", "garbage", "--serial", "333", "--fault-garbage", "get system version"});
        const int twice = simHost(net, 18, {"--hostname", "twice", "--serial", "444"});
        QUORIX_REQUIRE_HOSTS(net, garbage >= 0 && twice >= 0);
        QUORIX_REQUIRE_HOSTS(net, net.link(twice, "198.18.19.1/24", "198.18.19.2/24"));

        TrackboxScanner scanner(50105);
        const QList<TrackboxRecord> records = scanner.scan(TrackboxScanner::AllSubnets, false);
        QCOMPARE(records.size(), 1);
        QCOMPARE(field(records[0].hostName), QStringLiteral("twice"));
        QCOMPARE(net.simCommands(twice).count("quorix2 get system version"), 2);
    }

    void failedBroadcastGivesNothing()
    {
        if (!TestNetwork::skipReason().isEmpty())
            QUORIX_SKIP_NETWORK(TestNetwork::skipReason());
        // No route leads there inside the test's namespace: the send fails.
        TrackboxScanner scanner(50105);
        QVERIFY(scanner.scan(ip("198.19.99.255"), false).isEmpty());
    }

    void localOnlyFindsServiceOnThisComputer()
    {
        if (!TestNetwork::skipReason().isEmpty())
            QUORIX_SKIP_NETWORK(TestNetwork::skipReason());
        SimScenario scenario;
        scenario.hostName = QStringLiteral("thispc");
        scenario.modelCode = 100;
        ControllerSimulator sim(scenario);
        QString error;
        QVERIFY2(sim.start(QStringLiteral("0.0.0.0"), 50105, &error), qPrintable(error));

        TrackboxScanner scanner(50105);
        const QList<TrackboxRecord> records = scanner.scan(ip("198.18.11.255"), true);   // address ignored
        QCOMPARE(records.size(), 1);
        QCOMPARE(field(records[0].hostName), QStringLiteral("thispc"));
        QCOMPARE(field(records[0].ipText), QStringLiteral("127.0.0.1"));
    }

    // The back end as systemd starts it (bound to loopback, so that only this
    // computer reaches it) is found by the scan of this computer.
    void localOnlyFindsInstalledBackEnd()
    {
        if (!TestNetwork::skipReason().isEmpty())
            QUORIX_SKIP_NETWORK(TestNetwork::skipReason());
        QStringList command = installedBackEndCommand();
        QVERIFY2(command.size() >= 3 && command.contains("--bind"), qPrintable(command.join(' ')));
        QProcess backEnd;
        backEnd.setProcessChannelMode(QProcess::MergedChannels);
        backEnd.start(command.takeFirst(), command);
        QVERIFY(backEnd.waitForStarted());
        QByteArray out;
        QTRY_VERIFY((out += backEnd.readAll()).contains("listening"));

        TrackboxScanner scanner(50105);
        const QList<TrackboxRecord> records = scanner.scan(TrackboxScanner::AllSubnets, true);
        QCOMPARE(records.size(), 1);
        QCOMPARE(field(records[0].ipText), QStringLiteral("127.0.0.1"));

        // Not reachable through another address of this computer.
        TestNetwork net;
        const int host = net.addHost();
        QUORIX_REQUIRE_HOSTS(net, host >= 0 && net.link(host, "198.18.21.1/24", "198.18.21.2/24"));
        TrackboxRecord record;
        QStringList messages;
        QVERIFY(!TrackboxScanner::probe(ip("198.18.21.1"), 50105, &record, &messages));
        backEnd.terminate();
        backEnd.waitForFinished();
    }

    // Two Controllers with the same serial and host name (a spare set up as a
    // copy) but other versions and MACs are two rows; one Controller reached
    // over two subnets (same MAC) is one.
    void sameSerialAndNameTwoControllers()
    {
        if (!TestNetwork::skipReason().isEmpty())
            QUORIX_SKIP_NETWORK(TestNetwork::skipReason());
        TestNetwork net;
        const int first = simHost(net, 22, {"--hostname", "rig", "--serial", "555", "--mac", "02:00:00:00:00:22"});
        const int spare = simHost(net, 23, {"--hostname", "rig", "--serial", "555", "--mac", "02:00:00:00:00:23",
                                            "--system-version", "v3.5.0"});
        QUORIX_REQUIRE_HOSTS(net, first >= 0 && spare >= 0);
        QUORIX_REQUIRE_HOSTS(net, net.link(first, "198.18.24.1/24", "198.18.24.2/24"));

        TrackboxScanner scanner(50105);
        const QList<TrackboxRecord> records = scanner.scan(TrackboxScanner::AllSubnets, false);
        QCOMPARE(records.size(), 2);
        QStringList versions{field(records[0].version), field(records[1].version)};
        versions.sort();
        QCOMPARE(versions, (QStringList{"v3.4.2", "v3.5.0"}));
    }

    // Other programs answering on the port: a scan of one host lists that host
    // only, and a subnet scan stops listening while they still send.
    void foreignSendersDoNotHoldTheScan()
    {
        if (!TestNetwork::skipReason().isEmpty())
            QUORIX_SKIP_NETWORK(TestNetwork::skipReason());
        {
            ScriptedResponder target;
            QVERIFY(target.start(QStringLiteral("127.0.9.2")));
            ForeignSenders foreign(20, "127.0.10");
            std::thread flood = floodOnFirstQuestion(target, foreign);
            TrackboxScanner scanner(50105);
            QElapsedTimer clock;
            clock.start();
            const QList<TrackboxRecord> records = scanner.scan(ip("127.0.9.2"), false);
            qInfo("scan of one host with 20 foreign senders: %lld ms", clock.elapsed());
            flood.join();
            foreign.stop();
            QCOMPARE(records.size(), 1);
            QCOMPARE(field(records[0].ipText), QStringLiteral("127.0.9.2"));
        }
        {
            // An address ending in 255 is a subnet's broadcast: every sender counts.
            ScriptedResponder target;
            QVERIFY(target.start(QStringLiteral("127.0.9.255")));
            ForeignSenders foreign(1, "127.0.11");
            std::thread flood = floodOnFirstQuestion(target, foreign);
            TrackboxScanner scanner(50105);
            const QList<TrackboxRecord> records = scanner.scan(ip("127.0.9.255"), false);
            flood.join();
            const bool stillSending = !foreign.finished();
            foreign.stop();
            QVERIFY(stillSending);
            QCOMPARE(records.size(), 2);
        }
    }

    // The worker stops between exchanges when asked; destruction waits for it.
    void stopEndsWorker()
    {
        if (!TestNetwork::skipReason().isEmpty())
            QUORIX_SKIP_NETWORK(TestNetwork::skipReason());
        TestNetwork net;
        const int slow = simHost(net, 20, {"--fault-delay", "400:get system"});
        QUORIX_REQUIRE_HOSTS(net, slow >= 0);
        TrackboxScanner scanner(50105);
        QTimer::singleShot(100, &scanner, [&scanner] { scanner.requestStop(); });
        QVERIFY(scanner.scan(TrackboxScanner::AllSubnets, false).size() <= 1);
        QVERIFY(scanner.isFinished());
        QVERIFY(!net.simCommands(slow).contains("quorix2 get system ethernet_mac"));
    }

    void probe()
    {
        ScriptedResponder r;
        QVERIFY(r.start(QStringLiteral("127.0.7.2")));
        r.on("quorix2 get system version", ScriptedResponder::Action::reply("quorix2 set system version v3.0.1 build 7"));
        r.on("quorix2 get system hostname", ScriptedResponder::Action::reply("quorix2 set system hostname slavebox"));
        r.on("quorix2 get system controller_serial", ScriptedResponder::Action::reply("quorix2 set system controller_serial 123"));
        r.on("quorix2 get system protocol_version", ScriptedResponder::Action::reply("quorix2 set system protocol_version v1.7"));
        r.on("quorix2 get system access", ScriptedResponder::Action::reply("quorix2 set system access none"));
        r.on("quorix2 get system slave", ScriptedResponder::Action::reply("quorix2 set system slave yes"));

        TrackboxRecord record;
        QStringList messages;
        QVERIFY(TrackboxScanner::probe(ip("127.0.7.2"), 50105, &record, &messages));
        QVERIFY(messages.isEmpty());
        QCOMPARE(field(record.hostName), QStringLiteral("slavebox"));
        QCOMPARE(field(record.version), QStringLiteral("v3.0.1"));
        QCOMPARE(field(record.serial), QStringLiteral("123"));   // the model is not asked
        QCOMPARE(record.cascadedSlave, (unsigned char)1);
        QVERIFY(!r.commands().contains("quorix2 get system model"));
    }

    // A Controller that sends every reply twice: each copy that comes while
    // the next question waits is passed over, so nothing is left "unknown".
    void controllerAnsweringTwiceIsReadInFull()
    {
        using Action = ScriptedResponder::Action;
        ScriptedResponder r;
        QVERIFY(r.start(QStringLiteral("127.0.7.9")));
        const auto twice = [](const QByteArray &reply) {
            return Action::reply(reply + '\0' + reply).splitAt(reply.size() + 1, 20);
        };
        r.on("quorix2 get system version", twice("quorix2 set system version v3.0.1"));
        r.on("quorix2 get system hostname", twice("quorix2 set system hostname twinbox"));
        r.on("quorix2 get system model", twice("quorix2 set system model 4"));
        r.on("quorix2 get system controller_serial", twice("quorix2 set system controller_serial 4711"));
        r.on("quorix2 get system protocol_version", twice("quorix2 set system protocol_version v1.9"));
        r.on("quorix2 get system access", twice("quorix2 set system access full"));
        r.on("quorix2 get system ethernet_mac", twice("quorix2 set system ethernet_mac 00:11:22:33:44:55"));
        TrackboxScanner scanner(50105);
        const QList<TrackboxRecord> records = scanner.scan(ip("127.0.7.9"), false);
        QCOMPARE(records.size(), 1);
        QCOMPARE(field(records[0].hostName), QStringLiteral("twinbox"));
        QCOMPARE(field(records[0].serial), QStringLiteral("4711"));
        QCOMPARE(field(records[0].access), QStringLiteral("full"));
        QCOMPARE(field(records[0].mac), QStringLiteral("00:11:22:33:44:55"));
    }

    void probeFailures_data()
    {
        QTest::addColumn<QByteArray>("silent");
        QTest::newRow("no version") << QByteArray("quorix2 get system version");
        QTest::newRow("no host name") << QByteArray("quorix2 get system hostname");
    }
    void probeFailures()
    {
        QFETCH(QByteArray, silent);
        ScriptedResponder r;
        QVERIFY(r.start(QStringLiteral("127.0.7.3")));
        r.on("quorix2 get system version", ScriptedResponder::Action::reply("quorix2 set system version v3.0.1"));
        r.on("quorix2 get system hostname", ScriptedResponder::Action::reply("quorix2 set system hostname box"));
        r.on(silent, ScriptedResponder::Action::none());
        TrackboxRecord record;
        QStringList messages;
        QVERIFY(!TrackboxScanner::probe(ip("127.0.7.3"), 50105, &record, &messages));
        QCOMPARE(messages, QStringList{"no connection to Controller"});
    }

    // A Controller with two addresses answers from its primary one: that is
    // the probe's answer, and the address listed.
    void probeAcceptsAnswerFromOtherAddress()
    {
        ScriptedResponder asked;
        QVERIFY(asked.start(QStringLiteral("127.0.7.7")));
        asked.onAny(ScriptedResponder::Action::none());
        ScriptedResponder primary;
        QVERIFY(primary.start(QStringLiteral("127.0.7.6")));
        std::atomic<bool> done{false};
        std::thread controller([&] {
            for (int n = 1; !done && n < 20; ++n) {
                if (!asked.waitForCommands(n, 2000))
                    return;
                const ScriptedResponder::Received q = asked.received().last();
                const QByteArray parameter = q.command.mid(int(sizeof "quorix2 get ") - 1);
                QByteArray value = "1";
                if (parameter == "system version")
                    value = "v3.0.1";
                else if (parameter == "system hostname")
                    value = "twoaddr";
                else if (parameter == "system access")
                    value = "full";
                primary.sendDatagram("quorix2 set " + parameter + ' ' + value, q.peer, q.peerPort);
            }
        });
        TrackboxRecord record;
        QStringList messages;
        const bool found = TrackboxScanner::probe(ip("127.0.7.7"), 50105, &record, &messages);
        done = true;
        controller.join();
        QVERIFY2(found, qPrintable(messages.join(", ")));
        QCOMPARE(field(record.hostName), QStringLiteral("twoaddr"));
        QCOMPARE(field(record.access), QStringLiteral("full"));
        QCOMPARE(field(record.ipText), QStringLiteral("127.0.7.6"));
        QCOMPARE(record.ip, ip("127.0.7.6"));
    }

    // A late answer of another Controller must not fill this one's record.
    void probeIgnoresOtherSenders()
    {
        ScriptedResponder r;
        QVERIFY(r.start(QStringLiteral("127.0.7.4")));
        r.on("quorix2 get system version", ScriptedResponder::Action::reply("quorix2 set system version v3.0.1"));
        r.on("quorix2 get system hostname", ScriptedResponder::Action::reply("quorix2 set system hostname right").delayed(100));
        ScriptedResponder other;
        QVERIFY(other.start(QStringLiteral("127.0.7.5")));

        // The probe blocks this thread: the stray answer comes from another,
        // as soon as the probe has asked for the host name.
        std::thread stray([&] {
            if (!r.waitForCommands(2))
                return;
            const ScriptedResponder::Received asked = r.received().last();
            other.sendDatagram(QByteArray("quorix2 set system hostname wrong"), asked.peer, asked.peerPort);
        });
        TrackboxRecord record;
        QStringList messages;
        QVERIFY(TrackboxScanner::probe(ip("127.0.7.4"), 50105, &record, &messages));
        stray.join();
        QCOMPARE(field(record.hostName), QStringLiteral("right"));
    }
};

QUORIX_NETNS_TEST_MAIN(TestTrackboxScanner)
#include "tst_trackboxscanner.moc"
