#pragma once

#include <QByteArray>
#include <QString>

#include <cstring>

// One Controller found by a scan or a probe. The text fields have the fixed
// widths the rest of the front end expects; longer values are cut so that the
// terminating zero always fits.
struct TrackboxRecord
{
    char hostName[200] = {};
    char access[16] = {};
    char version[200] = {};
    char serial[16] = {};
    unsigned ip = 0;            // host byte order
    char ipText[100] = {};
    unsigned char cascadedSlave = 0;
    char mac[100] = {};
    char accessedBy[100] = {};  // who holds a Controller with access "none", when it says

    template <size_t N>
    static void setField(char (&field)[N], const QByteArray &value)
    {
        const size_t n = qMin(size_t(value.size()), N - 1);
        std::memcpy(field, value.constData(), n);
        field[n] = '\0';
    }

    template <size_t N>
    static QString field(const char (&field)[N])
    {
        return QString::fromLatin1(field, int(strnlen(field, N)));
    }
};
