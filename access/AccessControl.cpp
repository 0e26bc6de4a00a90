#include "AccessControl.h"

#include "ControllerVersion.h"
#include "IOManager.h"
#include "IOManagerUdp.h"

#include <QRegularExpression>

namespace {
// Major, minor: the first protocol version that knows the front-end password.
constexpr int MinimumMajor = 1;
constexpr int MinimumMinor = 24;

void setError(int *err, int value)
{
    if (err)
        *err = value;
}

QByteArray quoted(const QString &password)
{
    return "'" + password.toLatin1() + "'";
}
}

AccessControl::AccessControl(unsigned ip, unsigned short port)
    : m_ip(ip), m_port(port == 0 ? DefaultPort : port)
{
}

AccessControl::~AccessControl() = default;

bool AccessControl::isValidPassword(const QString &password)
{
    static const QRegularExpression rule(QStringLiteral("\\A[0-9a-zA-Z_\\-\\+./]+\\z"));
    return rule.match(password).hasMatch();
}

bool AccessControl::query(const QByteArray &parameter, QByteArray *value) const
{
    if (m_ip == 0)
        return false;   // no address: nothing is sent
    // A fresh channel per query: nothing lingers between the checks.
    IOManagerUdp channel(nullptr);
    channel.setTarget(m_ip, m_port);
    char text[IOManager::BufferSize] = {};
    if (channel.getString(text, "%s", parameter.constData()) != 0)
        return false;
    *value = QByteArray(text).trimmed();
    return true;
}

bool AccessControl::readProtocolVersion(int *err)
{
    if (m_versionRead)
        return true;
    QByteArray value;
    if (!query("system protocol_version", &value)) {
        setError(err, NoAnswer);
        return false;
    }
    // The first word, e.g. "v1.24.0" or "v1.30-beta"; a text that cannot be read counts as too old.
    m_protocol = ControllerVersion::parseValue(QString::fromLatin1(value));
    m_versionRead = true;
    return true;
}

bool AccessControl::supportsPassword() const
{
    return m_protocol.isAtLeast(MinimumMajor, MinimumMinor);
}

AccessControl::Answer AccessControl::isFrontendPassword(const QByteArray &candidate) const
{
    QByteArray value;
    if (!query("config is_frontend_password " + candidate, &value))
        return Answer::Other;
    if (value == "yes")
        return Answer::Yes;
    if (value == "no")
        return Answer::No;
    return Answer::Other;
}

bool AccessControl::isPasswordSet(int *err)
{
    if (!readProtocolVersion(err))
        return false;
    setError(err, NoError);
    if (!supportsPassword())
        return false;
    // Asks whether the empty password is the valid one.
    switch (isFrontendPassword("none")) {
    case Answer::No:
        return true;
    case Answer::Yes:
        return false;
    case Answer::Other:
        break;
    }
    setError(err, NoAnswer);
    return false;
}

bool AccessControl::verifyPassword(QString password, int *err)
{
    if (!readProtocolVersion(err))
        return false;
    setError(err, NoError);
    if (!supportsPassword())
        return false;
    // The rule also keeps quotes and blanks out of the command text.
    if (!isValidPassword(password)) {
        setError(err, InvalidPassword);
        return false;
    }
    switch (isFrontendPassword(quoted(password))) {
    case Answer::Yes:
        return true;
    case Answer::No:
        setError(err, WrongPassword);
        return false;
    case Answer::Other:
        break;
    }
    setError(err, NoAnswer);
    return false;
}

bool AccessControl::changePassword(QString newPassword, QString currentPassword, IOManager *channel,
                                   int *err)
{
    if (!readProtocolVersion(err))
        return false;
    setError(err, NoError);
    if (!supportsPassword())
        return false;

    // A lost answer is reported as such, not as a wrong password.
    bool allowed = false;
    switch (isFrontendPassword("none")) {
    case Answer::Yes:
        allowed = true;
        break;
    case Answer::No:
        if (isValidPassword(currentPassword)) {
            const Answer current = isFrontendPassword(quoted(currentPassword));
            if (current == Answer::Other) {
                setError(err, NoAnswer);
                return false;
            }
            allowed = current == Answer::Yes;
        }
        break;
    case Answer::Other:
        setError(err, NoAnswer);
        return false;
    }
    if (!allowed) {
        setError(err, WrongPassword);
        return false;
    }

    if (!newPassword.isEmpty() && !isValidPassword(newPassword)) {
        setError(err, InvalidPassword);
        return false;
    }
    if (!channel) {
        setError(err, NoAnswer);
        return false;
    }

    const int r = newPassword.isEmpty()
        ? channel->setParameter("config new_frontend_password none")
        : channel->setParameter("config new_frontend_password '%s'", newPassword.toLatin1().constData());
    if (r != 0) {
        setError(err, NoAnswer);
        return false;
    }
    return true;
}
