#include "ScriptedChannel.h"

#include <QtGlobal>

ScriptedChannel::ScriptedChannel()
    : IOManager(nullptr)
{
}

int ScriptedChannel::exchange(char *reply, const char *command)
{
    m_commands.append(command);
    auto it = m_replies.constFind(command);
    if (it == m_replies.constEnd()) {
        reply[0] = '\0';
        return -111;
    }
    qstrncpy(reply, it->constData(), BufferSize);
    return 0;
}
