#pragma once

#include "IOManager.h"

#include <QByteArray>
#include <QString>
#include <QThread>

#include <atomic>
#include <condition_variable>
#include <cstdarg>
#include <map>
#include <mutex>
#include <set>

class MessageBoxProvider;

// What every channel of the host shares: the command gate, the reply reading
// and the error boxes, the data and message registries, the waits that keep
// the window alive. A transport adds exchange() and the data listeners.
class CommandChannel : public IOManager
{
public:
    static constexpr int IdlePermits = 6;
    static constexpr int CommandPermits = 5;
    // Another thread waits this long at most for the gate; then -1.
    static constexpr int GateWaitLimitMs = 60000;
    // Dynamic property of the application object, true while a command of the
    // GUI thread waits for its reply with events processed.
    static constexpr const char *WaitingProperty = "quorixWaitingForController";

    explicit CommandChannel(MessageBoxProvider *provider);
    ~CommandChannel() override;

    bool isBusy() override;
    int prepareNextCommand(bool async, int timeoutMs, bool quiet) override;
    int sendCommand(char *reply, const char *format, ...) override QUORIX_PRINTF(3, 4);
    int waitAsyncReply(QEventLoop::ProcessEventsFlags flags) override;
    int getString(char *value, const char *format, ...) override QUORIX_PRINTF(3, 4);
    int getInt(int *value, const char *format, ...) override QUORIX_PRINTF(3, 4);
    int getDouble(double *value, const char *format, ...) override QUORIX_PRINTF(3, 4);
    int getBool(bool *value, const char *format, ...) override QUORIX_PRINTF(3, 4);
    int getDoubles(double *values, int count, const char *format, ...) override QUORIX_PRINTF(4, 5);
    int getInts(int *values, int count, const char *format, ...) override QUORIX_PRINTF(4, 5);
    int setParameter(const char *format, ...) override QUORIX_PRINTF(2, 3);
    int addRequester(Requester *requester) override;
    int removeRequester(Requester *requester) override;
    int sendMessage(const char *channel, const char *sender, int type, const char *text) override;
    int addMessageReceiver(const char *channel, MessageReceiver *receiver) override;
    int removeMessageReceiver(const char *channel, MessageReceiver *receiver) override;
    void lastErrorText(char *out) override;
    int parseBools(const char *text, bool *out, int count) override;
    int parseInts(const char *text, int *out, int count) override;
    int parseDoubles(const char *text, double *out, int count) override;
    unsigned replyTimeout() override;
    void setReplyTimeout(unsigned microseconds) override;
    int notifyMeasurementStarted() override;
    int notifyMeasurementStopped() override;
    int pollAsyncReply() override;

    // Marks the commands of a periodic poll, made on this thread while the
    // scope lives: their error replies raise no box, and each failing command
    // is said once on channel "standard" until it succeeds again, so that a
    // Controller refusing one query never floods the user with boxes. A
    // channel that is not one of ours is left alone.
    class PollScope
    {
    public:
        explicit PollScope(IOManager *channel);
        ~PollScope();
        PollScope(const PollScope &) = delete;
        PollScope &operator=(const PollScope &) = delete;

    private:
        CommandChannel *m_channel;
    };

    // Ends every wait for the Controller at once (the program is closing):
    // the waiting command returns a failure, later ones too.
    void cancelWaits() { m_cancelled = true; }
    bool waitsCancelled() const { return m_cancelled || s_allCancelled; }
    // The same for every channel of the process; safe to call from a signal
    // handler (it only sets a flag).
    static void cancelAllWaits() { s_allCancelled = true; }
    // True while a command of the calling thread waits for its reply with
    // events being processed; what such an event starts must not wait for the
    // Controller itself (a box opened then is better opened afterwards).
    bool isWaitingOnThisThread() const;

protected:
    // Options for the next command, set by prepareNextCommand().
    struct NextCommand {
        bool pending = false;
        bool async = false;
        bool quiet = false;
        int timeoutMs = -1;
    };

    // 0, or the result for a command that cannot pass the gate:
    // BusyWithOwnCommand when the calling thread holds the permits itself, -1
    // when another thread held them past GateWaitLimitMs or waits are cancelled.
    int acquirePermits(int n);
    void releasePermits(int n);
    // Lets the window live while the calling thread waits: on the GUI thread,
    // events other than user input are processed (input waits until the reply
    // is in). Does nothing on other threads.
    void keepWindowAlive();
    void processEventsWhileWaiting(QEventLoop::ProcessEventsFlags flags);
    static bool onGuiThread();
    // Whether the calling thread holds the gate (it is inside a command).
    bool holdsGate() const { return m_gateHolder == QThread::currentThreadId(); }
    // Runs on the calling thread when a command is done: its reply
    // interpreted, its options used, its permits handed back. What the reply
    // set off (the measurement notices) may send commands of its own here
    // without overwriting the reply, value or expectations of the command.
    virtual void afterCommand() {}

    NextCommand m_next;
    char *m_asyncCaller = nullptr;     // reply buffer of a pending asynchronous command
    char m_lastCommand[BufferSize];
    unsigned m_replyTimeoutUs = 0;
    MessageBoxProvider *m_provider;

private:
    // Where the value of a get goes.
    struct Destination {
        void *pointer = nullptr;
        int count = 0;
    };

    int runCommand(char *reply, CallType type, Destination destination, const char *prefix,
                   const char *format, va_list args);
    int interpret(const char *reply, CallType type, Destination destination);
    void showErrorBox(const char *command, const char *reply);
    void consumeOptions();
    bool inPollScope() const;
    void notePoll(const char *command, const char *reply, int result);

    // Standard locks: ThreadSanitizer sees them, and not those of Qt 5.
    std::mutex m_gateMutex;
    std::condition_variable m_gateCondition;
    int m_permits = IdlePermits;
    std::atomic<Qt::HANDLE> m_gateHolder{nullptr};   // the thread whose command holds permits
    std::atomic<int> m_waitDepth{0};     // waits of the holder now processing events
    std::atomic<bool> m_cancelled{false};
    std::atomic<Qt::HANDLE> m_pollThread{nullptr};
    int m_pollDepth = 0;                       // touched by the poll thread only
    std::set<QByteArray> m_failingPolls;       // said once, until they succeed again
    static std::atomic<bool> s_allCancelled;
    bool m_reportErrors = true;
    CallType m_callType = Raw;
    Destination m_asyncDestination;
    char m_expectedPrefix[BufferSize];
    char m_reply[BufferSize];          // reply buffer of the get and set operations
    std::set<Requester *> m_requesters;
    std::recursive_mutex m_registryMutex;
    std::map<QByteArray, std::set<MessageReceiver *>> m_receivers;
};
