#pragma once

#include "ControllerVersion.h"

#include <QByteArray>
#include <QString>

class IOManager;

// The Controller's front-end password: whether one is set, checking a
// candidate, setting or removing it. The checks use short-lived UDP channels,
// so they work before the main command channel exists.
class AccessControl
{
public:
    static constexpr unsigned short DefaultPort = 50105;

    // Error codes written through the err pointers.
    enum Error {
        NoError = 0,
        NoAnswer = -12,         // the Controller did not answer as expected
        WrongPassword = -21,
        InvalidPassword = -22   // the text breaks the password rule
    };

    // ip in host byte order; port 0 stands for DefaultPort.
    AccessControl(unsigned ip, unsigned short port = 0);
    virtual ~AccessControl();

    unsigned ip() const { return m_ip; }
    unsigned short port() const { return m_port; }

    // Controllers older than protocol 1.24 have no password: false with err 0.
    bool isPasswordSet(int *err = nullptr);
    bool verifyPassword(QString password, int *err = nullptr);
    // An empty newPassword removes the protection. The set command goes over
    // the main channel; without one nothing is sent and the result is false.
    bool changePassword(QString newPassword, QString currentPassword, IOManager *channel,
                        int *err = nullptr);

    // Letters, digits and _ - + . / only, at least one character.
    static bool isValidPassword(const QString &password);

private:
    enum class Answer { Yes, No, Other };

    // False when the version cannot be read (err is then NoAnswer).
    bool readProtocolVersion(int *err);
    bool supportsPassword() const;
    bool query(const QByteArray &parameter, QByteArray *value) const;
    Answer isFrontendPassword(const QByteArray &quotedPassword) const;

    unsigned m_ip;
    unsigned short m_port;
    bool m_versionRead = false;
    ControllerVersion m_protocol{0, 0, -1};
};
