#include "SimTestClient.h"

#include <QElapsedTimer>
#include <QNetworkDatagram>
#include <QUdpSocket>

bool SimTestClient::connectTo(const QString& host, quint16 port, const QString& source)
{
    if (!source.isEmpty() && !m_socket.bind(QHostAddress(source), 0))
        return false;
    m_socket.connectToHost(host, port);
    return m_socket.waitForConnected(3000);
}

void SimTestClient::sendRaw(const QByteArray& bytes)
{
    m_socket.write(bytes);
    m_socket.waitForBytesWritten(1000);
}

QByteArray SimTestClient::readReply(int timeoutMs)
{
    QElapsedTimer t;
    t.start();
    for (;;) {
        const int zero = m_buffer.indexOf('\0');
        if (zero >= 0) {
            const QByteArray reply = m_buffer.left(zero);
            m_buffer.remove(0, zero + 1);
            return reply;
        }
        const qint64 left = timeoutMs - t.elapsed();
        if (left <= 0 || m_socket.state() != QAbstractSocket::ConnectedState)
            return QByteArrayLiteral("<timeout>");
        if (m_socket.bytesAvailable() == 0)
            m_socket.waitForReadyRead(int(left));
        m_buffer.append(m_socket.readAll());
    }
}

QByteArray SimTestClient::command(const QByteArray& command, int timeoutMs)
{
    sendRaw(command + '\0');
    return readReply(timeoutMs);
}

bool SimTestClient::waitClosed(int timeoutMs)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < timeoutMs) {
        if (m_socket.state() == QAbstractSocket::UnconnectedState)
            return true;
        m_socket.waitForReadyRead(50);
        m_socket.readAll();
    }
    return m_socket.state() == QAbstractSocket::UnconnectedState;
}

QByteArray SimTestClient::udpCommand(const QString& host, const QByteArray& datagram, const QString& source,
                                     int timeoutMs, quint16 port)
{
    QUdpSocket s;
    if (!s.bind(QHostAddress(source), 0))
        return QByteArrayLiteral("<bind failed>");
    s.writeDatagram(datagram, QHostAddress(host), port);
    if (!s.waitForReadyRead(timeoutMs))
        return QByteArrayLiteral("<timeout>");
    QByteArray reply = s.receiveDatagram().data();
    if (!reply.endsWith('\0'))
        return QByteArrayLiteral("<no zero byte>") + reply;
    reply.chop(1);
    return reply;
}
