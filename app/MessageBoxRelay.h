#pragma once

#include "MessageBoxProvider.h"

#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QWidget>

class CommandChannel;

// Opens the boxes the command channel asks for, from any thread, in the GUI
// thread. It exists before the main window (the connection is made first) and
// parents its boxes to the window once there is one.
class MessageBoxRelay : public QObject, public MessageBoxProvider
{
    Q_OBJECT

public:
    explicit MessageBoxRelay(QObject *parent = nullptr);

    // The channel whose waits a box must not interrupt.
    void setChannel(CommandChannel *channel) { m_channel = channel; }
    void setWindow(QWidget *window) { m_window = window; }

    void openMessageBox(int type, QString title, QString text) override;

signals:
    void sendOpenMessageBox(int severance, QString title, QString msg);

public slots:
    void displayMessageBox(int severance, QString title, QString msg);

private:
    CommandChannel *m_channel = nullptr;
    QPointer<QWidget> m_window;
    QSet<QString> m_standingBoxes;   // title and text of the boxes open now
};
