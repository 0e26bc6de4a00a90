#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

class QDBusMessage;

// One systemd unit as seen through systemd's D-Bus interface, over a bus
// connection of this object's own. Every call waits at most CallTimeoutMs, so
// a bus or a systemd that does not answer never hangs the caller.
class SystemdUnit : public QObject
{
    Q_OBJECT

public:
    static constexpr int CallTimeoutMs = 500;

    // What the unit's properties say, in the codes of LocalServiceControl.
    struct Status
    {
        int state = -1;
        int error = 0;
        // systemd knows a unit file for it (it may still be masked or broken).
        bool installed = false;
    };

    // busAddress empty: the system bus (libdbus honours DBUS_SYSTEM_BUS_ADDRESS).
    SystemdUnit(const QString &busAddress, const QString &unitName, QObject *parent = nullptr);
    ~SystemdUnit() override;

    // Opens the connection unless it is open; false (see lastError) on failure.
    bool connectToBus();
    bool isConnected() const;
    // Why the last read or call failed; empty when systemd answered.
    QString lastError() const { return m_lastError; }

    // Loads the unit and reads its state: -1 when the bus or systemd cannot be
    // asked, 512 when systemd has no unit file for it (never installed or removed).
    Status read();

    // Asks systemd to start or stop the unit, allowing polkit to ask the user
    // for consent. Returns at once; the reply is only logged.
    bool start();
    bool stop();

    // From now on, note every change systemd announces about the unit or its
    // unit files (see takeChange). Needs an event loop in this object's thread.
    void watchChanges();
    // True once after any change was announced.
    bool takeChange();

    // The mapping to the service codes, kept apart so that it reads as a table.
    static int stateFor(const QString &activeState);
    // The error of a stopped unit; see the definition for the never-started case.
    static int errorFor(const QString &result, int execMainCode, int execMainStatus);

private slots:
    void noteChange(const QDBusMessage &message);

private:
    bool call(QDBusMessage &message, QDBusMessage *reply);
    bool property(const QString &interface, const QString &name, QVariant *value);
    bool loadUnit(QString *errorName);
    bool sendJob(const char *method);

    QString m_busAddress;
    QString m_unitName;
    QString m_connectionName;
    QDBusConnection m_bus;
    QString m_unitPath;
    QString m_lastError;
    bool m_watching = false;
    bool m_watchingUnitPath = false;
    bool m_changed = false;
};
