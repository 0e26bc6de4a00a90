#pragma once

#include "EventSeverity.h"
#include "MessageReceiver.h"

#include <QDate>
#include <QMutex>
#include <QWidget>

#include <deque>

class IOManager;
class QCheckBox;
class QLineEdit;
class QTimer;
class TextBrowser;

// The Controller's warnings and errors and the front end's own notices, shown
// with a time stamp and appended to one log file per day.
class EventDisplay : public QWidget, public MessageReceiver
{
    Q_OBJECT

public:
    static constexpr int MaxLines = 200;
    static constexpr int KeepLogDays = 200;
    // One poll fetches at most this many messages, so that a flooded queue
    // cannot hold the GUI; the rest follows at the next tick.
    static constexpr int MaxMessagesPerPoll = 100;
    // Poll intervals: hidden, shown, and at most while the Controller refuses
    // getmsg (the interval doubles at each refused poll up to this).
    static constexpr int HiddenPollMs = 1000;
    static constexpr int ShownPollMs = 100;
    static constexpr int MaxRefusedPollMs = 10000;

    EventDisplay(IOManager *channel, const QString &logDir, const QString &hostName, QWidget *parent = nullptr);

    TextBrowser *view() const { return m_view; }
    QLineEdit *filterField() const { return m_filter; }
    QCheckBox *problemsOnlySwitch() const { return m_problemsOnly; }
    int pollInterval() const;
    bool isPolling() const;
    QString logFilePath(const QDate &date) const;
    void stop();
    QString hostName() const { return m_hostName; }

    int receive(int type, const char *sender, const char *text) override;

signals:
    // Every message shown, as shown (without its time stamp).
    void messageShown(const QString &message);

public slots:
    void get_msg();
    void onDeleteOldLogFiles();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void showAndLog(const QString &message);
    void display(const QDateTime &now, const QString &message);
    // Warnings and errors stand out; what the filter and the switch leave out
    // is kept and comes back when they change.
    bool passes(const QString &line, EventSeverity::Level level) const;
    void appendToView(const QString &line, EventSeverity::Level level);
    void refilter();
    // The error text when the line could not be appended whole; empty on success.
    QString log(const QDateTime &now, const QString &line);
    void applyPollInterval();

    IOManager *m_channel;
    QMutex m_pollLock;
    QString m_logDir;
    QString m_hostName;
    QLineEdit *m_filter;
    QCheckBox *m_problemsOnly;
    TextBrowser *m_view;
    struct Line
    {
        QString text;
        EventSeverity::Level level;
    };
    std::deque<Line> m_lines;         // the last MaxLines, whether shown or filtered out
    QTimer *m_pollTimer;
    QTimer *m_cleanupTimer;
    bool m_unexpectedNoted = false;   // a reply to getmsg that was no message is in the log
    bool m_logFailureShown = false;   // the user knows the log is not being written
    int m_refusedPolls = 0;           // polls in a row whose getmsg was refused or not understood
};
