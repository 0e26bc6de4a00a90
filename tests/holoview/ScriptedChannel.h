#pragma once

#include "IOManager.h"
#include "MessageReceiver.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

// A command channel whose Controller is a table of replies: commands without
// a reply time out. Everything above the transport is the real channel.
class ScriptedChannel : public IOManager
{
public:
    ScriptedChannel();

    void reply(const QByteArray &command, const QByteArray &answer) { m_replies.insert(command, answer); }
    const QList<QByteArray> &commands() const { return m_commands; }

    // Subscriptions are only recorded, in call order, as "key".
    int addDataListener(const char *key, Requester *) override
    {
        m_added.append(key);
        return 0;
    }
    int removeDataListener(const char *key, Requester *) override
    {
        m_removed.append(key);
        return 0;
    }
    const QList<QByteArray> &addedListeners() const { return m_added; }
    const QList<QByteArray> &removedListeners() const { return m_removed; }
    int exchange(char *reply, const char *command) override;

private:
    QMap<QByteArray, QByteArray> m_replies;
    QList<QByteArray> m_commands;
    QList<QByteArray> m_added;
    QList<QByteArray> m_removed;
};

// Collects what is sent on one message channel.
class EventRecorder : public MessageReceiver
{
public:
    struct Event {
        int type;
        QString sender;
        QString text;
    };

    int receive(int type, const char *sender, const char *text) override
    {
        events.append({type, QString::fromUtf8(sender), QString::fromUtf8(text)});
        return 0;
    }
    QStringList texts() const
    {
        QStringList list;
        for (const Event &e : events)
            list << e.text;
        return list;
    }

    QList<Event> events;
};
