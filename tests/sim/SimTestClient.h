#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QTcpSocket>

// A plain TCP client of the Controller protocol, written for the tests (it
// shares nothing with the front end's channel): zero-terminated commands,
// replies read up to their zero byte.
class SimTestClient
{
public:
    // Connects from source (so that "my_ip" is that address) to host:port.
    bool connectTo(const QString& host, quint16 port = 50105, const QString& source = QString());
    // Sends command and its zero byte; returns the reply without the zero, or "<timeout>".
    QByteArray command(const QByteArray& command, int timeoutMs = 3000);
    void sendRaw(const QByteArray& bytes);
    QByteArray readReply(int timeoutMs = 3000);
    // True when the Controller closed or reset the connection within the time.
    bool waitClosed(int timeoutMs = 3000);
    QTcpSocket& socket() { return m_socket; }

    // One UDP exchange from a socket bound to source.
    static QByteArray udpCommand(const QString& host, const QByteArray& datagram, const QString& source,
                                 int timeoutMs = 2000, quint16 port = 50105);

private:
    QTcpSocket m_socket;
    QByteArray m_buffer;
};
