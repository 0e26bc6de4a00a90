#pragma once

#include <QEventLoop>
#include <QMap>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <cstdarg>
#include <map>
#include <mutex>
#include <set>

class MessageBoxProvider;
class MessageReceiver;
class Requester;

// printf-style operations are checked by the compiler at every call site.
// Positions count the implicit object argument as 1.
#define QUORIX_PRINTF(fmt, first) __attribute__((format(printf, fmt, first)))

// The command channel to the Controller. Every part of the front end and every
// plug-in sends its commands through this class and receives measurement data
// through it. Separately compiled plug-ins call through the same table of
// virtual functions: the declaration order below is part of the plug-in ABI and
// must never change. A plug-in only calls virtual functions, so nothing here has
// to be linked by it.
class IOManager
{
public:
    enum CallType { Raw = 0, Set = 1, GetString = 2, GetInt = 3, GetInts = 4,
                    GetDouble = 5, GetDoubles = 6, GetBool = 7 };

    // Every reply or text buffer handed to a command operation holds this many bytes.
    static constexpr int BufferSize = 200;
    static constexpr int MaxCommandLength = 200;
    static constexpr int IdlePermits = 6;
    static constexpr int CommandPermits = 5;
    // A command from the thread whose own command is in flight (an event handler
    // run while that command waits): it would wait for itself, so it fails at
    // once and nothing is sent.
    static constexpr int BusyWithOwnCommand = -4;
    // Another thread waits this long at most for the gate; then -1.
    static constexpr int GateWaitLimitMs = 60000;
    // Dynamic property of the application object, true while a command of the
    // GUI thread waits for its reply with events processed.
    static constexpr const char *WaitingProperty = "quorixWaitingForController";

    explicit IOManager(MessageBoxProvider *provider);
    virtual ~IOManager();

    virtual bool isBusy();
    virtual int prepareNextCommand(bool async, int timeoutMs, bool quiet);
    virtual int sendCommand(char *reply, const char *format, ...) QUORIX_PRINTF(3, 4);
    virtual int waitAsyncReply(QEventLoop::ProcessEventsFlags flags);
    virtual int getString(char *value, const char *format, ...) QUORIX_PRINTF(3, 4);
    virtual int getInt(int *value, const char *format, ...) QUORIX_PRINTF(3, 4);
    virtual int getDouble(double *value, const char *format, ...) QUORIX_PRINTF(3, 4);
    virtual int getBool(bool *value, const char *format, ...) QUORIX_PRINTF(3, 4);
    virtual int getDoubles(double *values, int count, const char *format, ...) QUORIX_PRINTF(4, 5);
    virtual int getInts(int *values, int count, const char *format, ...) QUORIX_PRINTF(4, 5);
    virtual int setParameter(const char *format, ...) QUORIX_PRINTF(2, 3);
    virtual int addDataListener(const char *key, Requester *requester) = 0;
    virtual int removeDataListener(const char *key, Requester *requester) = 0;
    virtual int addRequester(Requester *requester);
    virtual int removeRequester(Requester *requester);
    virtual int sendMessage(const char *channel, const char *sender, int type, const char *text);
    virtual int addMessageReceiver(const char *channel, MessageReceiver *receiver);
    virtual int removeMessageReceiver(const char *channel, MessageReceiver *receiver);
    virtual void lastErrorText(char *out);
    virtual int parseBools(const char *text, bool *out, int count);
    virtual int parseInts(const char *text, int *out, int count);
    virtual int parseDoubles(const char *text, double *out, int count);
    virtual unsigned replyTimeout();
    virtual void setReplyTimeout(unsigned microseconds);
    virtual int notifyMeasurementStarted();
    virtual int notifyMeasurementStopped();
    virtual int pollAsyncReply();
    virtual int exchange(char *reply, const char *command) = 0;

    IOManager(const IOManager &) = delete;
    IOManager &operator=(const IOManager &) = delete;

    // Marks the commands of a periodic poll, made on this thread while the
    // scope lives: their error replies raise no box, and each failing command
    // is said once on channel "standard" until it succeeds again, so that a
    // Controller refusing one query never floods the user with boxes.
    class PollScope
    {
    public:
        explicit PollScope(IOManager *channel);
        ~PollScope();
        PollScope(const PollScope &) = delete;
        PollScope &operator=(const PollScope &) = delete;

    private:
        IOManager *m_channel;
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
    // Takes permits handed out for a while (around the measurement notices)
    // back, whatever happened meanwhile.
    void takePermitsBack(int n);

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
