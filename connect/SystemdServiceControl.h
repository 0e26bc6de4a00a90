#pragma once

#include "LocalServiceControl.h"

#include <QString>

// The back-end service of this computer as a systemd unit. Queries, start and
// stop each use a bus connection of their own that lives for the one call;
// listeners go to the unit's ServiceStatusDispatcher.
class SystemdServiceControl : public LocalServiceControl
{
public:
    static constexpr const char *DefaultUnit = "quorix-backend.service";
    // Names the unit instead of DefaultUnit, for tests and special installs.
    static constexpr const char *UnitVariable = "QUORIX_BACKEND_UNIT";

    // busAddress empty: the system bus.
    explicit SystemdServiceControl(const QString &unitName = unitFromEnvironment(), const QString &busAddress = QString());

    // QUORIX_BACKEND_UNIT, else DefaultUnit; ".service" is added to a name without a unit type.
    static QString unitFromEnvironment();

    QString unitName() const { return m_unitName; }

    bool isInstalled() override;
    int currentState() override;
    void startLocalService() override;
    void stopLocalService() override;
    bool connectStatusListener(const QByteArray &key, Listener listener) override;
    bool disconnectStatusListener(const QByteArray &key) override;

private:
    const QString m_unitName;
    const QString m_busAddress;
};
