#pragma once

#include "MessageReceiver.h"

#include <QObject>

// The host application's receiver on the channels "GlobalEvent" and
// "Main_Window": turns messages from modules into signals for the main window.
class MainAppMessageReceiver : public QObject, public MessageReceiver
{
    Q_OBJECT

public:
    explicit MainAppMessageReceiver(QObject *parent = nullptr);

    int receive(int type, const char *sender, const char *text) override;

signals:
    void receiveConfigurationChanged(QString text);
    void receiveAppReadyToShutdown();
    void receiveMonitor2dTabChanged(QString text);
    void receiveMonitor2dMostActiveChanged(QString text);
    void receiveOpenBodyCalDialog(QString text);
    void receiveOpenBodyAdjustmentDialog(QString text);
    void receiveCloseBodyCalDialog();
    void receiveCloseBodyAdjustmentDialog();
    void receiveOpenHybridBodyCalDialog(QString text);
    void receiveCloseHybridBodyCalDialog();
    void receiveSetOnlyDisplay(bool onlyDisplay);
    void receiveInertialChanged(QString text);
};
