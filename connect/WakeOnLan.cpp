#include "WakeOnLan.h"

#include "Socket.h"

#include <QHostAddress>
#include <QNetworkAddressEntry>
#include <QRegularExpression>
#include <QStringList>

bool WakeOnLan::parseMac(const QString &text, QByteArray *mac)
{
    const QStringList parts = text.split(':', Qt::SkipEmptyParts);
    if (parts.size() != 6)
        return false;
    // One or two hex digits per group: a longer group would silently wake a
    // different machine if it were cut to its low byte.
    static const QRegularExpression group(QStringLiteral("\\A[0-9A-Fa-f]{1,2}\\z"));
    QByteArray bytes;
    for (const QString &part : parts) {
        if (!group.match(part).hasMatch())
            return false;
        bytes.append(char(part.toUInt(nullptr, 16)));
    }
    if (mac)
        *mac = bytes;
    return true;
}

QByteArray WakeOnLan::magicPacket(const QByteArray &mac)
{
    QByteArray packet(6, char(0xFF));
    for (int i = 0; i < 16; ++i)
        packet.append(mac);
    return packet;
}

bool WakeOnLan::isLoopbackOnly(QNetworkInterface::InterfaceFlags flags)
{
    // The one place where Linux differs: Qt reports lo as up and running
    // besides loopback (and with a broadcast address of 127.255.255.255), so a
    // test for "loopback alone" must ignore the state flags, else the loopback
    // would be a broadcast destination.
    const QNetworkInterface::InterfaceFlags role =
        flags & ~(QNetworkInterface::IsUp | QNetworkInterface::IsRunning);
    return role == QNetworkInterface::IsLoopBack;
}

unsigned WakeOnLan::chooseDestination(unsigned controllerIp, const QVector<InterfaceEntry> &entries)
{
    // An unknown address belongs to no subnet.
    if (controllerIp == 0)
        return LimitedBroadcast;
    for (const InterfaceEntry &e : entries) {
        if (isLoopbackOnly(e.flags) || e.broadcast == 0)
            continue;
        if ((controllerIp & e.netmask) == (e.broadcast & e.netmask))
            return e.broadcast;
    }
    return LimitedBroadcast;
}

QVector<WakeOnLan::InterfaceEntry> WakeOnLan::systemInterfaceEntries()
{
    QVector<InterfaceEntry> entries;
    const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &iface : interfaces) {
        if (!iface.isValid())
            continue;
        const QList<QNetworkAddressEntry> addresses = iface.addressEntries();
        for (const QNetworkAddressEntry &a : addresses) {
            if (a.ip().protocol() != QAbstractSocket::IPv4Protocol)
                continue;
            InterfaceEntry e;
            e.flags = iface.flags();
            e.address = a.ip().toIPv4Address();
            e.netmask = a.netmask().toIPv4Address();
            // Entries without an IPv4 broadcast (point-to-point links) keep 0.
            e.broadcast = a.broadcast().protocol() == QAbstractSocket::IPv4Protocol
                ? a.broadcast().toIPv4Address() : 0;
            entries.append(e);
        }
    }
    return entries;
}

bool WakeOnLan::sendPacket(const QByteArray &packet, unsigned destination, const QVector<quint16> &ports)
{
    Socket socket;
    if (socket.openUdp(0, Socket::AllowBroadcast) != Socket::Ok)
        return false;
    for (const quint16 port : ports)
        socket.udpSendTo(packet.constData(), size_t(packet.size()), destination, port, 1000);
    socket.close();
    return true;
}

bool WakeOnLan::wake(const QString &macText, unsigned controllerIp)
{
    QByteArray mac;
    if (!parseMac(macText, &mac))
        return false;
    const unsigned destination = chooseDestination(controllerIp, systemInterfaceEntries());
    return sendPacket(magicPacket(mac), destination, {7, 9});
}
