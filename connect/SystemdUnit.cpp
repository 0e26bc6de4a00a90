#include "SystemdUnit.h"

#include "LocalServiceControl.h"

#include <QAtomicInt>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>

#include <signal.h>

#include <cstdio>

namespace {

const QString Systemd = QStringLiteral("org.freedesktop.systemd1");
const QString ManagerPath = QStringLiteral("/org/freedesktop/systemd1");
const QString ManagerInterface = QStringLiteral("org.freedesktop.systemd1.Manager");
const QString UnitInterface = QStringLiteral("org.freedesktop.systemd1.Unit");
const QString ServiceInterface = QStringLiteral("org.freedesktop.systemd1.Service");
const QString PropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");

const QString NoSuchUnit = QStringLiteral("org.freedesktop.systemd1.NoSuchUnit");
const QString InvalidArgs = QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs");
const QString UnknownObject = QStringLiteral("org.freedesktop.DBus.Error.UnknownObject");
const QString UnknownInterface = QStringLiteral("org.freedesktop.DBus.Error.UnknownInterface");
const QString UnknownProperty = QStringLiteral("org.freedesktop.DBus.Error.UnknownProperty");

// The consent prompt waits for the user; the reply only feeds a diagnostic line.
constexpr int ConsentTimeoutMs = 5 * 60 * 1000;

QAtomicInt connectionCounter;

} // namespace

SystemdUnit::SystemdUnit(const QString &busAddress, const QString &unitName, QObject *parent)
    : QObject(parent)
    , m_busAddress(busAddress)
    , m_unitName(unitName)
    , m_bus(QString())
{
}

SystemdUnit::~SystemdUnit()
{
    m_bus = QDBusConnection(QString());
    if (!m_connectionName.isEmpty())
        QDBusConnection::disconnectFromBus(m_connectionName);
}

bool SystemdUnit::connectToBus()
{
    if (m_bus.isConnected())
        return true;
    // A connection that broke is not reused: drop its name and open a new one.
    if (!m_connectionName.isEmpty())
        QDBusConnection::disconnectFromBus(m_connectionName);
    m_connectionName = QStringLiteral("quorix-systemd-%1").arg(connectionCounter.fetchAndAddRelaxed(1));
    m_bus = m_busAddress.isEmpty() ? QDBusConnection::connectToBus(QDBusConnection::SystemBus, m_connectionName)
                                   : QDBusConnection::connectToBus(m_busAddress, m_connectionName);
    m_unitPath.clear();
    m_watchingUnitPath = false;
    if (!m_bus.isConnected()) {
        const QDBusError error = m_bus.lastError();
        m_lastError = error.isValid() ? error.name() + QStringLiteral(": ") + error.message()
                                      : QStringLiteral("no connection to the bus");
        return false;
    }
    if (m_watching)
        watchChanges();
    return true;
}

bool SystemdUnit::isConnected() const
{
    return m_bus.isConnected();
}

bool SystemdUnit::call(QDBusMessage &message, QDBusMessage *reply)
{
    *reply = m_bus.call(message, QDBus::Block, CallTimeoutMs);
    if (reply->type() == QDBusMessage::ReplyMessage)
        return true;
    m_lastError = reply->errorName() + QStringLiteral(": ") + reply->errorMessage();
    return false;
}

bool SystemdUnit::loadUnit(QString *errorName)
{
    QDBusMessage message = QDBusMessage::createMethodCall(Systemd, ManagerPath, ManagerInterface, QStringLiteral("LoadUnit"));
    message << m_unitName;
    QDBusMessage reply;
    if (!call(message, &reply)) {
        *errorName = reply.errorName();
        return false;
    }
    const QList<QVariant> arguments = reply.arguments();
    if (arguments.isEmpty() || !arguments.first().canConvert<QDBusObjectPath>()) {
        m_lastError = QStringLiteral("LoadUnit: unexpected reply");
        return false;
    }
    m_unitPath = arguments.first().value<QDBusObjectPath>().path();
    if (m_watching && !m_watchingUnitPath)
        m_watchingUnitPath = m_bus.connect(Systemd, m_unitPath, PropertiesInterface, QStringLiteral("PropertiesChanged"),
                                           this, SLOT(noteChange(QDBusMessage)));
    return true;
}

bool SystemdUnit::property(const QString &interface, const QString &name, QVariant *value)
{
    QDBusMessage message = QDBusMessage::createMethodCall(Systemd, m_unitPath, PropertiesInterface, QStringLiteral("Get"));
    message << interface << name;
    QDBusMessage reply;
    if (!call(message, &reply) || reply.arguments().isEmpty())
        return false;
    *value = reply.arguments().first().value<QDBusVariant>().variant();
    return true;
}

SystemdUnit::Status SystemdUnit::read()
{
    Status status;
    m_lastError.clear();
    if (!connectToBus())
        return status;
    // systemd may unload an idle unit between two calls; loading it once more settles that.
    for (int attempt = 0; attempt < 2; ++attempt) {
        QString errorName;
        if (!loadUnit(&errorName)) {
            // An invalid name cannot be installed either.
            if (errorName == NoSuchUnit || errorName == InvalidArgs)
                status.state = LocalServiceControl::Removed;
            return status;
        }
        QVariant loadState;
        QVariant activeState;
        if (!property(UnitInterface, QStringLiteral("LoadState"), &loadState)
            || !property(UnitInterface, QStringLiteral("ActiveState"), &activeState)) {
            if (m_lastError.startsWith(UnknownObject))
                continue;
            return status;
        }
        if (loadState.toString() == QLatin1String("not-found")) {
            status.state = LocalServiceControl::Removed;
            return status;
        }
        status.installed = true;
        status.state = stateFor(activeState.toString());
        if (status.state != LocalServiceControl::Stopped)
            return status;

        QVariant result;
        QVariant code;
        QVariant exitStatus;
        if (property(ServiceInterface, QStringLiteral("Result"), &result)
            && property(ServiceInterface, QStringLiteral("ExecMainCode"), &code)
            && property(ServiceInterface, QStringLiteral("ExecMainStatus"), &exitStatus)) {
            status.error = errorFor(result.toString(), code.toInt(), exitStatus.toInt());
        } else if (!m_lastError.startsWith(UnknownInterface) && !m_lastError.startsWith(UnknownProperty)
                   && !m_lastError.startsWith(InvalidArgs)) {
            // Not a question of the unit not being a service: systemd did not answer.
            status.state = LocalServiceControl::Unknown;
            status.installed = false;
        }
        return status;
    }
    return status;
}

int SystemdUnit::stateFor(const QString &activeState)
{
    if (activeState == QLatin1String("active") || activeState == QLatin1String("reloading")
        || activeState == QLatin1String("refreshing"))
        return LocalServiceControl::Running;
    if (activeState == QLatin1String("activating"))
        return LocalServiceControl::StartPending;
    if (activeState == QLatin1String("deactivating"))
        return LocalServiceControl::StopPending;
    if (activeState == QLatin1String("inactive") || activeState == QLatin1String("failed"))
        return LocalServiceControl::Stopped;
    return LocalServiceControl::Unknown;
}

int SystemdUnit::errorFor(const QString &result, int execMainCode, int execMainStatus)
{
    // A stop that systemd counts as a success reports no error. That is also
    // how "never started" shows: a unit that has not run has Result "success"
    // and ExecMainStatus 0, and one whose failure was reset since is back to
    // "success" while ExecMainStatus still holds the old exit code.
    if (result.isEmpty() || result == QLatin1String("success"))
        return 0;
    // Killed by a signal: 128 + the signal number, as shells report it. The bus
    // may deliver any number; one that is no signal counts as a failure without code.
    if (execMainCode == CLD_KILLED || execMainCode == CLD_DUMPED)
        return execMainStatus > 0 && execMainStatus < 128 ? 128 + execMainStatus : 1;
    // Any other failure (exit code, time-out, resources, start limit, ...): the
    // exit code, or 1 where the main process left none, so that it shows as one.
    return execMainStatus != 0 ? execMainStatus : 1;
}

bool SystemdUnit::start()
{
    return sendJob("StartUnit");
}

bool SystemdUnit::stop()
{
    return sendJob("StopUnit");
}

// Consent: systemd's own StartUnit/StopUnit with interactive authorization
// allowed, so that polkit asks the user (through the desktop's agent) whether
// this may manage the unit. No helper process and no password of ours; a
// refusal, or no agent to ask, simply leaves the unit as it was.
bool SystemdUnit::sendJob(const char *method)
{
    if (!connectToBus())
        return false;
    QDBusMessage message = QDBusMessage::createMethodCall(Systemd, ManagerPath, ManagerInterface, QLatin1String(method));
    message << m_unitName << QStringLiteral("replace");
    message.setInteractiveAuthorizationAllowed(true);
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(message, ConsentTimeoutMs));
    // The copy of the connection keeps it open until the reply is in.
    const QDBusConnection bus = m_bus;
    const QByteArray unit = m_unitName.toLocal8Bit();
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, [bus, unit, method](QDBusPendingCallWatcher *call) {
        if (call->isError()) {
            const QByteArray error = call->error().message().toLocal8Bit();
            std::printf("{%u} %s %s failed w/err %s\n", 11u, method, unit.constData(), error.constData());
            std::fflush(stdout);
        }
        call->deleteLater();
    });
    return true;
}

void SystemdUnit::watchChanges()
{
    m_watching = true;
    if (!m_bus.isConnected())
        return;
    // systemd sends its signals only while someone has subscribed; the
    // subscription ends with this connection.
    QDBusMessage subscribe = QDBusMessage::createMethodCall(Systemd, ManagerPath, ManagerInterface, QStringLiteral("Subscribe"));
    QDBusMessage reply;
    call(subscribe, &reply);
    // A daemon reload is what installing or removing a unit file ends with.
    m_bus.connect(Systemd, ManagerPath, ManagerInterface, QStringLiteral("Reloading"), this, SLOT(noteChange(QDBusMessage)));
    m_bus.connect(Systemd, ManagerPath, ManagerInterface, QStringLiteral("UnitFilesChanged"), this, SLOT(noteChange(QDBusMessage)));
    if (!m_unitPath.isEmpty() && !m_watchingUnitPath)
        m_watchingUnitPath = m_bus.connect(Systemd, m_unitPath, PropertiesInterface, QStringLiteral("PropertiesChanged"),
                                           this, SLOT(noteChange(QDBusMessage)));
}

bool SystemdUnit::takeChange()
{
    const bool changed = m_changed;
    m_changed = false;
    return changed;
}

void SystemdUnit::noteChange(const QDBusMessage &)
{
    m_changed = true;
}
