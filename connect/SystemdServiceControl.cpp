#include "SystemdServiceControl.h"

#include "ServiceStatusDispatcher.h"
#include "SystemdUnit.h"

SystemdServiceControl::SystemdServiceControl(const QString &unitName, const QString &busAddress)
    : m_unitName(unitName)
    , m_busAddress(busAddress)
{
}

QString SystemdServiceControl::unitFromEnvironment()
{
    QString name = qEnvironmentVariable(UnitVariable).trimmed();
    if (name.isEmpty())
        return QString::fromLatin1(DefaultUnit);
    // systemd wants the full name; "quorix-backend" means the service.
    if (!name.contains(QLatin1Char('.')))
        name += QStringLiteral(".service");
    return name;
}

bool SystemdServiceControl::isInstalled()
{
    SystemdUnit unit(m_busAddress, m_unitName);
    return unit.read().installed;
}

int SystemdServiceControl::currentState()
{
    SystemdUnit unit(m_busAddress, m_unitName);
    const SystemdUnit::Status status = unit.read();
    return status.installed ? status.state : int(Unknown);
}

void SystemdServiceControl::startLocalService()
{
    SystemdUnit unit(m_busAddress, m_unitName);
    const SystemdUnit::Status status = unit.read();
    if (status.installed && status.state == Stopped)
        unit.start();
}

void SystemdServiceControl::stopLocalService()
{
    SystemdUnit unit(m_busAddress, m_unitName);
    const SystemdUnit::Status status = unit.read();
    if (status.installed && status.state == Running)
        unit.stop();
}

bool SystemdServiceControl::connectStatusListener(const QByteArray &key, Listener listener)
{
    return ServiceStatusDispatcher::forService(m_busAddress, m_unitName)->connect(key, std::move(listener));
}

bool SystemdServiceControl::disconnectStatusListener(const QByteArray &key)
{
    return ServiceStatusDispatcher::forService(m_busAddress, m_unitName)->disconnect(key);
}
