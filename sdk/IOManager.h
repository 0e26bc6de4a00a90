#pragma once

#include <QEventLoop>

class MessageReceiver;
class Requester;

// printf-style operations are checked by the compiler at every call site.
// Positions count the implicit object argument as 1.
#define QUORIX_PRINTF(fmt, first) __attribute__((format(printf, fmt, first)))

// The command channel to the Controller. Every part of the front end and every
// plug-in sends its commands through this class and receives measurement data
// through it. Separately compiled plug-ins call through the same table of
// virtual functions: the declaration order below is part of the plug-in ABI and
// must never change. The host's channels implement it (CommandChannel in
// comm/); a plug-in only calls through this table, so nothing here has to be
// linked by it.
class IOManager
{
public:
    enum CallType { Raw = 0, Set = 1, GetString = 2, GetInt = 3, GetInts = 4,
                    GetDouble = 5, GetDoubles = 6, GetBool = 7 };

    // Every reply or text buffer handed to a command operation holds this many bytes.
    static constexpr int BufferSize = 200;
    static constexpr int MaxCommandLength = 200;
    // A command from the thread whose own command is in flight (an event handler
    // run while that command waits): it would wait for itself, so it fails at
    // once and nothing is sent.
    static constexpr int BusyWithOwnCommand = -4;

    virtual ~IOManager() = default;

    virtual bool isBusy() = 0;
    virtual int prepareNextCommand(bool async, int timeoutMs, bool quiet) = 0;
    virtual int sendCommand(char *reply, const char *format, ...) QUORIX_PRINTF(3, 4) = 0;
    virtual int waitAsyncReply(QEventLoop::ProcessEventsFlags flags) = 0;
    virtual int getString(char *value, const char *format, ...) QUORIX_PRINTF(3, 4) = 0;
    virtual int getInt(int *value, const char *format, ...) QUORIX_PRINTF(3, 4) = 0;
    virtual int getDouble(double *value, const char *format, ...) QUORIX_PRINTF(3, 4) = 0;
    virtual int getBool(bool *value, const char *format, ...) QUORIX_PRINTF(3, 4) = 0;
    virtual int getDoubles(double *values, int count, const char *format, ...) QUORIX_PRINTF(4, 5) = 0;
    virtual int getInts(int *values, int count, const char *format, ...) QUORIX_PRINTF(4, 5) = 0;
    virtual int setParameter(const char *format, ...) QUORIX_PRINTF(2, 3) = 0;
    virtual int addDataListener(const char *key, Requester *requester) = 0;
    virtual int removeDataListener(const char *key, Requester *requester) = 0;
    virtual int addRequester(Requester *requester) = 0;
    virtual int removeRequester(Requester *requester) = 0;
    virtual int sendMessage(const char *channel, const char *sender, int type, const char *text) = 0;
    virtual int addMessageReceiver(const char *channel, MessageReceiver *receiver) = 0;
    virtual int removeMessageReceiver(const char *channel, MessageReceiver *receiver) = 0;
    virtual void lastErrorText(char *out) = 0;
    virtual int parseBools(const char *text, bool *out, int count) = 0;
    virtual int parseInts(const char *text, int *out, int count) = 0;
    virtual int parseDoubles(const char *text, double *out, int count) = 0;
    virtual unsigned replyTimeout() = 0;
    virtual void setReplyTimeout(unsigned microseconds) = 0;
    virtual int notifyMeasurementStarted() = 0;
    virtual int notifyMeasurementStopped() = 0;
    virtual int pollAsyncReply() = 0;
    virtual int exchange(char *reply, const char *command) = 0;

    IOManager(const IOManager &) = delete;
    IOManager &operator=(const IOManager &) = delete;

protected:
    IOManager() = default;
};
