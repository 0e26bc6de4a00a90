#include "DisplayLoss.h"

#include "DisplayCheck.h"

#include <QFile>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <fcntl.h>
#include <mutex>
#include <thread>
#include <unistd.h>

namespace {

struct Kept
{
    QByteArray path;
    QByteArray content;
};

QStringList g_arguments;
std::atomic<bool> g_mainReturned{false};
std::timed_mutex g_lock;
Kept g_preferences;
Kept g_layout;

// Beside the file first, then over it: an ending never leaves half a file.
// Private to the user, as the preferences may hold the front-end password.
void writeWhole(const Kept &kept)
{
    if (kept.path.isEmpty() || kept.content.isEmpty())
        return;
    const QByteArray temporary = kept.path + ".ending";
    const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    qint64 done = 0;
    while (done < kept.content.size()) {
        const ssize_t n = ::write(fd, kept.content.constData() + done, size_t(kept.content.size() - done));
        if (n <= 0)
            break;
        done += n;
    }
    const bool whole = done == kept.content.size() && ::fsync(fd) == 0;
    ::close(fd);
    if (!whole || ::rename(temporary.constData(), kept.path.constData()) != 0)
        ::unlink(temporary.constData());
}

} // namespace

void DisplayLoss::watch(const QStringList &arguments)
{
    g_arguments = arguments;
    std::atexit(onExit);
    // Xlib's own handler calls exit() on whichever thread saw the loss first,
    // while Qt calls it on the GUI thread: two threads in exit() crash. Looked
    // up at run time, so that nothing here needs Xlib to build or to run.
    using Handler = int (*)(void *);
    using SetHandler = Handler (*)(Handler);
    if (auto set = reinterpret_cast<SetHandler>(dlsym(RTLD_DEFAULT, "XSetIOErrorHandler")))
        set(onIoError);
}

void DisplayLoss::remember(const QString &preferencesFile, const QByteArray &preferences, const QString &layoutFile,
                           const QByteArray &layout)
{
    Kept newPreferences{QFile::encodeName(preferencesFile), preferences};
    Kept newLayout{QFile::encodeName(layoutFile), layout};
    const std::lock_guard<std::timed_mutex> hold(g_lock);
    std::swap(g_preferences, newPreferences);
    std::swap(g_layout, newLayout);
}

void DisplayLoss::forget()
{
    remember(QString(), QByteArray(), QString(), QByteArray());
}

void DisplayLoss::mainReturns()
{
    g_mainReturned = true;
}

void DisplayLoss::end()
{
    // The first thread here writes; another one waits for the process to end.
    static std::atomic<bool> ending{false};
    if (ending.exchange(true)) {
        for (;;)
            std::this_thread::sleep_for(std::chrono::seconds(1));
    }
    if (g_lock.try_lock_for(std::chrono::seconds(1))) {
        writeWhole(g_preferences);
        writeWhole(g_layout);
    }
    std::fflush(nullptr);
    std::_Exit(0);
}

void DisplayLoss::onExit()
{
    if (!g_mainReturned && !DisplayCheck::available(g_arguments, nullptr))
        end();
}

int DisplayLoss::onIoError(void *)
{
    std::fputs("quorix4: the connection to the display is lost\n", stderr);
    end();
}
