#pragma once

#include "Socket.h"

#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>

class QPushButton;

// Tells the user that the Controller stopped answering. From protocol 1.12 on
// it offers Reconnect: enabled as soon as the Controller connected last
// answers again with full access, or when the countdown has run out.
class ConnectionLostBox : public QMessageBox
{
    Q_OBJECT

public:
    ConnectionLostBox(const QString &address, bool canReconnect, int countdownS, QWidget *parent);

    bool reconnectChosen() const;

public slots:
    void testReconnectPossible();

private:
    void setReconnectText(const QString &text);

    Socket m_socket;
    unsigned m_ip = 0;
    int m_countdownS;
    QElapsedTimer m_clock;
    QPointer<QPushButton> m_reconnect;
};
