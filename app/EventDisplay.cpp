#include "EventDisplay.h"

#include "CommandChannel.h"
#include "IOManager.h"
#include "LogFileName.h"
#include "PrivateFiles.h"
#include "TextBrowser.h"

#include <QAction>
#include <QCheckBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QScrollBar>
#include <QTextCodec>
#include <QTextCursor>
#include <QTextDocument>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

const char Prefix[] = "events-";
const char Extension[] = ".log";
// "quorix2 msg": the text kept starts with the blank after it.
const int ReplyWordsLength = 11;

// A queued message: "quorix2 ", a three-letter reply word, then a blank and the
// text (or nothing). A refusal is no message.
bool isQueuedMessage(const QByteArray &reply)
{
    if (reply.size() < ReplyWordsLength || !reply.startsWith("quorix2 ") || reply.startsWith("quorix2 err"))
        return false;
    for (int i = 8; i < ReplyWordsLength; ++i)
        if (reply[i] < 'a' || reply[i] > 'z')
            return false;
    return reply.size() == ReplyWordsLength || reply[ReplyWordsLength] == ' ';
}

// One event is one line, in the view and in the log: control characters are
// written out ("\n", "\x1b") instead of breaking or garbling it.
QString escapeControls(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const ushort u = c.unicode();
        if (u == '\n')
            out += QLatin1String("\\n");
        else if (u == '\r')
            out += QLatin1String("\\r");
        else if (u == '\t')
            out += QLatin1String("\\t");
        else if (u < 0x20 || (u >= 0x7f && u < 0xa0))
            out += QStringLiteral("\\x%1").arg(u, 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

// Senders differ: the host and the Controller write Latin-1, a plug-in may
// write UTF-8. Valid UTF-8 is read as such, anything else as Latin-1, so that
// translated texts keep their umlauts either way.
QString decodeText(const char *text)
{
    const QByteArray bytes(text);
    QTextCodec::ConverterState state;
    const QString utf8 = QTextCodec::codecForMib(106)->toUnicode(bytes.constData(), bytes.size(), &state);
    return state.invalidChars == 0 && state.remainingChars == 0 ? utf8 : QString::fromLatin1(bytes);
}

// "2026-02-02T12:00:00: text", the same on screen and in the log.
QString lineFor(const QDateTime &now, const QString &message)
{
    return now.date().toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char('T')
        + now.time().toString(QStringLiteral("hh:mm:ss")) + QStringLiteral(": ") + escapeControls(message);
}

} // namespace

EventDisplay::EventDisplay(IOManager *channel, const QString &logDir, const QString &hostName, QWidget *parent)
    : QWidget(parent)
    , m_channel(channel)
    , m_logDir(logDir)
    , m_hostName(hostName)
    , m_filter(new QLineEdit(this))
    , m_problemsOnly(new QCheckBox(tr("&Warnings and errors only"), this))
    , m_view(new TextBrowser(this))
    , m_pollTimer(new QTimer(this))
    , m_cleanupTimer(new QTimer(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    auto *filters = new QHBoxLayout;
    m_filter->setObjectName(QStringLiteral("eventFilter"));
    m_filter->setPlaceholderText(tr("Filter"));
    // Taken by a click only: focus passed on to it (a dock hidden beside it)
    // would swallow the window's one-key shortcuts such as M.
    m_filter->setFocusPolicy(Qt::ClickFocus);
    m_filter->setToolTip(tr("Show only the events that contain this text"));
    m_problemsOnly->setObjectName(QStringLiteral("eventProblemsOnly"));
    filters->addWidget(m_filter, 1);
    filters->addWidget(m_problemsOnly);
    layout->addLayout(filters);
    layout->addWidget(m_view);
    m_view->document()->setMaximumBlockCount(MaxLines);
    connect(m_filter, &QLineEdit::textChanged, this, &EventDisplay::refilter);
    connect(m_problemsOnly, &QCheckBox::toggled, this, &EventDisplay::refilter);
    connect(m_view->clearAction(), &QAction::triggered, this, [this] { m_lines.clear(); });

    get_msg();
    connect(m_pollTimer, &QTimer::timeout, this, &EventDisplay::get_msg);
    m_pollTimer->start(HiddenPollMs);
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
                                   + QLatin1Char('_') + LogFileName::hostPart(m_hostName)
                                   + QString::fromLatin1(Extension));
}

// Only ever tried: a tick that arrives while an earlier poll waits inside the
// channel (nested event loop) is dropped rather than queued.
void EventDisplay::get_msg()
{
    if (!m_pollLock.tryLock())
        return;
    const CommandChannel::PollScope polling(m_channel);
    for (int fetched = 0; fetched < MaxMessagesPerPoll && !m_channel->isBusy(); ++fetched) {
        char reply[IOManager::BufferSize] = "";
        if (m_channel->sendCommand(reply, "quorix2 getmsg") < 0)
            break;
        const QByteArray text(reply);
        if (text == "quorix2 ok") {
            m_unexpectedNoted = false;
            m_refusedPolls = 0;
            break;
        }
        if (!isQueuedMessage(text)) {
            // The queue cannot be read now, and asking again at once would only
            // repeat this. Noted once until the Controller answers properly again,
            // and asked less and less often meanwhile.
            if (!m_unexpectedNoted)
                showAndLog(QStringLiteral("(QUORIX4) ")
                           + tr("Unexpected reply to \"quorix2 getmsg\": %1").arg(QString::fromLatin1(text)));
            m_unexpectedNoted = true;
            ++m_refusedPolls;
            break;
        }
        m_unexpectedNoted = false;
        m_refusedPolls = 0;
        showAndLog(QString::fromLatin1(text.mid(ReplyWordsLength)));
    }
    applyPollInterval();
    m_pollLock.unlock();
}

// The bus may deliver from the channel's own threads; the view is the GUI thread's.
int EventDisplay::receive(int, const char *sender, const char *text)
{
    const QString message = QStringLiteral("(%1) %2").arg(decodeText(sender), decodeText(text));
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
    display(now, message);
    emit messageShown(message);
    const QString problem = log(now, lineFor(now, message));
    if (problem.isEmpty()) {
        m_logFailureShown = false;
        return;
    }
    // Said once on the display itself, not in a box: boxes about the log
    // would bury the events. Said again only after the log worked meanwhile.
    if (m_logFailureShown)
        return;
    m_logFailureShown = true;
    display(now, QStringLiteral("(QUORIX4) ")
                     + tr("Error: the event log %1 cannot be written (%2); events are only shown here.")
                           .arg(QDir::toNativeSeparators(logFilePath(now.date())), problem));
}

void EventDisplay::display(const QDateTime &now, const QString &message)
{
    const Line line{lineFor(now, message), EventSeverity::of(message)};
    m_lines.push_back(line);
    while (m_lines.size() > size_t(MaxLines))
        m_lines.pop_front();
    if (passes(line.text, line.level))
        appendToView(line.text, line.level);
}

bool EventDisplay::passes(const QString &line, EventSeverity::Level level) const
{
    if (m_problemsOnly->isChecked() && level == EventSeverity::Plain)
        return false;
    return line.contains(m_filter->text().trimmed(), Qt::CaseInsensitive);
}

void EventDisplay::appendToView(const QString &line, EventSeverity::Level level)
{
    // Plain text always: Controller and module texts may hold "<" and "&".
    QTextCursor cursor(m_view->document());
    cursor.movePosition(QTextCursor::End);
    if (!m_view->document()->isEmpty())
        cursor.insertBlock();
    QTextCharFormat format;
    if (level != EventSeverity::Plain) {
        // Readable on the bright and on the dark theme alike.
        const bool dark = palette().color(QPalette::Base).lightnessF() < 0.5;
        format.setForeground(level == EventSeverity::Error ? (dark ? QColor(255, 110, 100) : QColor(190, 20, 20))
                                                           : (dark ? QColor(255, 190, 80) : QColor(170, 95, 0)));
        format.setFontWeight(QFont::Bold);
    }
    cursor.insertText(line, format);
    m_view->verticalScrollBar()->setValue(m_view->verticalScrollBar()->maximum());
}

void EventDisplay::refilter()
{
    m_view->clear();
    for (const Line &line : m_lines)
        if (passes(line.text, line.level))
            appendToView(line.text, line.level);
}

QString EventDisplay::log(const QDateTime &now, const QString &line)
{
    if (!PrivateFiles::makeDir(m_logDir))
        return tr("the directory %1 cannot be created").arg(QDir::toNativeSeparators(m_logDir));
    QFile file(logFilePath(now.date()));
    // Unbuffered: a full disk shows in the write, not in a close nobody checks.
    // A link in the log's place is neither written through nor changed.
    const QByteArray bytes = line.toLocal8Bit() + '\n';
    if (const int error = PrivateFiles::openToAppend(file, QIODevice::Unbuffered))
        return error == ELOOP ? tr("it is a symbolic link") : QString::fromLocal8Bit(std::strerror(error));
    if (file.write(bytes) != bytes.size())
        return file.errorString();
    return QString();
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

// Shown or hidden sets the pace; refusals in a row slow it down, doubling up to
// MaxRefusedPollMs, until the Controller answers getmsg properly again.
void EventDisplay::applyPollInterval()
{
    int ms = isVisible() ? ShownPollMs : HiddenPollMs;
    for (int i = 0; i < m_refusedPolls && ms < MaxRefusedPollMs; ++i)
        ms *= 2;
    ms = std::min(ms, MaxRefusedPollMs);
    if (m_pollTimer->interval() != ms)
        m_pollTimer->setInterval(ms);
}

void EventDisplay::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    applyPollInterval();
}

void EventDisplay::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    applyPollInterval();
}
