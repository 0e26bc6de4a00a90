#include "LogFileName.h"

#include <QCryptographicHash>

QString LogFileName::hostPart(const QString &hostName)
{
    QString out;
    const QByteArray bytes = hostName.toUtf8();
    for (const char c : bytes) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.'
            || c == '-' || c == '_';
        if (plain)
            out += QLatin1Char(c);
        else
            out += QStringLiteral("%%1").arg(uint(static_cast<unsigned char>(c)), 2, 16, QLatin1Char('0')).toUpper();
    }
    if (out.size() > MaxHostPart) {
        const QByteArray hash = QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex().left(12);
        out = out.left(MaxHostPart - hash.size() - 1) + QLatin1Char('~') + QString::fromLatin1(hash);
    }
    return out;
}
