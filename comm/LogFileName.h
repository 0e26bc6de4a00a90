#pragma once

#include <QString>

// The Controller's host name as a part of a file name. The Controller reports
// its name; nothing stops it from holding "/", "..", control characters or
// hundreds of bytes. Ordinary names (letters, digits, ".", "-", "_") stay as
// they are, so earlier logs are still found; every other byte is written %XX,
// which keeps two different names apart. A name too long for a file name is
// cut and ends with a hash of the whole name.
class LogFileName
{
public:
    static constexpr int MaxHostPart = 160;

    static QString hostPart(const QString &hostName);
};
