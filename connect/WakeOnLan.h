#pragma once

#include <QByteArray>
#include <QNetworkInterface>
#include <QString>
#include <QVector>

// Wakes a Controller that is off but powered: one magic packet, broadcast on
// the subnet the Controller lives in. The steps are separate so that the
// choice of destination can be checked with interface entries handed in.
class WakeOnLan
{
public:
    static constexpr int PacketSize = 102;
    static constexpr unsigned LimitedBroadcast = 0xFFFFFFFFu;

    // One address entry of a network interface. Addresses in host byte order;
    // broadcast 0 means the entry has no IPv4 broadcast address.
    struct InterfaceEntry
    {
        QNetworkInterface::InterfaceFlags flags;
        unsigned address = 0;
        unsigned netmask = 0;
        unsigned broadcast = 0;
    };

    // Six hexadecimal groups separated by ":" (empty groups are skipped, so a
    // doubled ":" is harmless). False for anything else, "-" separators included.
    static bool parseMac(const QString &text, QByteArray *mac);
    // 0xFF six times, then the six MAC bytes sixteen times.
    static QByteArray magicPacket(const QByteArray &mac);

    // The broadcast address of the subnet that holds controllerIp, else the
    // limited broadcast. Interfaces that are only loopback are passed over.
    static unsigned chooseDestination(unsigned controllerIp, const QVector<InterfaceEntry> &entries);
    static bool isLoopbackOnly(QNetworkInterface::InterfaceFlags flags);
    // The address entries of this machine's valid interfaces.
    static QVector<InterfaceEntry> systemInterfaceEntries();

    // Sends the packet to destination on each port; a failed send is not an
    // error. False only when no socket could be had.
    static bool sendPacket(const QByteArray &packet, unsigned destination, const QVector<quint16> &ports);

    // The whole wake-up: parse, choose on this machine's interfaces, send to
    // ports 7 and 9. False when the MAC is malformed or no socket could be had.
    static bool wake(const QString &macText, unsigned controllerIp);
};
