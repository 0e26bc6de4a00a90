#include "CommandChannel.h"

#include "MeasurementStartFailure.h"
#include "MessageBoxProvider.h"
#include "MessageReceiver.h"
#include "ReplyValues.h"
#include "Requester.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QThread>
#include <QVariant>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char ErrorPrefix[] = "quorix2 err";
const char StartCommand[] = "quorix2 tracking start";

bool startsWith(const char *text, const char *prefix)
{
    return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

// Commands whose errors are expected in normal operation and never raise a box.
bool isExemptFromErrorBox(const char *command)
{
    return startsWith(command, "quorix2 get status err") || startsWith(command, "quorix2 set camera update");
}

void copyText(char *dest, const char *source)
{
    const size_t n = strnlen(source, IOManager::BufferSize - 1);
    std::memcpy(dest, source, n);
    dest[n] = '\0';
}

} // namespace

CommandChannel::CommandChannel(MessageBoxProvider *provider)
    : m_provider(provider)
{
    m_lastCommand[0] = '\0';
    m_expectedPrefix[0] = '\0';
}

CommandChannel::~CommandChannel()
{
    std::unique_lock<std::mutex> lock(m_gateMutex);
    m_gateCondition.notify_all();
}

std::atomic<bool> CommandChannel::s_allCancelled{false};

int CommandChannel::acquirePermits(int n)
{
    const Qt::HANDLE self = QThread::currentThreadId();
    std::unique_lock<std::mutex> lock(m_gateMutex);
    // This thread's own command holds them: waiting would never end.
    if (m_permits < n && m_gateHolder == self)
        return BusyWithOwnCommand;
    QDeadlineTimer deadline(GateWaitLimitMs);
    while (m_permits < n) {
        if (waitsCancelled())
            return -1;
        m_gateCondition.wait_for(lock, std::chrono::milliseconds(std::min<qint64>(deadline.remainingTime(), 100)));
        if (m_permits < n && deadline.hasExpired())
            return -1;
    }
    m_permits -= n;
    m_gateHolder = self;
    return 0;
}

void CommandChannel::releasePermits(int n)
{
    std::unique_lock<std::mutex> lock(m_gateMutex);
    m_permits += n;
    if (m_permits >= IdlePermits)
        m_gateHolder = nullptr;
    m_gateCondition.notify_all();
}

bool CommandChannel::onGuiThread()
{
    const QCoreApplication *app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

void CommandChannel::keepWindowAlive()
{
    if (onGuiThread())
        processEventsWhileWaiting(QEventLoop::ExcludeUserInputEvents);
}

// The application says that it waits, so that whatever drives it from inside
// (a test's input, say) holds back as the window system holds a user's input.
void CommandChannel::processEventsWhileWaiting(QEventLoop::ProcessEventsFlags flags)
{
    QCoreApplication *app = QCoreApplication::instance();
    const bool outermost = m_waitDepth++ == 0 && app && !app->property(WaitingProperty).toBool();
    if (outermost)
        app->setProperty(WaitingProperty, true);
    QCoreApplication::processEvents(flags);
    if (outermost)
        app->setProperty(WaitingProperty, false);
    --m_waitDepth;
}

CommandChannel::PollScope::PollScope(IOManager *channel)
    : m_channel(dynamic_cast<CommandChannel *>(channel))
{
    if (!m_channel)
        return;
    if (m_channel->m_pollDepth++ == 0)
        m_channel->m_pollThread = QThread::currentThreadId();
}

CommandChannel::PollScope::~PollScope()
{
    if (m_channel && --m_channel->m_pollDepth == 0)
        m_channel->m_pollThread = nullptr;
}

bool CommandChannel::inPollScope() const
{
    return m_pollThread == QThread::currentThreadId() && m_pollDepth > 0;
}

void CommandChannel::notePoll(const char *command, const char *reply, int result)
{
    const QByteArray key(command);
    if (result == 0) {
        m_failingPolls.erase(key);
        return;
    }
    // A broken channel or one that broke just now (closed, reset, not sent),
    // a cancelled wait, a busy gate: said elsewhere, or nothing failed.
    if (result == -222 || result == -22 || result == -2 || result == BusyWithOwnCommand || waitsCancelled()
        || !m_failingPolls.insert(key).second)
        return;
    QString why;
    // Only an error reply that was read whole is a refusal; a fragment cut
    // off by a lost connection is not the Controller's word.
    if ((result == -32 || result == -34) && startsWith(reply, ErrorPrefix))
        why = QCoreApplication::translate("IOManager", "the Controller refused it (%1)").arg(QString::fromLatin1(reply));
    else if (result == -111 || result == -1)
        why = QCoreApplication::translate("IOManager", "no reply in time");
    else
        why = QCoreApplication::translate("IOManager", "error %1").arg(result);
    const QString text = QCoreApplication::translate("IOManager", "Error: \"%1\" failed: %2. Shown as failed until it succeeds.")
                             .arg(QString::fromLatin1(command), why);
    sendMessage("standard", "QUORIX4", 1, text.toUtf8().constData());
}

bool CommandChannel::isWaitingOnThisThread() const
{
    return m_waitDepth > 0 && m_gateHolder == QThread::currentThreadId();
}

bool CommandChannel::isBusy()
{
    std::unique_lock<std::mutex> lock(m_gateMutex);
    return m_next.async || m_permits < IdlePermits;
}

int CommandChannel::prepareNextCommand(bool async, int timeoutMs, bool quiet)
{
    if (const int gate = acquirePermits(IdlePermits))
        return gate;
    m_next.pending = true;
    m_next.async = async;
    m_next.quiet = quiet;
    if (timeoutMs > -1)
        m_next.timeoutMs = timeoutMs;
    const int configuredMs = int(replyTimeout() / 1000);
    if (configuredMs > m_next.timeoutMs)
        m_next.timeoutMs = configuredMs;
    releasePermits(CommandPermits);
    return 0;
}

void CommandChannel::consumeOptions()
{
    const bool wasPending = m_next.pending;
    m_next = NextCommand();
    if (wasPending)
        releasePermits(1);
}

void CommandChannel::showErrorBox(const char *command, const char *reply)
{
    const QString startFailure = MeasurementStartFailure::boxText(reply);
    if (!startFailure.isNull()) {
        m_provider->openMessageBox(2, QCoreApplication::translate("IOManager", "Command Failed"), startFailure);
        return;
    }
    m_provider->openMessageBox(2, QCoreApplication::translate("IOManager", "Command Error"),
                               QString::fromLatin1(command) + QLatin1Char('\n') + QString::fromLatin1(reply));
}

// The common send path of every command operation.
int CommandChannel::runCommand(char *reply, CallType type, Destination destination, const char *prefix,
                          const char *format, va_list args)
{
    if (const int gate = acquirePermits(CommandPermits)) {
        reply[0] = '\0';
        return gate;
    }

    char command[MaxCommandLength + 2];
    const int prefixLength = int(std::strlen(prefix));
    std::memcpy(command, prefix, prefixLength + 1);
    // A "%f" goes out with '.', also when the process runs in the user's locale.
    const locale_t userLocale = uselocale(ReplyValues::cLocale());
    const int length = std::vsnprintf(command + prefixLength, sizeof command - prefixLength, format, args);
    uselocale(userLocale);
    reply[0] = '\0';
    if (length < 0 || prefixLength + length > MaxCommandLength) {
        // Nothing is sent for a command that does not fit the Controller's limit.
        consumeOptions();
        releasePermits(CommandPermits);
        return -1;
    }

    m_callType = type;
    const bool polling = inPollScope();
    m_reportErrors = !isExemptFromErrorBox(command) && !polling;
    copyText(m_lastCommand, command);
    if (type == Raw || type == Set)
        m_expectedPrefix[0] = '\0';
    else
        std::snprintf(m_expectedPrefix, sizeof m_expectedPrefix, "quorix2 set %s ", command + prefixLength);

    int r = exchange(reply, command);
    if (r == 1) {
        m_asyncCaller = reply;
        m_asyncDestination = destination;
        return 1;   // the permits stay taken until waitAsyncReply()
    }
    if (r == 0 && m_reportErrors && startsWith(reply, ErrorPrefix) && !m_next.quiet && m_provider)
        showErrorBox(command, reply);
    consumeOptions();
    if (r == 0)
        r = interpret(reply, type, destination);
    releasePermits(CommandPermits);
    if (polling)
        notePoll(command, reply, r);
    afterCommand();
    return r;
}

// Turns a reply into the operation's result and, for a get, its value.
int CommandChannel::interpret(const char *reply, CallType type, Destination destination)
{
    return ReplyValues::interpret(reply, m_expectedPrefix, type, destination.pointer, destination.count);
}

int CommandChannel::sendCommand(char *reply, const char *format, ...)
{
    if (std::strcmp(format, StartCommand) == 0) {
        // The start always runs synchronously, shows its errors and waits long enough.
        {
            std::unique_lock<std::mutex> lock(m_gateMutex);
            if (m_next.pending) {
                m_next = NextCommand();
                ++m_permits;
                m_gateCondition.notify_all();
            }
        }
        prepareNextCommand(false, 5000, false);
    }
    va_list args;
    va_start(args, format);
    const int r = runCommand(reply, Raw, Destination(), "", format, args);
    va_end(args);
    return r;
}

#define QUORIX_GET(type, pointer, count)                                                  \
    va_list args;                                                                         \
    va_start(args, format);                                                               \
    const int r = runCommand(m_reply, type, Destination{pointer, count}, "quorix2 get ", format, args); \
    va_end(args);                                                                         \
    return r

int CommandChannel::getString(char *value, const char *format, ...) { QUORIX_GET(GetString, value, 1); }
int CommandChannel::getInt(int *value, const char *format, ...) { QUORIX_GET(GetInt, value, 1); }
int CommandChannel::getDouble(double *value, const char *format, ...) { QUORIX_GET(GetDouble, value, 1); }
int CommandChannel::getBool(bool *value, const char *format, ...) { QUORIX_GET(GetBool, value, 1); }
int CommandChannel::getDoubles(double *values, int count, const char *format, ...) { QUORIX_GET(GetDoubles, values, count); }
int CommandChannel::getInts(int *values, int count, const char *format, ...) { QUORIX_GET(GetInts, values, count); }

#undef QUORIX_GET

int CommandChannel::setParameter(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    const int r = runCommand(m_reply, Set, Destination(), "quorix2 set ", format, args);
    va_end(args);
    return r;
}

int CommandChannel::waitAsyncReply(QEventLoop::ProcessEventsFlags flags)
{
    {
        std::unique_lock<std::mutex> lock(m_gateMutex);
        if (!m_next.pending || !m_next.async)
            return -1;
    }
    QElapsedTimer clock;
    clock.start();
    const int timeoutMs = m_next.timeoutMs;
    int r = 0;
    for (;;) {
        r = pollAsyncReply();
        if (r != 0)
            break;
        if (timeoutMs == -1) {
            r = -1;
            break;
        }
        processEventsWhileWaiting(flags);
        QThread::msleep(1);
        if (clock.elapsed() >= timeoutMs || waitsCancelled()) {
            // One last look: what has come by the end of the wait counts.
            r = pollAsyncReply();
            if (r == 0)
                r = -1;
            break;
        }
    }
    char *reply = m_asyncCaller;
    if (r == 1) {
        if (m_reportErrors && startsWith(reply, "quorix2 err ") && !m_next.quiet && m_provider)
            showErrorBox(m_lastCommand, reply);
        r = interpret(reply, m_callType, m_asyncDestination);
    }
    {
        std::unique_lock<std::mutex> lock(m_gateMutex);
        m_next = NextCommand();
        m_asyncCaller = nullptr;
        m_asyncDestination = Destination();
    }
    releasePermits(IdlePermits);
    afterCommand();
    return r;
}

int CommandChannel::addRequester(Requester *requester)
{
    m_requesters.insert(requester);
    return 0;
}

int CommandChannel::removeRequester(Requester *requester)
{
    m_requesters.erase(requester);
    return 0;
}

int CommandChannel::notifyMeasurementStarted()
{
    // A copy: a requester may unsubscribe itself from inside its notice.
    const std::set<Requester *> requesters = m_requesters;
    for (Requester *r : requesters)
        if (m_requesters.count(r))
            r->onMeasurementStarted();
    return 0;
}

int CommandChannel::notifyMeasurementStopped()
{
    const std::set<Requester *> requesters = m_requesters;
    for (Requester *r : requesters)
        if (m_requesters.count(r))
            r->onMeasurementStopped();
    return 0;
}

int CommandChannel::sendMessage(const char *channel, const char *sender, int type, const char *text)
{
    std::lock_guard<std::recursive_mutex> lock(m_registryMutex);
    const auto it = m_receivers.find(QByteArray(channel));
    if (it == m_receivers.end())
        return -1;
    // A copy: a receiver may unregister itself, or others, while it handles the message.
    const std::set<MessageReceiver *> receivers = it->second;
    for (MessageReceiver *r : receivers) {
        const auto current = m_receivers.find(QByteArray(channel));
        if (current != m_receivers.end() && current->second.count(r))
            r->receive(type, sender, text);
    }
    return 0;
}

int CommandChannel::addMessageReceiver(const char *channel, MessageReceiver *receiver)
{
    std::lock_guard<std::recursive_mutex> lock(m_registryMutex);
    return m_receivers[QByteArray(channel)].insert(receiver).second ? 0 : -1;
}

int CommandChannel::removeMessageReceiver(const char *channel, MessageReceiver *receiver)
{
    std::lock_guard<std::recursive_mutex> lock(m_registryMutex);
    const auto it = m_receivers.find(QByteArray(channel));
    if (it == m_receivers.end() || it->second.erase(receiver) == 0)
        return -1;
    if (it->second.empty())
        m_receivers.erase(it);
    return 0;
}

void CommandChannel::lastErrorText(char *out)
{
    if (out)
        out[0] = '\0';
}

int CommandChannel::parseBools(const char *text, bool *out, int count)
{
    return ReplyValues::parseBools(text, out, count);
}

int CommandChannel::parseInts(const char *text, int *out, int count)
{
    return ReplyValues::parseInts(text, out, count);
}

int CommandChannel::parseDoubles(const char *text, double *out, int count)
{
    return ReplyValues::parseDoubles(text, out, count);
}

unsigned CommandChannel::replyTimeout()
{
    return m_replyTimeoutUs;
}

void CommandChannel::setReplyTimeout(unsigned microseconds)
{
    m_replyTimeoutUs = microseconds;
}

int CommandChannel::pollAsyncReply()
{
    return 0;
}
