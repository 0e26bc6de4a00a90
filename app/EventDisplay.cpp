#include "EventDisplay.h"

#include "IOManager.h"
#include "TextBrowser.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QScrollBar>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <cstring>

namespace {

const char Prefix[] = "events-";
const char Extension[] = ".log";
// "quorix2 msg": the text kept starts with the blank after it.
const int ReplyWordsLength = 11;

} // namespace

EventDisplay::EventDisplay(IOManager *channel, const QString &logDir, const QString &hostName, QWidget *parent)
    : QWidget(parent)
    , m_channel(channel)
    , m_logDir(logDir)
    , m_hostName(hostName)
    , m_view(new TextBrowser(this))
    , m_pollTimer(new QTimer(this))
    , m_cleanupTimer(new QTimer(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    m_view->document()->setMaximumBlockCount(MaxLines);

    get_msg();
    connect(m_pollTimer, &QTimer::timeout, this, &EventDisplay::get_msg);
    m_pollTimer->start(1000);
    setWhatsThis(tr("This windows shows all Controller warnings and error messages."));

    onDeleteOldLogFiles();
    connect(m_cleanupTimer, &QTimer::timeout, this, &EventDisplay::onDeleteOldLogFiles);
    m_cleanupTimer->start(86400000);
}

int EventDisplay::pollInterval() const
{
    return m_pollTimer->interval();
}

bool EventDisplay::isPolling() const
{
    return m_pollTimer->isActive();
}

void EventDisplay::stop()
{
    m_pollTimer->stop();
}

QString EventDisplay::logFilePath(const QDate &date) const
{
    return QDir(m_logDir).filePath(QString::fromLatin1(Prefix) + date.toString(QStringLiteral("yyyy-MM-dd"))
                                   + QLatin1Char('_') + m_hostName + QString::fromLatin1(Extension));
}

// Only ever tried: a tick that arrives while an earlier poll waits inside the
// channel (nested event loop) is dropped rather than queued.
void EventDisplay::get_msg()
{
    if (!m_pollLock.tryLock())
        return;
    for (int fetched = 0; fetched < MaxMessagesPerPoll && !m_channel->isBusy(); ++fetched) {
        char reply[IOManager::BufferSize] = "";
        if (m_channel->sendCommand(reply, "quorix2 getmsg") < 0)
            break;
        if (std::strcmp(reply, "quorix2 ok") == 0)
            break;
        if (std::strlen(reply) > size_t(ReplyWordsLength))
            showAndLog(QString::fromLatin1(reply + ReplyWordsLength));
    }
    m_pollLock.unlock();
}

// The bus may deliver from the channel's own threads; the view is the GUI thread's.
int EventDisplay::receive(int, const char *sender, const char *text)
{
    const QString message = QStringLiteral("(%1) %2").arg(QString::fromLatin1(sender), QString::fromLatin1(text));
    if (QThread::currentThread() == thread())
        showAndLog(message);
    else
        QMetaObject::invokeMethod(this, [this, message] { showAndLog(message); }, Qt::QueuedConnection);
    return 0;
}

void EventDisplay::showAndLog(const QString &message)
{
    if (message.isEmpty())
        return;
    const QDateTime now = QDateTime::currentDateTime();
    const QString line = now.date().toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char('T')
        + now.time().toString(QStringLiteral("hh:mm:ss")) + QStringLiteral(": ") + message;
    m_view->append(line);
    m_view->verticalScrollBar()->setValue(m_view->verticalScrollBar()->maximum());
    log(now, line);
}

// Logging never reports: an event view that pops up boxes about its own log would bury the events.
void EventDisplay::log(const QDateTime &now, const QString &line)
{
    if (!QDir().mkpath(m_logDir))
        return;
    QFile file(logFilePath(now.date()));
    if (!file.open(QIODevice::Append | QIODevice::Text))
        return;
    file.write(line.toLocal8Bit() + '\n');
}

void EventDisplay::onDeleteOldLogFiles()
{
    QDir dir(m_logDir);
    if (!dir.exists())
        return;
    const QString cutOff = QDate::currentDate().addDays(-KeepLogDays).toString(QStringLiteral("yyyy-MM-dd"));
    const QString prefix = QString::fromLatin1(Prefix);
    const QStringList files = dir.entryList({prefix + QLatin1Char('*') + QString::fromLatin1(Extension)}, QDir::Files);
    for (const QString &name : files)
        if (name.mid(prefix.size(), 10) < cutOff)
            dir.remove(name);
}

void EventDisplay::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_pollTimer->setInterval(100);
}

void EventDisplay::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    m_pollTimer->setInterval(1000);
}
