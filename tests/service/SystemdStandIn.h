#pragma once

#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <QMap>
#include <QMutex>
#include <QStringList>
#include <QVector>

#include <memory>

class QThread;

// Plays systemd on a private bus: takes the name org.freedesktop.systemd1 and
// answers the Manager's GetUnit, LoadUnit, StartUnit, StopUnit and Subscribe
// and the Unit and Service properties at the object paths systemd uses. It
// answers in a thread of its own, so that the code under test may block on
// it from the test's thread. Like systemd it loads a stub with LoadState
// "not-found" for a name it has no unit file for, and sends signals only
// after a Subscribe.
class SystemdStandIn : public QDBusVirtualObject
{
    Q_OBJECT

public:
    struct Unit
    {
        QString loadState = QStringLiteral("loaded");
        QString activeState = QStringLiteral("inactive");
        QString subState = QStringLiteral("dead");
        QString result = QStringLiteral("success");
        int execMainCode = 0;
        int execMainStatus = 0;
        quint64 execMainStartTimestamp = 0;
    };

    struct Call
    {
        QString method;
        QStringList arguments;
        bool interactiveAuthorization = false;
    };

    SystemdStandIn();
    ~SystemdStandIn() override;

    // Connects to the bus at address and takes systemd's name; false on failure.
    bool start(const QString &address);

    static QString unitPath(const QString &unitName);

    // Sets the unit (its file present unless loadState says otherwise) and
    // announces the change as systemd does.
    void setUnit(const QString &name, const Unit &unit);
    // Takes the unit file away and reloads: the unit stays as a "not-found" stub.
    void removeUnitFile(const QString &name);
    // Gives up or takes again the name org.freedesktop.systemd1.
    void setPresent(bool present);
    // Leaves every call unanswered while set.
    void setStalling(bool stalling);

    QVector<Call> jobCalls() const;
    void clearCalls();

    QString introspect(const QString &path) const override;
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override;

private:
    void announce(const QString &name, const Unit &unit);
    void reloaded();
    QString unitAt(const QString &path) const;
    bool unitProperty(const Unit &unit, const QString &interface, const QString &name, QVariant *value) const;
    QVariantMap unitProperties(const Unit &unit, const QString &interface) const;

    QDBusConnection m_bus;
    std::unique_ptr<QThread> m_thread;
    mutable QMutex m_mutex;
    QMap<QString, Unit> m_units;
    QVector<Call> m_calls;
    bool m_stalling = false;
    bool m_subscribed = false;
};
