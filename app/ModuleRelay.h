#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>

class IOManager;
class MainAppMessageReceiver;
class ModuleHost;
class Preferences;

// What the host tells its modules, and what modules ask each other through
// the host: every message goes out on the module's channel as "Quorix2",
// type 1, its text converted to Latin-1.
class ModuleRelay : public QObject
{
    Q_OBJECT

public:
    ModuleRelay(IOManager *channel, const ModuleHost *host, QObject *parent = nullptr);

    // The requests of modules that go to other modules.
    void listenTo(MainAppMessageReceiver *receiver);
    // The version and option messages of the start-up, around the version list.
    void sendStartupMessages(const Preferences &prefs, const QString &versionList);
    void announceTheme(bool dark);
    void relay(const char *channel, const QString &text);

public slots:
    void onReceiveMonitor2dTabChanged(QString text);
    void onReceiveMonitor2dMostActiveChanged(QString text);
    void onReceiveOpenBodyCalDialog(QString text);
    void onReceiveOpenBodyAdjustmentDialog(QString text);
    void onReceiveOpenHybridBodyCalibrationDialog(QString text);
    void onReceiveCloseHybridBodyCalibrationDialog();
    void onReceiveCloseBodyCalDialog();
    void onReceiveCloseBodyAdjustmentDialog();
    void notify_body_admin();

signals:
    // Between the start-up messages: for the service dialog.
    void sendLastFeUpdateDate(QDateTime date);
    void sendVersionFeAndModules(QString text);

private:
    IOManager *m_channel;
    const ModuleHost *m_host;
};
