#include "FakeChannel.h"

namespace {

const QByteArray GetPrefix = QByteArrayLiteral("quorix2 get ");
const QByteArray Getmsg = QByteArrayLiteral("quorix2 getmsg");

} // namespace

FakeChannel::FakeChannel(MessageBoxProvider *boxes)
    : CommandChannel(boxes)
{
}

void FakeChannel::reply(const QByteArray &command, const QByteArray &answer)
{
    m_exact.insert(command, {0, answer});
}

void FakeChannel::fail(const QByteArray &command, int code, const QByteArray &partial)
{
    m_exact.insert(command, {code, partial});
}

void FakeChannel::forget(const QByteArray &command)
{
    m_exact.remove(command);
}

void FakeChannel::setDefaultReply(const QByteArray &answer)
{
    m_default = {0, answer};
    m_defaultGet = m_default;
}

void FakeChannel::setDefaultFailure(int code)
{
    m_default = {code, QByteArray()};
    m_defaultGet = m_default;
}

void FakeChannel::queueReply(const QByteArray &answer, int code)
{
    m_queue.append({code, answer});
}

void FakeChannel::setValue(const QByteArray &parameter, const QByteArray &value)
{
    reply(GetPrefix + parameter, "quorix2 set " + parameter + ' ' + value);
}

void FakeChannel::setFailure(const QByteArray &parameter, int code)
{
    fail(GetPrefix + parameter, code);
}

void FakeChannel::answerEveryGet(const QByteArray &value)
{
    m_everyGet = value;
}

void FakeChannel::clearCommands()
{
    m_commands.clear();
    m_timeouts.clear();
}

bool FakeChannel::isBusy()
{
    return m_busy || CommandChannel::isBusy();
}

int FakeChannel::addDataListener(const char *key, Requester *)
{
    m_added.append(key);
    return 0;
}

int FakeChannel::removeDataListener(const char *key, Requester *)
{
    m_removed.append(key);
    return 0;
}

FakeChannel::Outcome FakeChannel::answer(const QByteArray &command)
{
    if (!m_queue.isEmpty())
        return m_queue.takeFirst();
    const auto exact = m_exact.constFind(command);
    if (exact != m_exact.constEnd())
        return *exact;
    if (command == Getmsg && !m_messages.isEmpty())
        return {0, "quorix2 msg " + m_messages.takeFirst()};
    if (!command.startsWith(GetPrefix))
        return m_default;
    if (!m_everyGet.isNull())
        return {0, "quorix2 set " + command.mid(GetPrefix.size()) + ' ' + m_everyGet};
    return m_defaultGet;
}

int FakeChannel::exchange(char *reply, const char *command)
{
    const QByteArray text(command);
    m_commands.append(text);
    m_timeouts.append(m_next.timeoutMs);
    if (m_hook) {
        const auto hook = m_hook;   // the hook may replace itself
        hook(text);
    }
    if (m_next.pending && m_next.async) {
        m_asyncCommand = text;
        return 1;
    }
    const Outcome outcome = answer(text);
    qstrncpy(reply, outcome.text.constData(), BufferSize);
    return outcome.code;
}

int FakeChannel::pollAsyncReply()
{
    if (!m_asyncReady || !m_asyncCaller)
        return 0;
    const Outcome outcome = answer(m_asyncCommand);
    qstrncpy(m_asyncCaller, outcome.text.constData(), BufferSize);
    return outcome.code == 0 ? 1 : outcome.code;
}
