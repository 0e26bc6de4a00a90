#pragma once

#include "ChannelTap.h"
#include "CommandsLog.h"
#include "DataListeners.h"
#include "CommandChannel.h"
#include "ReplyReader.h"
#include "Socket.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QSemaphore>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

// The channel of the whole run: commands over one TCP connection to the
// Controller, measurement data as UDP datagrams on a local port, handed line by
// line to the subscribed requesters by a worker thread.
class IOManagerUdpTcp : public CommandChannel
{
public:
    static constexpr int DataBufferSize = 131072;
    static constexpr unsigned DefaultReplyTimeoutUs = 2000000;
    // A Controller that has not taken the connection by then will not: the
    // kernel's own retries would keep the user waiting for minutes.
    static constexpr int ConnectTimeoutMs = 5000;
    static constexpr int LookupTimeoutMs = 3000;
    // Waits of the GUI thread are cut into slices this long, with the window's
    // events processed between them.
    static constexpr int WaitSliceUs = 10000;

    // Why connectController failed.
    enum class ConnectFailure { None, DataPort, Unresolved, TimedOut, Refused, Cancelled, Other };

    explicit IOManagerUdpTcp(MessageBoxProvider *provider);
    ~IOManagerUdpTcp() override;

    // keepWaiting is called between short waits of the attempt; false cancels it.
    int connectController(const char *host, unsigned short port, unsigned short *dataPort,
                          const Socket::KeepWaiting &keepWaiting = {});
    ConnectFailure connectFailure() const { return m_connectFailure; }
    void setCommandLog(bool enable, QString fileName, QString prefix);
    // What the channel exchanges from now on is also shown to the tap (none: nullptr).
    void setTap(ChannelTap *tap) { m_tap = tap; }

    int addDataListener(const char *key, Requester *requester) override;
    int removeDataListener(const char *key, Requester *requester) override;
    int notifyMeasurementStarted() override;
    int pollAsyncReply() override;
    int exchange(char *reply, const char *command) override;

    // Splits a datagram (changed in place) into lines and hands each to the
    // requesters subscribed to its first word. The data worker calls this.
    void dispatchDatagram(char *datagram);

    bool isBroken() const { return m_broken; }
    // The slowest reply since the last call, in milliseconds (-1: none came).
    int takeSlowestReplyMs() { return m_slowestReplyMs.exchange(-1); }
    // Measurement datagrams dropped because they did not come from the Controller.
    unsigned foreignDatagrams() const { return m_foreignDatagrams; }
    // The Controller's datagrams skipped since the last call because newer
    // ones were waiting: frames this computer dropped, not the Controller.
    unsigned takeSkippedDatagrams() { return m_skippedDatagrams.exchange(0); }
    unsigned controllerAddress() const { return m_hostIp; }
    bool isRunning() const { return m_running; }
    QString commandLogPath() const { return m_log.path(); }

    // An empty minimum stands for "v0.2.2". The rule of ControllerVersion: the
    // first word of each text, fields compare as numbers, whatever follows the
    // numbers ("beta", "-1", "_rc1") is ignored, and a missing patch is below
    // every patch (so "v1.7" and "v1.7.0" both pass "v1.7").
    static bool isVersionAtLeast(const char *version, const char *minimum);

protected:
    enum class Change { None, Started, Stopped };
    // A change of the measurement state seen inside a command; the
    // requesters hear of it in afterCommand(), once the command is done.
    void noteChange(Change change);
    void afterCommand() override;

private:
    int exchangeUntapped(char *reply, const char *command);
    int readInput(long timeoutUs);
    int awaitReply(char *reply, long timeoutUs, const char *command);
    void logStaleReplies();
    void discardInput();
    QByteArray queryState();
    // Hands one line to the listeners of its key.
    void startWorker();
    void workerLoop();
    bool workerWanted() const { return m_listening && m_running && m_run; }
    void reportTransport(const QString &text);
    void reportLoss(int code, const char *command);

    std::unique_ptr<Socket> m_tcp;
    // Standard locks where two threads share data: ThreadSanitizer sees them.
    std::mutex m_commandLock;
    ReplyReader m_replies;     // guarded by the command lock
    qint64 m_asyncDeadlineUs = 0;   // when the pending asynchronous command's wait ends (m_clock)
    QElapsedTimer m_clock;

    Socket m_data;
    std::mutex m_dataLock;
    std::vector<char> m_dataBuffer;

    // The listeners, and the one the data thread is calling now. A listener
    // is called without the lock held (it may unsubscribe from inside
    // onData); one that unsubscribes from another thread waits until that
    // call has returned, so that it may be destroyed right after.
    DataListeners m_dataListeners;

    std::atomic<bool> m_connected{false};
    std::atomic<bool> m_broken{false};
    std::atomic<bool> m_listening{false};
    std::atomic<bool> m_running{false};
    std::atomic<bool> m_run{true};
    std::atomic<bool> m_workerFinished{true};

    std::mutex m_changesMutex;
    std::vector<Change> m_changes;   // noted, not yet told

    std::mutex m_workerMutex;
    std::thread m_worker;
    QSemaphore m_workerBegun;

    char m_host[100];
    std::atomic<unsigned> m_hostIp{0};
    std::atomic<unsigned short> m_senderPort{0};   // where the Controller sends its data from, when it says
    std::atomic<unsigned> m_foreignDatagrams{0};
    std::atomic<unsigned> m_skippedDatagrams{0};
    std::atomic<int> m_slowestReplyMs{-1};
    ConnectFailure m_connectFailure = ConnectFailure::None;
    CommandsLog m_log;
    std::atomic<ChannelTap *> m_tap{nullptr};
    std::atomic<qint64> m_asyncSentUs{0};   // when the pending asynchronous command went out (tap clock)
};
