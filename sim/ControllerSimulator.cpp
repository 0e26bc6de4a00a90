#include "ControllerSimulator.h"

#include "SimServer.h"

#include <QHostAddress>
#include <QMetaObject>
#include <QThread>

ControllerSimulator::ControllerSimulator(const SimScenario& scenario)
    : m_initial(scenario)
    , m_thread(new QThread)
{
    m_thread->setObjectName(QStringLiteral("controller-sim"));
    m_thread->start();
    m_server = new SimServer(&m_log);
    m_server->moveToThread(m_thread.get());
    call([this] { m_server->setScenario(m_initial); });
}

ControllerSimulator::~ControllerSimulator()
{
    SimServer* server = m_server;
    QMetaObject::invokeMethod(server, [server] { delete server; }, Qt::BlockingQueuedConnection);
    m_server = nullptr;
    m_thread->quit();
    m_thread->wait();
}

template <typename F>
void ControllerSimulator::call(F&& f) const
{
    if (QThread::currentThread() == m_thread.get())
        f();
    else
        QMetaObject::invokeMethod(m_server, std::forward<F>(f), Qt::BlockingQueuedConnection);
}

bool ControllerSimulator::start(const QString& address, quint16 port, QString* error)
{
    QHostAddress a;
    if (!a.setAddress(address) || a.protocol() != QAbstractSocket::IPv4Protocol) {
        if (error)
            *error = QStringLiteral("not an IPv4 address: %1").arg(address);
        return false;
    }
    bool ok = false;
    QString why;
    call([&] { ok = m_server->listen(a, port, &why); });
    if (!ok && error)
        *error = why;
    return ok;
}

void ControllerSimulator::stop()
{
    call([this] { m_server->close(); });
}

bool ControllerSimulator::isRunning() const
{
    bool r = false;
    call([&] { r = m_server->isListening(); });
    return r;
}

quint16 ControllerSimulator::port() const
{
    quint16 p = 0;
    call([&] { p = m_server->port(); });
    return p;
}

quint16 ControllerSimulator::senderPort() const
{
    quint16 p = 0;
    call([&] { p = m_server->senderPort(); });
    return p;
}

void ControllerSimulator::setScenario(const SimScenario& scenario)
{
    call([&] { m_server->setScenario(scenario); });
}

void ControllerSimulator::setReplay(std::shared_ptr<const RecordingIndex> replay)
{
    call([&] { m_server->setReplay(replay); });
}

bool ControllerSimulator::replayEnded() const
{
    bool ended = false;
    call([&] { ended = m_server->replayEnded(); });
    return ended;
}

SimScenario ControllerSimulator::scenario() const
{
    SimScenario s;
    call([&] { s = m_server->processor().scenario(); });
    return s;
}

void ControllerSimulator::setFaults(const SimFaults& faults)
{
    call([&] { m_server->setFaults(faults); });
}

SimFaults ControllerSimulator::faults() const
{
    SimFaults f;
    call([&] { f = m_server->faults(); });
    return f;
}

void ControllerSimulator::queueMessage(const QString& text)
{
    call([&] { m_server->processor().queueMessage(text); });
}

int ControllerSimulator::queuedMessages() const
{
    int n = 0;
    call([&] { n = m_server->processor().queuedMessages(); });
    return n;
}

QString ControllerSimulator::activeState() const
{
    QString s;
    call([&] { s = m_server->processor().activeState(); });
    return s;
}

quint32 ControllerSimulator::framesSent() const
{
    quint32 n = 0;
    call([&] { n = m_server->framesSent(); });
    return n;
}

QString ControllerSimulator::parameter(const QString& path) const
{
    QString v;
    call([&] {
        const QByteArray reply = m_server->processor().handle("quorix2 get " + path.toLatin1(), QHostAddress(QHostAddress::LocalHost)).text;
        if (reply.startsWith("quorix2 set ")) {
            // The value follows the echoed parameter, which has as many words as path.
            const QList<QByteArray> words = reply.split(' ');
            const int keyWords = path.split(QLatin1Char(' '), Qt::SkipEmptyParts).size();
            v = QString::fromLatin1(words.mid(2 + keyWords).join(' '));
        }
    });
    return v;
}

void ControllerSimulator::setLogFile(const QString& path)
{
    m_log.setFile(path);
}

QList<SimCommandLog::Entry> ControllerSimulator::commandLog() const
{
    return m_log.entries();
}

void ControllerSimulator::clearCommandLog()
{
    m_log.clear();
}

bool ControllerSimulator::waitForCommands(int count, int timeoutMs) const
{
    return m_log.waitForCount(count, timeoutMs);
}

bool ControllerSimulator::waitForCommand(const QString& text, int timeoutMs) const
{
    return m_log.waitForText(text, timeoutMs);
}
