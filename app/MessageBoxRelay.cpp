#include "MessageBoxRelay.h"

#include "CommandChannel.h"
#include "PlainTextBox.h"

#include <QTimer>

MessageBoxRelay::MessageBoxRelay(QObject *parent)
    : QObject(parent)
{
    connect(this, &MessageBoxRelay::sendOpenMessageBox, this, &MessageBoxRelay::displayMessageBox,
            Qt::QueuedConnection);
}

void MessageBoxRelay::openMessageBox(int type, QString title, QString text)
{
    emit sendOpenMessageBox(type, title, text);
}

// Plain text: the channel's boxes show the Controller's replies. A box asked
// for while a command waits for its reply opens once the reply is in, and a
// box that stands already is not stacked a second time.
void MessageBoxRelay::displayMessageBox(int severance, QString title, QString msg)
{
    if (m_channel && m_channel->isWaitingOnThisThread()) {
        QTimer::singleShot(50, this, [this, severance, title, msg] { displayMessageBox(severance, title, msg); });
        return;
    }
    const QString key = title + QLatin1Char('\n') + msg;
    if (m_standingBoxes.contains(key))
        return;
    m_standingBoxes.insert(key);
    if (severance == 1)
        PlainTextBox::warning(m_window, title, msg);
    else if (severance == 2)
        PlainTextBox::critical(m_window, title, msg);
    else
        PlainTextBox::information(m_window, title, msg);
    m_standingBoxes.remove(key);
}
