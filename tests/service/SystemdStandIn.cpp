#include "SystemdStandIn.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QThread>

namespace {

const QString Systemd = QStringLiteral("org.freedesktop.systemd1");
const QString ManagerPath = QStringLiteral("/org/freedesktop/systemd1");
const QString UnitPrefix = QStringLiteral("/org/freedesktop/systemd1/unit/");
const QString ManagerInterface = QStringLiteral("org.freedesktop.systemd1.Manager");
const QString UnitInterface = QStringLiteral("org.freedesktop.systemd1.Unit");
const QString ServiceInterface = QStringLiteral("org.freedesktop.systemd1.Service");
const QString PropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
const QString ConnectionName = QStringLiteral("systemd-stand-in");

} // namespace

SystemdStandIn::SystemdStandIn()
    : m_bus(QString())
{
}

SystemdStandIn::~SystemdStandIn()
{
    if (m_bus.isConnected()) {
        m_bus.unregisterObject(ManagerPath, QDBusConnection::UnregisterTree);
        m_bus.unregisterService(Systemd);
    }
    m_bus = QDBusConnection(QString());
    QDBusConnection::disconnectFromBus(ConnectionName);
    if (m_thread) {
        m_thread->quit();
        m_thread->wait();
    }
}

bool SystemdStandIn::start(const QString &address)
{
    m_bus = QDBusConnection::connectToBus(address, ConnectionName);
    if (!m_bus.isConnected())
        return false;
    // Registered before the move, so that what Qt attaches to the object moves along.
    if (!m_bus.registerVirtualObject(ManagerPath, this, QDBusConnection::SubPath))
        return false;
    m_thread.reset(new QThread);
    m_thread->start();
    moveToThread(m_thread.get());
    return m_bus.registerService(Systemd);
}

// systemd's escaping of a unit name into an object path element.
QString SystemdStandIn::unitPath(const QString &unitName)
{
    QString label;
    const QByteArray bytes = unitName.toUtf8();
    for (int i = 0; i < bytes.size(); ++i) {
        const char c = bytes.at(i);
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        const bool digit = c >= '0' && c <= '9';
        if (letter || (digit && i > 0))
            label += QLatin1Char(c);
        else
            label += QStringLiteral("_%1").arg(uchar(c), 2, 16, QLatin1Char('0'));
    }
    return UnitPrefix + (label.isEmpty() ? QStringLiteral("_") : label);
}

void SystemdStandIn::setUnit(const QString &name, const Unit &unit)
{
    {
        QMutexLocker lock(&m_mutex);
        m_units[name] = unit;
    }
    announce(name, unit);
}

void SystemdStandIn::removeUnitFile(const QString &name)
{
    Unit unit;
    {
        QMutexLocker lock(&m_mutex);
        unit = m_units.value(name);
        unit.loadState = QStringLiteral("not-found");
        m_units[name] = unit;
    }
    reloaded();
}

void SystemdStandIn::setPresent(bool present)
{
    if (present)
        m_bus.registerService(Systemd);
    else
        m_bus.unregisterService(Systemd);
}

void SystemdStandIn::setStalling(bool stalling)
{
    QMutexLocker lock(&m_mutex);
    m_stalling = stalling;
}

QVector<SystemdStandIn::Call> SystemdStandIn::jobCalls() const
{
    QMutexLocker lock(&m_mutex);
    return m_calls;
}

void SystemdStandIn::clearCalls()
{
    QMutexLocker lock(&m_mutex);
    m_calls.clear();
}

void SystemdStandIn::announce(const QString &name, const Unit &unit)
{
    {
        QMutexLocker lock(&m_mutex);
        if (!m_subscribed)
            return;
    }
    for (const QString &interface : {UnitInterface, ServiceInterface}) {
        QDBusMessage signal = QDBusMessage::createSignal(unitPath(name), PropertiesInterface, QStringLiteral("PropertiesChanged"));
        signal << interface << unitProperties(unit, interface) << QStringList();
        m_bus.send(signal);
    }
}

void SystemdStandIn::reloaded()
{
    {
        QMutexLocker lock(&m_mutex);
        if (!m_subscribed)
            return;
    }
    for (bool starting : {true, false}) {
        QDBusMessage signal = QDBusMessage::createSignal(ManagerPath, ManagerInterface, QStringLiteral("Reloading"));
        signal << starting;
        m_bus.send(signal);
    }
}

QString SystemdStandIn::unitAt(const QString &path) const
{
    for (auto it = m_units.cbegin(); it != m_units.cend(); ++it)
        if (unitPath(it.key()) == path)
            return it.key();
    return QString();
}

bool SystemdStandIn::unitProperty(const Unit &unit, const QString &interface, const QString &name, QVariant *value) const
{
    const QVariantMap properties = unitProperties(unit, interface);
    if (!properties.contains(name))
        return false;
    *value = properties.value(name);
    return true;
}

QVariantMap SystemdStandIn::unitProperties(const Unit &unit, const QString &interface) const
{
    QVariantMap properties;
    if (interface == UnitInterface) {
        properties.insert(QStringLiteral("LoadState"), unit.loadState);
        properties.insert(QStringLiteral("ActiveState"), unit.activeState);
        properties.insert(QStringLiteral("SubState"), unit.subState);
    } else if (interface == ServiceInterface) {
        properties.insert(QStringLiteral("Result"), unit.result);
        properties.insert(QStringLiteral("ExecMainCode"), unit.execMainCode);
        properties.insert(QStringLiteral("ExecMainStatus"), unit.execMainStatus);
        properties.insert(QStringLiteral("ExecMainStartTimestamp"), qulonglong(unit.execMainStartTimestamp));
    }
    return properties;
}

QString SystemdStandIn::introspect(const QString &) const
{
    return QString();
}

bool SystemdStandIn::handleMessage(const QDBusMessage &message, const QDBusConnection &connection)
{
    QMutexLocker lock(&m_mutex);
    if (m_stalling)
        return true;
    const QList<QVariant> arguments = message.arguments();
    const QString method = message.member();
    const auto reply = [&](const QVariant &value) {
        QDBusMessage answer = message.createReply();
        if (value.isValid())
            answer << value;
        connection.send(answer);
        return true;
    };
    const auto fail = [&](const QString &name, const QString &text) {
        connection.send(message.createErrorReply(name, text));
        return true;
    };

    if (message.path() == ManagerPath && message.interface() == ManagerInterface) {
        const QString name = arguments.value(0).toString();
        if (method == QLatin1String("Subscribe")) {
            m_subscribed = true;
            return reply(QVariant());
        }
        if (method == QLatin1String("GetUnit")) {
            if (!m_units.contains(name))
                return fail(QStringLiteral("org.freedesktop.systemd1.NoSuchUnit"), QStringLiteral("Unit %1 not loaded.").arg(name));
            return reply(QVariant::fromValue(QDBusObjectPath(unitPath(name))));
        }
        if (method == QLatin1String("LoadUnit")) {
            if (!name.contains(QLatin1Char('.')))
                return fail(QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"), QStringLiteral("Unit name %1 is not valid.").arg(name));
            if (!m_units.contains(name)) {
                Unit stub;
                stub.loadState = QStringLiteral("not-found");
                m_units.insert(name, stub);
            }
            return reply(QVariant::fromValue(QDBusObjectPath(unitPath(name))));
        }
        if (method == QLatin1String("StartUnit") || method == QLatin1String("StopUnit")) {
            Call call;
            call.method = method;
            for (const QVariant &argument : arguments)
                call.arguments << argument.toString();
            call.interactiveAuthorization = message.isInteractiveAuthorizationAllowed();
            m_calls << call;
            return reply(QVariant::fromValue(QDBusObjectPath(QStringLiteral("/org/freedesktop/systemd1/job/1"))));
        }
        return false;
    }

    if (message.interface() == PropertiesInterface && message.path().startsWith(UnitPrefix)) {
        const QString name = unitAt(message.path());
        if (name.isEmpty())
            return fail(QStringLiteral("org.freedesktop.DBus.Error.UnknownObject"), QStringLiteral("Unknown object."));
        const Unit unit = m_units.value(name);
        const QString interface = arguments.value(0).toString();
        if (interface == ServiceInterface && !name.endsWith(QLatin1String(".service")))
            return fail(QStringLiteral("org.freedesktop.DBus.Error.UnknownInterface"), QStringLiteral("Unknown interface."));
        if (method == QLatin1String("Get")) {
            QVariant value;
            if (!unitProperty(unit, interface, arguments.value(1).toString(), &value))
                return fail(QStringLiteral("org.freedesktop.DBus.Error.UnknownProperty"), QStringLiteral("Unknown property."));
            return reply(QVariant::fromValue(QDBusVariant(value)));
        }
        if (method == QLatin1String("GetAll"))
            return reply(unitProperties(unit, interface));
    }
    return false;
}
