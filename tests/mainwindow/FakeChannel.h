#pragma once

#include "IOManager.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QStringList>

#include <functional>

// A command channel whose Controller is a table: "quorix2 get X" answers the
// value set for X, fails with the code set for X, or times out (-111) when
// X is unknown. "quorix2 getmsg" empties a message queue.
class FakeChannel : public IOManager
{
public:
    explicit FakeChannel(MessageBoxProvider *boxes = nullptr) : IOManager(boxes) {}

    void setValue(const QByteArray &parameter, const QByteArray &value)
    {
        m_failures.remove(parameter);
        m_values.insert(parameter, value);
    }
    void setFailure(const QByteArray &parameter, int code)
    {
        m_values.remove(parameter);
        m_failures.insert(parameter, code);
    }
    void queueMessage(const QByteArray &text) { m_messages.append(text); }
    int queuedMessages() const { return m_messages.size(); }
    void setGetmsgFailure(int code) { m_getmsgFailure = code; }
    // Every getmsg is answered with exactly these bytes while they are set.
    void setGetmsgReply(const QByteArray &reply) { m_getmsgReply = reply; }
    void setBusy(bool busy) { m_busy = busy; }
    // Runs inside the next exchange, as a timer tick in a nested event loop would.
    void setDuringNextExchange(std::function<void()> f) { m_during = std::move(f); }

    const QList<QByteArray> &commands() const { return m_commands; }
    int count(const QByteArray &command) const { return m_commands.count(command); }
    void clearCommands() { m_commands.clear(); }

    bool isBusy() override { return m_busy || IOManager::isBusy(); }
    int addDataListener(const char *, Requester *) override { return 0; }
    int removeDataListener(const char *, Requester *) override { return 0; }

    int exchange(char *reply, const char *command) override
    {
        m_commands.append(command);
        if (m_during) {
            auto f = std::move(m_during);
            m_during = nullptr;
            f();
        }
        const QByteArray text(command);
        QByteArray answer;
        if (text == "quorix2 getmsg") {
            if (m_getmsgFailure)
                return m_getmsgFailure;
            if (!m_getmsgReply.isNull()) {
                qstrncpy(reply, m_getmsgReply.constData(), BufferSize);
                return 0;
            }
            answer = m_messages.isEmpty() ? QByteArray("quorix2 ok") : "quorix2 msg " + m_messages.takeFirst();
        } else if (text.startsWith("quorix2 get ")) {
            const QByteArray parameter = text.mid(12);
            if (m_failures.contains(parameter))
                return m_failures.value(parameter);
            if (!m_values.contains(parameter))
                return -111;
            answer = "quorix2 set " + parameter + ' ' + m_values.value(parameter);
        } else {
            answer = "quorix2 ok";
        }
        qstrncpy(reply, answer.constData(), BufferSize);
        return 0;
    }

private:
    QMap<QByteArray, QByteArray> m_values;
    QMap<QByteArray, int> m_failures;
    QList<QByteArray> m_messages;
    QList<QByteArray> m_commands;
    int m_getmsgFailure = 0;
    QByteArray m_getmsgReply;
    bool m_busy = false;
    std::function<void()> m_during;
};
