#pragma once

#include "MessageReceiver.h"

#include <QList>
#include <QString>
#include <QStringList>

// Records what is sent on a message channel, for a test to look at.
class MessageCollector : public MessageReceiver
{
public:
    struct Message
    {
        int type;
        QString sender;
        QString text;
    };

    int receive(int type, const char *sender, const char *text) override
    {
        messages.append({type, QString::fromLatin1(sender), QString::fromLatin1(text)});
        return 0;
    }
    QStringList texts() const
    {
        QStringList out;
        for (const Message &m : messages)
            out << m.text;
        return out;
    }

    QList<Message> messages;
};
