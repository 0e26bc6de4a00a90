#pragma once

#include "SimCommandFramer.h"
#include "SimCommandProcessor.h"
#include "SimFaults.h"
#include "SimStreamGenerator.h"

#include "RecordingIndex.h"

#include <QElapsedTimer>
#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QVector>

#include <functional>
#include <memory>

class QTcpServer;
class QTcpSocket;
class QTimer;
class QUdpSocket;
class SimCommandLog;

// The network side of the simulator: the command port (TCP and UDP), the
// measurement stream and the faults. Lives in one thread; every member is
// used from that thread only (ControllerSimulator takes care of that).
//
// TCP framing: commands end with a zero byte and may arrive split or several
// in one segment. A client that sends more than 200 bytes without a zero byte
// gets one err reply, and everything up to its next zero byte is dropped.
class SimServer : public QObject
{
    Q_OBJECT
public:
    explicit SimServer(SimCommandLog* log, QObject* parent = nullptr);
    ~SimServer() override;

    bool listen(const QHostAddress& address, quint16 port, QString* error);
    void close();
    bool isListening() const;
    quint16 port() const { return m_port; }
    quint16 senderPort() const;

    SimCommandProcessor& processor() { return m_processor; }
    void setScenario(const SimScenario& scenario);
    // Takes effect at once: the command port and the stranger's socket are
    // opened or closed as the new faults want.
    void setFaults(const SimFaults& faults);
    const SimFaults& faults() const { return m_faults; }
    quint32 framesSent() const { return m_framesSent; }
    // Answers and streams as the recorded Controller did: the recording plays
    // from the first command received, once, in its own time. Commands it
    // holds get the latest recorded reply as of that moment, others the
    // model's; "getmsg" gives the recorded events as they fall due.
    void setReplay(std::shared_ptr<const RecordingIndex> replay);
    bool replayEnded() const { return m_replayEnded; }
    bool offline() const { return m_offline; }

private:
    struct Client
    {
        QPointer<QTcpSocket> socket;
        SimCommandFramer framer;
        QString peer;
        bool busy = false;    // a reply is outstanding
        bool running = false; // processClient is inside runCommand
        int commands = 0;
    };

    bool openSockets(QString* error);
    void closeSockets();
    bool openTcp(QString* error);
    void closeTcp();
    bool openBlackhole(QString* error);
    bool openStranger(QString* error);
    void closeStranger();
    void onNewConnection();
    void onClientData(QTcpSocket* socket);
    void onClientGone(QTcpSocket* socket);
    void processClient(QTcpSocket* socket);
    void onUdpCommand();
    void onStreamSocketData();
    // Runs one command and sends (or withholds) its reply through send, now or
    // after the reply delay; done is called when the next command may run.
    void runCommand(const QString& transport, const QString& peer, const QHostAddress& peerAddress,
                    const QByteArray& command, Client* client, const std::function<void(const QByteArray&)>& send,
                    const std::function<void()>& done);
    void dropClient(QTcpSocket* socket, bool reset);
    void updateStreaming();
    void onFrameTimer();
    void sendFrame();
    void sendDatagram(QUdpSocket* socket, const QHostAddress& address, quint16 port);
    void goOffline(int ms);
    static QByteArray garbage(int seed);
    void replayAnswer(const QByteArray& command, SimCommandProcessor::Reply* reply);
    qint64 replayPositionUs() const;
    void onReplayTimer();

    SimCommandLog* m_log;
    SimCommandProcessor m_processor;
    SimFaults m_faults;
    SimStreamGenerator m_generator;
    QTcpServer* m_tcp = nullptr;
    QUdpSocket* m_udp = nullptr;
    QUdpSocket* m_stream = nullptr;
    QUdpSocket* m_stranger = nullptr;
    int m_blackhole = -1;              // listening socket that never accepts
    QVector<int> m_blackholeFillers;   // our own connections that fill its queue
    quint32 m_udpCommands = 0;
    QTimer* m_frameTimer = nullptr;
    QTimer* m_offlineTimer = nullptr;
    QHash<QTcpSocket*, Client*> m_clients;
    QHostAddress m_address;
    quint16 m_port = 0;
    bool m_offline = false;
    QElapsedTimer m_clock;
    quint32 m_framesSent = 0;
    QByteArray m_frameText;

    std::shared_ptr<const RecordingIndex> m_replay;
    QElapsedTimer m_replayClock;   // started by the first command
    QTimer* m_replayTimer = nullptr;
    size_t m_replayNext = 0;       // the next record to stream
    size_t m_replayEvents = 0;     // where the search for the next event starts
    bool m_replayEnded = false;
};
