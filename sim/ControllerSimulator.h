#pragma once

#include "SimCommandLog.h"
#include "SimFaults.h"
#include "SimScenario.h"

#include <QList>
#include <QString>

#include <memory>

class RecordingIndex;

class QThread;
class SimServer;

// A simulated tracking Controller for tests and tools in the same process.
// Its sockets and timers run in a thread of their own, so a caller may block
// on a socket (as the front end's command channel does) without stalling it.
// Every member function is thread-safe.
class ControllerSimulator
{
public:
    explicit ControllerSimulator(const SimScenario& scenario = SimScenario());
    ~ControllerSimulator();
    ControllerSimulator(const ControllerSimulator&) = delete;
    ControllerSimulator& operator=(const ControllerSimulator&) = delete;

    // Listens on address:port (TCP and UDP; port 0 picks a free one). Blocks
    // until listening; false with a reason in error when that fails.
    bool start(const QString& address = QStringLiteral("127.0.0.1"), quint16 port = 50105, QString* error = nullptr);
    void stop();
    bool isRunning() const;
    quint16 port() const;
    // Port the measurement stream leaves from ("output net_sender_port").
    quint16 senderPort() const;

    // A new scenario rebuilds the parameters; a measurement in progress stops.
    void setScenario(const SimScenario& scenario);
    SimScenario scenario() const;
    void setFaults(const SimFaults& faults);
    SimFaults faults() const;

    // Plays a recording back instead of the model (SimServer::setReplay).
    void setReplay(std::shared_ptr<const RecordingIndex> replay);
    bool replayEnded() const;

    void queueMessage(const QString& text);
    int queuedMessages() const;
    QString activeState() const; // "status active": none, mea, or a state the scenario set
    quint32 framesSent() const;
    // A parameter's current value as "quorix2 get" would answer it (empty when unknown).
    QString parameter(const QString& path) const;

    void setLogFile(const QString& path);
    QList<SimCommandLog::Entry> commandLog() const;
    void clearCommandLog();
    bool waitForCommands(int count, int timeoutMs = 5000) const;
    bool waitForCommand(const QString& text, int timeoutMs = 5000) const;

private:
    template <typename F>
    void call(F&& f) const;

    SimScenario m_initial;
    SimCommandLog m_log;
    std::unique_ptr<QThread> m_thread;
    SimServer* m_server = nullptr;
};
