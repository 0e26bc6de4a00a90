#include "DisplayCheck.h"

#include <xcb/xcb.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace {

// The value of a Qt option such as "-platform NAME" or "-platform=NAME".
QString optionValue(const QStringList &arguments, const QString &option)
{
    for (int i = 1; i < arguments.size(); ++i) {
        const QString &word = arguments.at(i);
        if ((word == option || word == QLatin1Char('-') + option) && i + 1 < arguments.size())
            return arguments.at(i + 1);
        if (word.startsWith(option + QLatin1Char('=')))
            return word.mid(option.size() + 1);
    }
    return QString();
}

xcb_connection_t *g_held = nullptr;

// A server that takes the connection and never answers would hold xcb_connect,
// and the program, for good: the connection is made on a thread of its own
// and given up after `ms`. That thread is left to its wait; it touches nothing
// but what it shares with this call, which it owns once given up.
xcb_connection_t *connectWithin(const QByteArray &display, int ms)
{
    struct Attempt
    {
        std::mutex lock;
        std::condition_variable done;
        bool finished = false;
        bool abandoned = false;
        xcb_connection_t *connection = nullptr;
    };
    auto attempt = std::make_shared<Attempt>();
    std::thread([attempt, display] {
        xcb_connection_t *connection = xcb_connect(display.constData(), nullptr);
        std::lock_guard<std::mutex> guard(attempt->lock);
        if (attempt->abandoned) {
            xcb_disconnect(connection);
            return;
        }
        attempt->connection = connection;
        attempt->finished = true;
        attempt->done.notify_one();
    }).detach();
    std::unique_lock<std::mutex> guard(attempt->lock);
    if (!attempt->done.wait_for(guard, std::chrono::milliseconds(ms), [&] { return attempt->finished; })) {
        attempt->abandoned = true;
        return nullptr;
    }
    return attempt->connection;
}

} // namespace

bool DisplayCheck::available(const QStringList &arguments, QString *displayName)
{
    QString platform = optionValue(arguments, QStringLiteral("-platform"));
    if (platform.isEmpty())
        platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    // "xcb:option=value" names the plug-in before the colon; Qt on Linux uses
    // X11 when nothing is named.
    platform = platform.section(QLatin1Char(':'), 0, 0);
    if (!platform.isEmpty() && platform != QLatin1String("xcb"))
        return true;
    // In a Wayland session Qt may choose Wayland by itself; it is not ours to judge.
    if (platform.isEmpty() && qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland")
        && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return true;

    QString display = optionValue(arguments, QStringLiteral("-display"));
    if (display.isEmpty())
        display = qEnvironmentVariable("DISPLAY");
    if (displayName)
        *displayName = display;
    if (display.isEmpty())
        return false;
    xcb_connection_t *connection = connectWithin(display.toLocal8Bit(), AnswerMs);
    const bool reached = connection && !xcb_connection_has_error(connection);
    if (reached && !g_held)
        g_held = connection;
    else if (connection)
        xcb_disconnect(connection);
    return reached;
}

void DisplayCheck::release()
{
    if (g_held)
        xcb_disconnect(g_held);
    g_held = nullptr;
}
