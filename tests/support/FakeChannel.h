#pragma once

#include "CommandChannel.h"

#include <QByteArray>
#include <QList>
#include <QMap>

#include <atomic>
#include <functional>

// A command channel whose Controller is a script. Everything above the
// transport is the real channel (gate, grammar, registries, boxes); only the
// exchange is answered here, and every command that reaches it is recorded.
//
// A command is answered by the first of these that applies:
//   1. the next queued reply (queueReply), in turn;
//   2. its own scripted reply or failure (reply, fail, setValue, setFailure);
//   3. for "quorix2 getmsg", the next queued event message, as "quorix2 msg TEXT";
//   4. for a get, the value given to every get (answerEveryGet);
//   5. the default: a get times out, anything else is answered "quorix2 ok";
//      setDefaultReply() and setDefaultFailure() answer every command alike.
// A failure makes the exchange return its code (-111 is the time-out), with
// the reply buffer holding the given text, empty by default.
//
// With the asynchronous option pending, the exchange reports the command as
// sent (1) and pollAsyncReply() hands the answer over once
// setAsyncReplyReady(true) was called; the answer is chosen at that moment.
//
// Used from one thread at a time: the channel's gate orders the commands of
// several threads, and the test reads the record when they are done.
class FakeChannel : public CommandChannel
{
public:
    explicit FakeChannel(MessageBoxProvider *boxes = nullptr);

    void reply(const QByteArray &command, const QByteArray &answer);
    void fail(const QByteArray &command, int code, const QByteArray &partial = QByteArray());
    void forget(const QByteArray &command);
    void setDefaultReply(const QByteArray &answer);
    void setDefaultFailure(int code);
    void queueReply(const QByteArray &answer, int code = 0);

    // "quorix2 get PARAMETER" answered "quorix2 set PARAMETER VALUE", or failed.
    void setValue(const QByteArray &parameter, const QByteArray &value);
    void setFailure(const QByteArray &parameter, int code);
    void answerEveryGet(const QByteArray &value);

    // The Controller's event messages, handed out one per getmsg.
    void queueMessage(const QByteArray &text) { m_messages.append(text); }
    int queuedMessages() const { return m_messages.size(); }

    void setBusy(bool busy) { m_busy = busy; }
    void setAsyncReplyReady(bool ready) { m_asyncReady = ready; }
    // Runs at every exchange, after the command is recorded and before it is
    // answered, as a timer tick in a nested event loop would.
    void setExchangeHook(std::function<void(const QByteArray &command)> hook) { m_hook = std::move(hook); }

    const QList<QByteArray> &commands() const { return m_commands; }
    int count(const QByteArray &command) const { return m_commands.count(command); }
    // The time-out each command was sent with, in the order of commands().
    const QList<int> &timeouts() const { return m_timeouts; }
    void clearCommands();

    // Subscriptions are recorded by key, in call order.
    const QList<QByteArray> &addedListeners() const { return m_added; }
    const QList<QByteArray> &removedListeners() const { return m_removed; }

    bool isBusy() override;
    int addDataListener(const char *key, Requester *requester) override;
    int removeDataListener(const char *key, Requester *requester) override;
    int pollAsyncReply() override;
    int exchange(char *reply, const char *command) override;

private:
    struct Outcome {
        int code = 0;
        QByteArray text;
    };

    Outcome answer(const QByteArray &command);

    QList<Outcome> m_queue;
    QMap<QByteArray, Outcome> m_exact;
    Outcome m_defaultGet{-111, QByteArray()};
    Outcome m_default{0, QByteArrayLiteral("quorix2 ok")};
    QByteArray m_everyGet;
    QList<QByteArray> m_messages;
    QList<QByteArray> m_commands;
    QList<int> m_timeouts;
    QList<QByteArray> m_added;
    QList<QByteArray> m_removed;
    QByteArray m_asyncCommand;
    std::atomic<bool> m_asyncReady{false};
    bool m_busy = false;
    std::function<void(const QByteArray &)> m_hook;
};
