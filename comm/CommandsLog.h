#pragma once

#include <QString>

#include <functional>

// The optional log of every command sent and every reply received. Each entry
// opens the file for appending and closes it again, so that nothing is lost
// when the program dies. A counter shared by all channels triggers a size check
// every 3000 replies: a log of 10 MiB or more is emptied then.
class CommandsLog
{
public:
    using Reporter = std::function<void(const QString &text)>;

    static constexpr int SizeCheckInterval = 3000;
    static constexpr qint64 SizeLimit = 10485760;

    explicit CommandsLog(Reporter reporter);

    // The directory is the user's home directory followed by "/.ZEL/QUORIX4".
    void configure(bool enable, const QString &fileName, const QString &prefix);

    bool isEnabled() const { return m_enabled; }
    QString path() const { return m_path; }
    QString directory() const { return m_directory; }

    void logCommand(const char *command);
    void logReply(const char *reply, int code);   // followed by the size check
    // A reply that answered no waiting command (late, doubled, or another's).
    void logStale(const QByteArray &reply);

    // The text with every front-end password argument (the word after
    // "new_frontend_password" or "is_frontend_password", quoted or not) written
    // as '***'; "none" is no password and stays. For every log and report.
    static QByteArray masked(const QByteArray &text);

private:
    void append(const QByteArray &entry);
    void checkSize();
    void reportOnce(const QString &text);

    Reporter m_report;
    bool m_failureReported = false;
    bool m_enabled = false;
    QString m_fileName;
    QString m_directory;
    QString m_path;
    QString m_prefix;
};
