#pragma once

#include "TrackboxRecord.h"

#include <QHostAddress>
#include <QList>
#include <QNetworkAddressEntry>
#include <QNetworkInterface>
#include <QStringList>
#include <QThread>
#include <QVector>

#include <atomic>

class IOManagerUdp;

// Finds Controllers by broadcasting "system version" on the usable subnets (or
// to one address) and then asks each one that answered for its details. The
// exchanges run in a worker thread; scan() keeps the caller's window painted
// meanwhile. One scanner serves one scan.
class TrackboxScanner : public QThread
{
    Q_OBJECT

public:
    // What the subnet enumeration needs to know of one network interface.
    struct InterfaceInfo
    {
        bool valid = false;
        QNetworkInterface::InterfaceFlags flags;
        int mtu = 0;
        QNetworkInterface::InterfaceType type = QNetworkInterface::Unknown;
        QList<QNetworkAddressEntry> entries;
    };

    static constexpr unsigned AllSubnets = 0;
    static constexpr unsigned LocalOnly = 0xFFFFFFFFu;
    // How long one reply may take.
    static constexpr int ReplyTimeoutMs = 500;
    // Bounds of the listening phase: its whole length and the number of
    // different senders taken.
    static constexpr int ListenLimitMs = 2000;
    static constexpr int MaxRecords = 64;

    explicit TrackboxScanner(unsigned short port);
    ~TrackboxScanner() override;

    // address 0: every usable non-loopback subnet; localOnly: the loopback
    // subnets (address ignored); otherwise that one address. Records in the
    // order of the first replies.
    QList<TrackboxRecord> scan(unsigned address, bool localOnly);
    // The worker ends after the exchange in progress.
    void requestStop() { m_stop = true; }

    // Address entries with an IPv4 broadcast address on running interfaces
    // that may be scanned; loopback selects the loopback interfaces only, else
    // only the others. The broadcast of every returned entry is set.
    static QList<QNetworkAddressEntry> usableAddressEntries(bool loopback);
    static QList<QNetworkAddressEntry> usableAddressEntries(const QVector<InterfaceInfo> &interfaces, bool loopback);
    static QVector<InterfaceInfo> systemInterfaces();
    // The broadcast address that reaches the subnet of entry.
    static QHostAddress broadcastOf(const QNetworkAddressEntry &entry, bool loopbackInterface);

    // Asks one address for a Controller's details. False, with the reason in
    // messages, when no Controller answered there.
    // The record lists the address the Controller answered from.
    static bool probe(unsigned ip, unsigned short port, TrackboxRecord *record, QStringList *messages);
    // Whether a scan target reaches a subnet rather than one host: the
    // broadcast of one of entries, or an address ending in 255.
    static bool isBroadcastTarget(unsigned address, const QList<QNetworkAddressEntry> &entries);


protected:
    void run() override;

private:
    QVector<unsigned> targets() const;
    void listen(IOManagerUdp &channel, unsigned onlyFrom);
    void removeDuplicates();

    const unsigned short m_port;
    unsigned m_target = AllSubnets;
    std::atomic<bool> m_stop{false};
    QList<TrackboxRecord> m_records;
};
