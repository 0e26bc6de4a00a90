#include "TestNetwork.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QNetworkInterface>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

QString g_isolation = QStringLiteral("TestNetwork::isolateProcess() was not called");

bool loopbackUp()
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (fd < 0)
        return false;
    ifreq req;
    std::memset(&req, 0, sizeof req);
    std::strncpy(req.ifr_name, "lo", IFNAMSIZ - 1);
    bool ok = ::ioctl(fd, SIOCGIFFLAGS, &req) == 0;
    if (ok) {
        req.ifr_flags |= IFF_UP;
        ok = ::ioctl(fd, SIOCSIFFLAGS, &req) == 0;
    }
    ::close(fd);
    return ok;
}

QString netnsOf(qint64 pid)
{
    return QFile::symLinkTarget(QStringLiteral("/proc/%1/ns/net").arg(pid));
}

bool hasProgram(const char *name)
{
    QProcess p;
    p.start(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("command -v %1").arg(QLatin1String(name))});
    return p.waitForFinished(5000) && p.exitCode() == 0;
}

QString simProgram()
{
    return qEnvironmentVariable("QUORIX_APP_DIR") + QStringLiteral("/controller-sim");
}

} // namespace

struct TestNetwork::Host
{
    std::unique_ptr<QProcess> holder;    // unshare --net sleep infinity
    std::unique_ptr<QProcess> sim;
    QString nsPath;
    QString logFile;
};

void TestNetwork::isolateProcess()
{
    if (!qEnvironmentVariable("QUORIX_NO_NETNS").isEmpty()) {
        g_isolation = QStringLiteral("QUORIX_NO_NETNS is set: no private network namespace, nothing is broadcast");
        return;
    }
    if (::unshare(CLONE_NEWNET) != 0) {
        g_isolation = QStringLiteral("cannot unshare the network namespace (%1): run through scripts/test").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return;
    }
    if (!loopbackUp()) {
        g_isolation = QStringLiteral("cannot bring up loopback in the private namespace");
        return;
    }
    g_isolation.clear();
}

QString TestNetwork::skipReason()
{
    if (!g_isolation.isEmpty())
        return g_isolation;
    for (const char *tool : {"ip", "unshare", "nsenter", "sleep"})
        if (!hasProgram(tool))
            return QStringLiteral("%1 is not installed: no test hosts").arg(QLatin1String(tool));
    if (!QFile::exists(simProgram()))
        return QStringLiteral("controller-sim is not built next to the tests (QUORIX_APP_DIR)");
    return QString();
}

bool TestNetwork::inCi()
{
    for (const char *name : {"CI", "QUORIX_CI"}) {
        const QString value = qEnvironmentVariable(name).trimmed().toLower();
        if (!value.isEmpty() && value != QLatin1String("0") && value != QLatin1String("false") && value != QLatin1String("no"))
            return true;
    }
    return false;
}

TestNetwork::TestNetwork() = default;

TestNetwork::~TestNetwork()
{
    for (auto &h : m_hosts) {
        if (h->sim) {
            h->sim->terminate();
            if (!h->sim->waitForFinished(3000))
                h->sim->kill();
            h->sim->waitForFinished(3000);
        }
        h->holder->kill();
        h->holder->waitForFinished(3000);
        if (!h->logFile.isEmpty())
            QFile::remove(h->logFile);
    }
    // The host ends went with their namespaces; ours may linger a moment.
    for (const QString &name : qAsConst(m_links))
        if (QNetworkInterface::interfaceFromName(name).isValid())
            run({QStringLiteral("ip"), QStringLiteral("link"), QStringLiteral("del"), name});
}

bool TestNetwork::run(const QStringList &command, int host)
{
    QStringList full = command;
    if (host >= 0)
        full = QStringList{QStringLiteral("nsenter"), QStringLiteral("--net=") + m_hosts[host]->nsPath} + command;
    QProcess p;
    p.start(full.first(), full.mid(1));
    if (!p.waitForFinished(10000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        m_error = QStringLiteral("%1 failed: %2").arg(full.join(QLatin1Char(' ')),
                                                      QString::fromLocal8Bit(p.readAllStandardError()).trimmed());
        return false;
    }
    return true;
}

int TestNetwork::addHost()
{
    auto h = std::make_unique<Host>();
    h->holder = std::make_unique<QProcess>();
    h->holder->start(QStringLiteral("unshare"), {QStringLiteral("--net"), QStringLiteral("sleep"), QStringLiteral("infinity")});
    if (!h->holder->waitForStarted(5000)) {
        m_error = QStringLiteral("unshare --net did not start");
        return -1;
    }
    const qint64 pid = h->holder->processId();
    const QString own = netnsOf(QCoreApplication::applicationPid());
    QElapsedTimer clock;
    clock.start();
    // unshare switches namespaces just after it starts.
    while (netnsOf(pid) == own && clock.elapsed() < 5000 && h->holder->state() == QProcess::Running)
        QThread::msleep(10);
    if (netnsOf(pid) == own || netnsOf(pid).isEmpty()) {
        m_error = QStringLiteral("unshare --net made no namespace: %1").arg(QString::fromLocal8Bit(h->holder->readAllStandardError()));
        h->holder->kill();
        h->holder->waitForFinished(3000);
        return -1;
    }
    h->nsPath = QStringLiteral("/proc/%1/ns/net").arg(pid);
    m_hosts.push_back(std::move(h));
    const int index = int(m_hosts.size()) - 1;
    if (!run({QStringLiteral("ip"), QStringLiteral("link"), QStringLiteral("set"), QStringLiteral("lo"), QStringLiteral("up")}, index))
        return -1;
    return index;
}

bool TestNetwork::link(int host, const QString &frontAddress, const QString &hostAddress, int mtu)
{
    const int n = m_nextLink++;
    const QString front = QStringLiteral("qxf%1").arg(n);
    const QString peer = QStringLiteral("qxh%1").arg(n);
    const QString ip = QStringLiteral("ip");
    if (!run({ip, QStringLiteral("link"), QStringLiteral("add"), front, QStringLiteral("type"), QStringLiteral("veth"),
              QStringLiteral("peer"), QStringLiteral("name"), peer}))
        return false;
    m_links << front;
    const QString pid = QString::number(m_hosts[host]->holder->processId());
    if (!run({ip, QStringLiteral("link"), QStringLiteral("set"), peer, QStringLiteral("netns"), pid})
        || !run({ip, QStringLiteral("addr"), QStringLiteral("add"), frontAddress, QStringLiteral("brd"), QStringLiteral("+"),
                 QStringLiteral("dev"), front})
        || !run({ip, QStringLiteral("link"), QStringLiteral("set"), QStringLiteral("dev"), front, QStringLiteral("mtu"),
                 QString::number(mtu), QStringLiteral("up")})
        || !run({ip, QStringLiteral("addr"), QStringLiteral("add"), hostAddress, QStringLiteral("brd"), QStringLiteral("+"),
                 QStringLiteral("dev"), peer}, host)
        || !run({ip, QStringLiteral("link"), QStringLiteral("set"), QStringLiteral("dev"), peer, QStringLiteral("up")}, host))
        return false;
    // The scan takes only running interfaces: wait for the carrier.
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 5000) {
        if (QNetworkInterface::interfaceFromName(front).flags().testFlag(QNetworkInterface::IsRunning))
            return true;
        QThread::msleep(20);
    }
    m_error = QStringLiteral("%1 did not come up").arg(front);
    return false;
}

bool TestNetwork::startSim(int host, const QStringList &arguments)
{
    Host &h = *m_hosts[host];
    h.logFile = QDir::temp().filePath(QStringLiteral("quorix-testnet-%1-%2.log").arg(QCoreApplication::applicationPid()).arg(host));
    QFile::remove(h.logFile);
    h.sim = std::make_unique<QProcess>();
    h.sim->setProcessChannelMode(QProcess::MergedChannels);
    h.sim->start(QStringLiteral("nsenter"), QStringList{QStringLiteral("--net=") + h.nsPath, simProgram(),
                                                        QStringLiteral("--bind"), QStringLiteral("0.0.0.0"),
                                                        QStringLiteral("--log"), h.logFile} + arguments);
    QByteArray out;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 10000 && !out.contains("listening")) {
        if (!h.sim->waitForReadyRead(200) && h.sim->state() != QProcess::Running)
            break;
        out += h.sim->readAll();
    }
    if (!out.contains("listening")) {
        m_error = QStringLiteral("controller-sim did not start: %1").arg(QString::fromLocal8Bit(out));
        return false;
    }
    return true;
}

QStringList TestNetwork::simCommands(int host) const
{
    QStringList out;
    QFile f(m_hosts[host]->logFile);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return out;
    // Each line: time, transport, peer, then the command.
    const QList<QByteArray> lines = f.readAll().split('\n');
    for (const QByteArray &line : lines) {
        const QString text = QString::fromUtf8(line);
        const QString command = text.section(QLatin1Char(' '), 3);
        if (!command.isEmpty())
            out << command;
    }
    return out;
}
