#include "ModuleRelay.h"

#include "IOManager.h"
#include "MainAppMessageReceiver.h"
#include "ModuleHost.h"
#include "Preferences.h"
#include "Version.h"

ModuleRelay::ModuleRelay(IOManager *channel, const ModuleHost *host, QObject *parent)
    : QObject(parent)
    , m_channel(channel)
    , m_host(host)
{
}

void ModuleRelay::listenTo(MainAppMessageReceiver *receiver)
{
    using R = MainAppMessageReceiver;
    connect(receiver, &R::receiveMonitor2dTabChanged, this, &ModuleRelay::onReceiveMonitor2dTabChanged);
    connect(receiver, &R::receiveMonitor2dMostActiveChanged, this, &ModuleRelay::onReceiveMonitor2dMostActiveChanged);
    connect(receiver, &R::receiveOpenBodyCalDialog, this, &ModuleRelay::onReceiveOpenBodyCalDialog);
    connect(receiver, &R::receiveOpenBodyAdjustmentDialog, this, &ModuleRelay::onReceiveOpenBodyAdjustmentDialog);
    connect(receiver, &R::receiveOpenHybridBodyCalDialog, this, &ModuleRelay::onReceiveOpenHybridBodyCalibrationDialog);
    connect(receiver, &R::receiveCloseHybridBodyCalDialog, this,
            &ModuleRelay::onReceiveCloseHybridBodyCalibrationDialog);
    connect(receiver, &R::receiveCloseBodyCalDialog, this, &ModuleRelay::onReceiveCloseBodyCalDialog);
    connect(receiver, &R::receiveCloseBodyAdjustmentDialog, this, &ModuleRelay::onReceiveCloseBodyAdjustmentDialog);
}

void ModuleRelay::sendStartupMessages(const Preferences &prefs, const QString &versionList)
{
    const QString version =
        QStringLiteral("v%1.%2.%3").arg(QuorixVersion::Major).arg(QuorixVersion::Minor).arg(QuorixVersion::Patch);
    relay("ServiceModule", version);
    relay("UpdateModule", version);
    relay("ConfigurationsModule", prefs.autoBackup ? version : QStringLiteral("no_auto_backup"));
    emit sendLastFeUpdateDate(prefs.lastFrontendUpdate);
    emit sendVersionFeAndModules(versionList);
    relay("CameraSettingsModule", prefs.showDynamicReflexSuppression ? QStringLiteral("ShowDynReflexSuppr")
                                                                      : QStringLiteral("HideDynReflexSuppr"));
    relay("UpdateModule", prefs.notifyOldFrontendOrBackend ? QStringLiteral("CheckForOldFrontendOrBackend")
                                                            : QStringLiteral("NotCheckForOldFrontendOrBackend"));
    announceTheme(prefs.darkTheme);
}

void ModuleRelay::announceTheme(bool dark)
{
    relay("UpdateModule", dark ? QStringLiteral("DarkThemeEnabled") : QStringLiteral("DarkThemeDisabled"));
}

void ModuleRelay::relay(const char *channel, const QString &text)
{
    m_channel->sendMessage(channel, "Quorix2", 1, text.toLatin1().constData());
}

void ModuleRelay::onReceiveMonitor2dTabChanged(QString text)
{
    relay("RoomCalModule", text);
}

void ModuleRelay::onReceiveMonitor2dMostActiveChanged(QString text)
{
    relay("RoomCalModule", text);
}

void ModuleRelay::onReceiveOpenBodyCalDialog(QString text)
{
    relay("BodyCalModule", text);
}

void ModuleRelay::onReceiveOpenBodyAdjustmentDialog(QString text)
{
    relay("BodyAdjustmentModule", text);
}

void ModuleRelay::onReceiveOpenHybridBodyCalibrationDialog(QString text)
{
    relay("HybridBodyCalibration", text);
}

void ModuleRelay::onReceiveCloseHybridBodyCalibrationDialog()
{
    relay("HybridBodyCalibration", QStringLiteral("close dialog"));
}

void ModuleRelay::onReceiveCloseBodyCalDialog()
{
    relay("BodyAdministrationModule", QStringLiteral("close dialog"));
}

void ModuleRelay::onReceiveCloseBodyAdjustmentDialog()
{
    relay("BodyAdministrationModule", QStringLiteral("close dialog"));
}

void ModuleRelay::notify_body_admin()
{
    if (m_host->isLoaded(QStringLiteral("GUI Body Calibration")))
        relay("BodyAdministrationModule", QStringLiteral("bodycalibration available"));
    if (m_host->isLoaded(QStringLiteral("GUI Body Adjustment")))
        relay("BodyAdministrationModule", QStringLiteral("bodyadjustment available"));
}
