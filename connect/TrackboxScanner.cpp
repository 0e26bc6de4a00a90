#include "TrackboxScanner.h"

#include "ControllerSerial.h"
#include "HostCheck.h"
#include "IOManagerUdp.h"
#include "IOManagerUdpTcp.h"
#include "Socket.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <set>

namespace {

const char Unknown[] = "unknown";

QByteArray firstWord(const QByteArray &text)
{
    const QList<QByteArray> words = text.simplified().split(' ');
    return words.isEmpty() ? QByteArray() : words.first();
}

// The addresses whose datagrams count as a Controller's reply: the one asked
// and, for a Controller with several addresses, the one it answered from.
struct Peer
{
    unsigned asked = 0;
    unsigned answered = 0;
    bool accepts(unsigned from) const { return from == asked || (answered != 0 && from == answered); }
};

// One get to the Controller. A datagram from another sender (a late answer of
// another Controller, or a second answer to the broadcast) is not this
// Controller's reply: it is passed over and the next one read, for as long as
// the reply may take.
bool query(IOManagerUdp &channel, const Peer &peer, const char *parameter, QByteArray *value)
{
    QElapsedTimer clock;
    clock.start();
    char buffer[IOManager::BufferSize];
    int r = channel.getString(buffer, "%s", parameter);
    for (;;) {
        if (r == -1 || r == -2)
            return false;   // no datagram at all
        unsigned from = 0;
        channel.lastSender(&from, nullptr);
        if (peer.accepts(from)) {
            if (r != 0)
                return false;
            *value = QByteArray(buffer);
            return true;
        }
        const qint64 left = TrackboxScanner::ReplyTimeoutMs - clock.elapsed();
        if (left <= 0)
            return false;
        channel.setReceiveOnly(true);
        channel.prepareNextCommand(false, int(left), true);
        r = channel.getString(buffer, "%s", parameter);
        channel.setReceiveOnly(false);
    }
}

// Serial, access, cascade flag and MAC; model is empty when it was not asked,
// and then the serial is taken as it is.
void readDetails(IOManagerUdp &channel, const Peer &peer, const QByteArray &model, TrackboxRecord *record)
{
    QByteArray value;
    QByteArray serial = Unknown;
    if (query(channel, peer, "system controller_serial", &value)) {
        serial = value;
        // Model 2 prints its serials as S and eight digits.
        if (model == "2")
            serial = ControllerSerial::model2(QString::fromLatin1(value)).toLatin1();
    }
    TrackboxRecord::setField(record->serial, serial);

    QByteArray protocol = "v0.0";
    if (query(channel, peer, "system protocol_version", &value))
        protocol = firstWord(value);

    QByteArray access = Unknown;
    if (query(channel, peer, "system access", &value))
        access = value;
    TrackboxRecord::setField(record->access, access);

    // Only a Controller held by another front end can be a cascade slave, and
    // only protocols from 1.7 on know the question.
    if (access == "none" && IOManagerUdpTcp::isVersionAtLeast(protocol.constData(), "v1.7")
        && query(channel, peer, "system slave", &value) && value == "yes")
        record->cascadedSlave = 1;
    // Who holds it, so that the list can say so; known from protocol 1.1 on.
    if (access == "none" && IOManagerUdpTcp::isVersionAtLeast(protocol.constData(), "v1.1")
        && query(channel, peer, "system accessed_by", &value))
        TrackboxRecord::setField(record->accessedBy, value);

    QByteArray mac = Unknown;
    if (IOManagerUdpTcp::isVersionAtLeast(protocol.constData(), "v1.9") && query(channel, peer, "system ethernet_mac", &value))
        mac = value;
    TrackboxRecord::setField(record->mac, mac);
}

void setAddress(TrackboxRecord *record, unsigned ip)
{
    record->ip = ip;
    TrackboxRecord::setField(record->ipText, HostCheck::dotted(ip).toLatin1());
}

} // namespace

TrackboxScanner::TrackboxScanner(unsigned short port)
    : m_port(port)
{
}

TrackboxScanner::~TrackboxScanner()
{
    requestStop();
    wait();
}

QList<TrackboxRecord> TrackboxScanner::scan(unsigned address, bool localOnly)
{
    if (isRunning())
        return {};
    m_target = localOnly ? LocalOnly : address;
    m_stop = false;
    start(QThread::InheritPriority);
    // Keep the window painted, but let no click reach it while the scan runs.
    while (isRunning()) {
        QThread::msleep(10);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
    }
    wait();
    return m_records;
}

QVector<unsigned> TrackboxScanner::targets() const
{
    QVector<unsigned> out;
    if (m_target != AllSubnets && m_target != LocalOnly) {
        out << m_target;
        return out;
    }
    const QList<QNetworkAddressEntry> entries = usableAddressEntries(m_target == LocalOnly);
    for (const QNetworkAddressEntry &e : entries) {
        const unsigned broadcast = e.broadcast().toIPv4Address();
        if (broadcast != 0 && !out.contains(broadcast))
            out << broadcast;
    }
    // A back end bound to a loopback address (as the installed service is, so
    // that only this computer reaches it) never sees a broadcast: ask each
    // loopback address of this computer directly as well.
    if (m_target == LocalOnly) {
        for (const QNetworkAddressEntry &e : entries) {
            const unsigned own = e.ip().toIPv4Address();
            if (own != 0 && !out.contains(own))
                out << own;
        }
    }
    return out;
}

bool TrackboxScanner::isBroadcastTarget(unsigned address, const QList<QNetworkAddressEntry> &entries)
{
    if ((address & 0xFFu) == 0xFFu)
        return true;
    for (const QNetworkAddressEntry &e : entries)
        if (e.broadcast().toIPv4Address() == address)
            return true;
    return false;
}

void TrackboxScanner::run()
{
    m_records.clear();
    const QVector<unsigned> addresses = targets();
    if (addresses.isEmpty())
        return;

    IOManagerUdp channel;
    for (unsigned address : addresses) {
        channel.setTarget(address, m_port);
        if (channel.sendOnly("quorix2 get system version") != 0)
            return;
    }
    unsigned onlyFrom = 0;
    if (m_target != AllSubnets && m_target != LocalOnly
        && !isBroadcastTarget(m_target, usableAddressEntries(false) + usableAddressEntries(true)))
        onlyFrom = m_target;
    listen(channel, onlyFrom);

    for (TrackboxRecord &record : m_records) {
        if (m_stop)
            break;
        channel.setTarget(record.ip, m_port);
        const Peer peer{record.ip, 0};
        QByteArray value;
        TrackboxRecord::setField(record.hostName,
                                 query(channel, peer, "system hostname", &value) ? value : QByteArray(Unknown));
        QByteArray model = "0";
        if (query(channel, peer, "system model", &value))
            model = value;
        readDetails(channel, peer, model, &record);
    }
    removeDuplicates();
}

// Collects the version replies until none has come for the reply time-out, but
// never longer than ListenLimitMs in all and never more than MaxRecords: other
// programs answering on the port must not hold the scan (and the window) up.
// With onlyFrom set (one host asked), that host's answer is all there is to wait for.
void TrackboxScanner::listen(IOManagerUdp &channel, unsigned onlyFrom)
{
    std::set<unsigned> seen;
    QElapsedTimer clock;
    clock.start();
    channel.setReceiveOnly(true);
    char value[IOManager::BufferSize];
    while (!m_stop && m_records.size() < MaxRecords) {
        const qint64 left = ListenLimitMs - clock.elapsed();
        if (left <= 0)
            break;
        channel.prepareNextCommand(false, int(qMin<qint64>(left, ReplyTimeoutMs)), true);
        const int r = channel.getString(value, "system version");
        if (r == -1 || r == -2)
            break;
        if (r != 0)
            continue;   // not a version reply
        unsigned from = 0;
        channel.lastSender(&from, nullptr);
        if (onlyFrom != 0 && from != onlyFrom)
            continue;
        if (!seen.insert(from).second)
            continue;
        TrackboxRecord record;
        setAddress(&record, from);
        TrackboxRecord::setField(record.version, firstWord(value));
        m_records.append(record);
        if (onlyFrom != 0)
            break;
    }
    channel.setReceiveOnly(false);
}

// A Controller on two of our subnets answers from two addresses. Only the same
// MAC address tells for certain that two answers came from one device (two
// Controllers may share serial and host name, for example a spare set up as a
// copy), and one device gives the same serial, name and version on every
// address: then its first reply is kept. Anything less is listed twice.
void TrackboxScanner::removeDuplicates()
{
    auto same = [](const TrackboxRecord &a, const TrackboxRecord &b) {
        const QString mac = TrackboxRecord::field(a.mac).trimmed().toLower();
        return mac != QLatin1String(Unknown) && !mac.isEmpty() && mac == TrackboxRecord::field(b.mac).trimmed().toLower()
            && TrackboxRecord::field(a.serial) == TrackboxRecord::field(b.serial)
            && TrackboxRecord::field(a.hostName) == TrackboxRecord::field(b.hostName)
            && TrackboxRecord::field(a.version) == TrackboxRecord::field(b.version);
    };
    QList<TrackboxRecord> kept;
    for (const TrackboxRecord &r : qAsConst(m_records)) {
        bool duplicate = false;
        for (const TrackboxRecord &k : qAsConst(kept))
            duplicate = duplicate || same(k, r);
        if (!duplicate)
            kept << r;
    }
    m_records = kept;
}

bool TrackboxScanner::probe(unsigned ip, unsigned short port, TrackboxRecord *record, QStringList *messages)
{
    {
        // The channel cannot tell whether it got a socket: try one here first.
        Socket trial;
        if (trial.openUdp(0, Socket::AllowBroadcast | Socket::BindAnyPort) != Socket::Ok) {
            *messages << tr("cannot start udp socket");
            return false;
        }
    }
    IOManagerUdp channel;
    channel.setTarget(ip, port);
    QByteArray value;
    // The first reply on this channel's own port answers the probe, whichever
    // address of the Controller it came from; that address is the one listed
    // and the one whose further answers count.
    char buffer[IOManager::BufferSize];
    QElapsedTimer clock;
    clock.start();
    int got = channel.getString(buffer, "system version");
    while (got != 0 && got != -1 && got != -2 && clock.elapsed() < ReplyTimeoutMs) {
        channel.setReceiveOnly(true);   // something else arrived first: keep listening
        channel.prepareNextCommand(false, int(ReplyTimeoutMs - clock.elapsed()), true);
        got = channel.getString(buffer, "system version");
        channel.setReceiveOnly(false);
    }
    if (got != 0) {
        *messages << tr("no connection to Controller");
        return false;
    }
    Peer peer{ip, 0};
    channel.lastSender(&peer.answered, nullptr);
    TrackboxRecord r;
    setAddress(&r, peer.answered != 0 ? peer.answered : ip);
    TrackboxRecord::setField(r.version, firstWord(QByteArray(buffer)));
    if (!query(channel, peer, "system hostname", &value)) {
        *messages << tr("no connection to Controller");
        return false;
    }
    TrackboxRecord::setField(r.hostName, value);
    readDetails(channel, peer, QByteArray(), &r);
    *record = r;
    return true;
}

QVector<TrackboxScanner::InterfaceInfo> TrackboxScanner::systemInterfaces()
{
    QVector<InterfaceInfo> out;
    const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &i : interfaces) {
        InterfaceInfo info;
        info.valid = i.isValid();
        info.flags = i.flags();
        info.mtu = i.maximumTransmissionUnit();
        info.type = i.type();
        info.entries = i.addressEntries();
        out << info;
    }
    return out;
}

QList<QNetworkAddressEntry> TrackboxScanner::usableAddressEntries(bool loopback)
{
    return usableAddressEntries(systemInterfaces(), loopback);
}

QList<QNetworkAddressEntry> TrackboxScanner::usableAddressEntries(const QVector<InterfaceInfo> &interfaces, bool loopback)
{
    QList<QNetworkAddressEntry> out;
    for (const InterfaceInfo &i : interfaces) {
        if (!i.valid || !i.flags.testFlag(QNetworkInterface::IsRunning))
            continue;
        const bool isLoopback = i.flags.testFlag(QNetworkInterface::IsLoopBack);
        // Jumbo-frame links are left out: their broadcasts are not for us.
        if ((i.mtu < 1 || i.mtu > 8999) && !isLoopback)
            continue;
        if (isLoopback != loopback)
            continue;
        switch (i.type) {
        case QNetworkInterface::Ethernet:
        case QNetworkInterface::Wifi:
        case QNetworkInterface::CanBus:
        case QNetworkInterface::Loopback:
            break;
        default:
            continue;
        }
        for (const QNetworkAddressEntry &e : i.entries) {
            const QHostAddress address = e.ip();
            if (address.isNull() || address.protocol() != QAbstractSocket::IPv4Protocol || address.isLinkLocal())
                continue;
            const QHostAddress broadcast = broadcastOf(e, isLoopback);
            bool ok = false;
            const unsigned value = broadcast.toIPv4Address(&ok);
            if (!ok || value == 0)
                continue;
            QNetworkAddressEntry kept = e;
            kept.setBroadcast(broadcast);
            out << kept;
        }
    }
    return out;
}

// Linux gives the loopback interface no broadcast address; its subnet's
// broadcast (127.255.255.255 for 127.0.0.1/8) reaches a local service all the
// same, so it is derived from the netmask there.
QHostAddress TrackboxScanner::broadcastOf(const QNetworkAddressEntry &entry, bool loopbackInterface)
{
    if (!entry.broadcast().isNull() || !loopbackInterface)
        return entry.broadcast();
    bool ok = false;
    const unsigned address = entry.ip().toIPv4Address(&ok);
    const QHostAddress netmask = entry.netmask();
    if (!ok || netmask.isNull() || netmask.protocol() != QAbstractSocket::IPv4Protocol)
        return QHostAddress();
    return QHostAddress(address | ~netmask.toIPv4Address());
}
