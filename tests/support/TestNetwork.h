#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class QProcess;

// Test hosts for scans and broadcasts. The test process first moves into a
// network namespace of its own (isolateProcess, from main before any thread
// exists), so its veth links are seen by no other test. Each host is one
// more namespace held by "unshare --net sleep infinity", joined to the test
// by a veth pair with addresses from 198.18.0.0/15; controller-sim runs in it
// through nsenter. Everything made is removed again by the destructor.
//
//   TestNetwork net;
//   const int host = net.addHost();
//   net.link(host, "198.18.11.1/24", "198.18.11.2/24");
//   net.startSim(host, {"--hostname", "alpha", "--serial", "111"});
class TestNetwork
{
public:
    // Unshares the network namespace and brings its loopback up. Call first
    // thing in main. Does nothing when QUORIX_NO_NETNS is set.
    static void isolateProcess();
    // Why the namespace tests cannot run here; empty when they can.
    static QString skipReason();
    // Under CI (CI or QUORIX_CI set, and not 0 or false) a network test that
    // cannot run fails instead of skipping: a skip would pass unseen.
    static bool inCi();

    TestNetwork();
    ~TestNetwork();
    TestNetwork(const TestNetwork &) = delete;
    TestNetwork &operator=(const TestNetwork &) = delete;

    // A new host namespace; its index, or -1 (see error()).
    int addHost();
    // A veth pair between the test and the host, both ends up. Addresses in
    // CIDR form; mtu applies to the test's end.
    bool link(int host, const QString &frontAddress, const QString &hostAddress, int mtu = 1500);
    // controller-sim --bind 0.0.0.0 in the host, logging its commands; waits
    // until it listens.
    bool startSim(int host, const QStringList &arguments);
    // Commands the host's simulator received, in order.
    QStringList simCommands(int host) const;
    QString error() const { return m_error; }

private:
    struct Host;

    bool run(const QStringList &command, int host = -1);

    std::vector<std::unique_ptr<Host>> m_hosts;
    QStringList m_links;
    QString m_error;
    int m_nextLink = 0;
};

// Skips a test that scans, broadcasts, wakes or needs test hosts and cannot
// do so here, with the reason; under CI (TestNetwork::inCi) it fails instead.
#define QUORIX_SKIP_NETWORK(reason)                                                            \
    do {                                                                                       \
        const QString quorixWhy_ = (reason);                                                   \
        if (TestNetwork::inCi())                                                               \
            QFAIL(qPrintable(QStringLiteral("network test cannot run under CI: ") + quorixWhy_)); \
        QSKIP(qPrintable(quorixWhy_));                                                         \
    } while (false)

// Test hosts that cannot be made here (no veth support, ip failing) skip the
// test with the reason, as a missing namespace does.
#define QUORIX_REQUIRE_HOSTS(net, condition)                                                   \
    do {                                                                                       \
        if (!(condition))                                                                      \
            QUORIX_SKIP_NETWORK(QStringLiteral("test hosts unavailable: ") + (net).error());   \
    } while (false)

// main() for a Qt Test class that uses TestNetwork.
#define QUORIX_NETNS_TEST_MAIN(TestObject)                 \
    int main(int argc, char *argv[])                       \
    {                                                      \
        TestNetwork::isolateProcess();                     \
        QApplication app(argc, argv);                      \
        app.setAttribute(Qt::AA_Use96Dpi, true);           \
        TestObject tc;                                     \
        QTEST_SET_MAIN_SOURCE_PATH                         \
        return QTest::qExec(&tc, argc, argv);              \
    }
