#include "ConnectionLostBox.h"

#include "UdpQuery.h"

#include "AccessControl.h"

#include <QPushButton>
#include <QTimer>

#include <cstring>

ConnectionLostBox::ConnectionLostBox(const QString &address, bool canReconnect, int countdownS, QWidget *parent)
    : QMessageBox(QMessageBox::Critical, tr("Command Error"), tr("Connection to Controller lost.\nQUORIX4 will be closed."),
                  QMessageBox::NoButton, parent)
    , m_countdownS(countdownS)
{
    setDefaultButton(addButton(QMessageBox::Ok));
    if (canReconnect) {
        m_reconnect = addButton(QStringLiteral("%1 (%2)").arg(tr("Reconnect")).arg(m_countdownS), QMessageBox::ActionRole);
        m_reconnect->setEnabled(false);
    }
    setFixedWidth(300);
    if (canReconnect) {
        // Only the reconnect probe needs a socket and the address.
        m_socket.openUdp(0, Socket::BindAnyPort);
        m_ip = Socket::resolve(address.toLatin1().constData());
        QTimer::singleShot(100, this, &ConnectionLostBox::testReconnectPossible);
        m_clock.start();
    }
}

bool ConnectionLostBox::reconnectChosen() const
{
    return m_reconnect && clickedButton() == m_reconnect;
}

// The button keeps its width while its text changes, so the box does not jump.
void ConnectionLostBox::setReconnectText(const QString &text)
{
    const int width = m_reconnect->width();
    m_reconnect->setText(text);
    m_reconnect->setFixedWidth(width);
}

void ConnectionLostBox::testReconnectPossible()
{
    if (!m_reconnect || !isVisible())
        return;
    static const char query[] = "quorix2 get system access";
    int nextMs = 500;
    QByteArray reply;
    const int r = UdpQuery::ask(m_socket, m_ip, AccessControl::DefaultPort, query, 100000, &reply);
    if (r == UdpQuery::Answered && reply == "quorix2 set system access full") {
        setReconnectText(tr("&Reconnect"));
        m_reconnect->setEnabled(true);
        return;
    }
    if (r == UdpQuery::NoAnswer)
        nextMs = 900;
    const qint64 remainingMs = qint64(m_countdownS) * 1000 - m_clock.elapsed();
    if (remainingMs < 1) {
        setReconnectText(tr("&Reconnect"));
        return;
    }
    setReconnectText(QStringLiteral("%1 (%2)").arg(tr("&Reconnect")).arg((remainingMs + 999) / 1000));
    QTimer::singleShot(nextMs, this, &ConnectionLostBox::testReconnectPossible);
}
