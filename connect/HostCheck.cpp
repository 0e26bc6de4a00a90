#include "HostCheck.h"

#include "Socket.h"

#include <QStringList>

bool HostCheck::parseDotted(const QString &text, unsigned *ip)
{
    const QStringList parts = text.simplified().split(QLatin1Char('.'));
    if (parts.size() != 4)
        return false;
    unsigned value = 0;
    for (const QString &part : parts) {
        if (part.isEmpty() || part.size() > 3)
            return false;
        for (const QChar c : part)
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return false;
        const unsigned octet = part.toUInt();
        if (octet > 255)
            return false;
        value = (value << 8) | octet;
    }
    *ip = value;
    return true;
}

QString HostCheck::dotted(unsigned ip)
{
    return QStringLiteral("%1.%2.%3.%4").arg(ip >> 24).arg((ip >> 16) & 0xff).arg((ip >> 8) & 0xff).arg(ip & 0xff);
}

unsigned HostCheck::check(const QString &text, QString *error)
{
    if (text.isEmpty()) {
        *error = tr("Invalid empty hostname");
        return 0;
    }
    unsigned ip = 0;
    if (parseDotted(text, &ip)) {
        const unsigned last = ip & 0xff;
        if (last < 1 || last > 254) {
            *error = tr("Invalid last octet (1..254).");
            return 0;
        }
        return ip;
    } else {
        bool numbersOnly = true;
        for (const QChar c : text)
            if (c != QLatin1Char('.') && (c < QLatin1Char('0') || c > QLatin1Char('9')))
                numbersOnly = false;
        if (numbersOnly) {
            *error = tr("Invalid numbers-only hostname.");
            return 0;
        }
    }
    // Names only: a dotted text never reaches the resolver, which would read
    // leading zeros as octal.
    ip = Socket::resolve(text.toLatin1().constData());
    if (ip == 0)
        *error = tr("Unable to resolve hostname.");
    return ip;
}
