#include "TrackboxScanner.h"

#include "ControllerSerial.h"
#include "HostCheck.h"
#include "IOManagerUdp.h"
#include "IOManagerUdpTcp.h"
#include "Socket.h"

#include <QCoreApplication>

#include <set>

namespace {

const char Unknown[] = "unknown";

QByteArray firstWord(const QByteArray &text)
{
    const QList<QByteArray> words = text.simplified().split(' ');
    return words.isEmpty() ? QByteArray() : words.first();
}

// One get to the Controller at ip. A datagram from another sender (a late
// answer of another Controller, or a second answer to the broadcast) is not
// this Controller's reply: it is passed over and the next one read.
bool query(IOManagerUdp &channel, unsigned ip, const char *parameter, QByteArray *value)
{
    char buffer[IOManager::BufferSize];
    int r = channel.getString(buffer, "%s", parameter);
    for (int strays = 0;; ++strays) {
        if (r == -1 || r == -2)
            return false;   // no datagram at all
        unsigned from = 0;
        channel.lastSender(&from, nullptr);
        if (from == ip) {
            if (r != 0)
                return false;
            *value = QByteArray(buffer);
            return true;
        }
        if (strays == 3)
            return false;
        channel.setReceiveOnly(true);
        r = channel.getString(buffer, "%s", parameter);
        channel.setReceiveOnly(false);
    }
}

// Serial, access, cascade flag and MAC; model is empty when it was not asked,
// and then the serial is taken as it is.
void readDetails(IOManagerUdp &channel, unsigned ip, const QByteArray &model, TrackboxRecord *record)
{
    QByteArray value;
    QByteArray serial = Unknown;
    if (query(channel, ip, "system controller_serial", &value)) {
        serial = value;
        // Model 2 prints its serials as S and eight digits.
        if (model == "2")
            serial = ControllerSerial::model2(QString::fromLatin1(value)).toLatin1();
    }
    TrackboxRecord::setField(record->serial, serial);

    QByteArray protocol = "v0.0";
    if (query(channel, ip, "system protocol_version", &value))
        protocol = firstWord(value);

    QByteArray access = Unknown;
    if (query(channel, ip, "system access", &value))
        access = value;
    TrackboxRecord::setField(record->access, access);

    // Only a Controller held by another front end can be a cascade slave, and
    // only protocols from 1.7 on know the question.
    if (access == "none" && IOManagerUdpTcp::isVersionAtLeast(protocol.constData(), "v1.7")
        && query(channel, ip, "system slave", &value) && value == "yes")
        record->cascadedSlave = 1;
    // Who holds it, so that the list can say so; known from protocol 1.1 on.
    if (access == "none" && IOManagerUdpTcp::isVersionAtLeast(protocol.constData(), "v1.1")
        && query(channel, ip, "system accessed_by", &value))
        TrackboxRecord::setField(record->accessedBy, value);

    QByteArray mac = Unknown;
    if (IOManagerUdpTcp::isVersionAtLeast(protocol.constData(), "v1.9") && query(channel, ip, "system ethernet_mac", &value))
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
    return out;
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
    listen(channel);

    for (TrackboxRecord &record : m_records) {
        if (m_stop)
            break;
        channel.setTarget(record.ip, m_port);
        QByteArray value;
        TrackboxRecord::setField(record.hostName,
                                 query(channel, record.ip, "system hostname", &value) ? value : QByteArray(Unknown));
        QByteArray model = "0";
        if (query(channel, record.ip, "system model", &value))
            model = value;
        readDetails(channel, record.ip, model, &record);
    }
    removeDuplicates();
}

// Collects the version replies until none has come for the channel's time-out.
void TrackboxScanner::listen(IOManagerUdp &channel)
{
    std::set<unsigned> seen;
    channel.setReceiveOnly(true);
    char value[IOManager::BufferSize];
    while (!m_stop) {
        const int r = channel.getString(value, "system version");
        if (r == -1 || r == -2)
            break;
        if (r != 0)
            continue;   // not a version reply
        unsigned from = 0;
        channel.lastSender(&from, nullptr);
        if (!seen.insert(from).second)
            continue;
        TrackboxRecord record;
        setAddress(&record, from);
        TrackboxRecord::setField(record.version, firstWord(value));
        m_records.append(record);
    }
    channel.setReceiveOnly(false);
}

// A Controller on two of our subnets answers from two addresses. The same
// serial under the same host name is the same Controller: keep its first reply.
void TrackboxScanner::removeDuplicates()
{
    QList<TrackboxRecord> kept;
    for (const TrackboxRecord &r : qAsConst(m_records)) {
        const QString serial = TrackboxRecord::field(r.serial);
        bool duplicate = false;
        if (serial != QLatin1String(Unknown) && !serial.isEmpty()) {
            for (const TrackboxRecord &k : qAsConst(kept))
                if (TrackboxRecord::field(k.serial) == serial
                    && TrackboxRecord::field(k.hostName) == TrackboxRecord::field(r.hostName))
                    duplicate = true;
        }
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
    TrackboxRecord r;
    setAddress(&r, ip);
    QByteArray value;
    if (!query(channel, ip, "system version", &value)) {
        *messages << tr("no connection to Controller");
        return false;
    }
    TrackboxRecord::setField(r.version, firstWord(value));
    if (!query(channel, ip, "system hostname", &value)) {
        *messages << tr("no connection to Controller");
        return false;
    }
    TrackboxRecord::setField(r.hostName, value);
    readDetails(channel, ip, QByteArray(), &r);
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
