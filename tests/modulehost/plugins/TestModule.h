#pragma once

#include "ModuleInterface.h"

#include <QObject>

// One small module, built several times with a different TEST_MODULE_KIND, so
// that the host meets each way of contributing to the window.
class TestModule : public QObject, public ModuleInterface
{
    Q_OBJECT
#ifdef TEST_MODULE_CENTRAL
    Q_PLUGIN_METADATA(IID "Quorix2.TestModule" FILE "central.json")
#else
    Q_PLUGIN_METADATA(IID "Quorix2.TestModule")
#endif
    Q_INTERFACES(ModuleInterface)

public:
    ~TestModule() override;
    void detachFromController() override;
    void destroyWidgets() override;
    QString moduleName() override;
    QString moduleVersion() override;
    QList<ModuleWidgetEntry *> moduleWidgets() override;
    void setModuleProperty(QString name, QVariant value) override;

private:
    void record(const QString &call);

    QWidget *m_parent = nullptr;
    ModuleWidgetEntry m_entry;
    QList<ModuleWidgetEntry *> m_entries;
};
