#pragma once

#include <QCoreApplication>
#include <QString>

// Checks what the user typed as a Controller's host: a dotted IPv4 address or
// a host name. Addresses are unsigned numbers in host byte order, 0 for none.
class HostCheck
{
    Q_DECLARE_TR_FUNCTIONS(HostCheck)

public:
    // Four decimal parts split at ".", each at most 255, after simplifying
    // white space. False for anything else.
    static bool parseDotted(const QString &text, unsigned *ip);
    // The address written as four decimal parts.
    static QString dotted(unsigned ip);
    // The address, or 0 with the reason in error: empty text, a last octet
    // outside 1..254, a name made of digits and dots only, or no resolution.
    static unsigned check(const QString &text, QString *error);
};
