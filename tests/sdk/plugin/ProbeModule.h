#pragma once

#include "DockModule.h"
#include "MessageReceiver.h"
#include "Requester.h"

#include <QLabel>
#include <QObject>
#include <QPointer>

// A module as a third party would write it: compiled against the SDK folder
// alone, it shows what reaches it from the host in its dock's label.
class ProbeModule : public QObject, public DockModule, public Requester, public MessageReceiver
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "Quorix2.SdkProbeModule")
    Q_INTERFACES(ModuleInterface)

public:
    ~ProbeModule() override { destroyWidgets(); }

    void detachFromController() override;
    QString moduleName() override { return QStringLiteral("SDK Probe"); }
    QString moduleVersion() override { return versionText(2, 3, 4); }

    int onData(const char *, const char *) override { return 0; }
    void onMeasurementStarted() override { show(QStringLiteral("measuring")); }
    void onMeasurementStopped() override { show(QStringLiteral("idle")); }
    int receive(int type, const char *sender, const char *text) override;

protected:
    Dock describeDock() override;
    QWidget *createContent() override;

private:
    void show(const QString &text);

    QPointer<QLabel> m_label;
};
