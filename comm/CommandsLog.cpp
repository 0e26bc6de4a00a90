#include "CommandsLog.h"

#include "PrivateFiles.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <atomic>

namespace {

std::atomic<int> repliesSinceSizeCheck{0};

QByteArray timestamp(const char *arrow)
{
    return QDateTime::currentDateTime()
        .toString(QStringLiteral("yyyy-MM-ddThh:mm:ss,zzz ") + QLatin1String(arrow) + QLatin1Char(' '))
        .toLatin1();
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

} // namespace

QByteArray CommandsLog::masked(const QByteArray &text)
{
    static const QByteArray keys[] = {QByteArrayLiteral("new_frontend_password"),
                                      QByteArrayLiteral("is_frontend_password")};
    QByteArray out = text;
    for (const QByteArray &key : keys) {
        int from = 0;
        while ((from = out.indexOf(key, from)) >= 0) {
            const int keyEnd = from + key.size();
            const bool wholeWord = (from == 0 || isBlank(out.at(from - 1)))
                && (keyEnd == out.size() || isBlank(out.at(keyEnd)));
            from = keyEnd;
            if (!wholeWord)
                continue;
            int start = keyEnd;
            while (start < out.size() && isBlank(out.at(start)))
                ++start;
            if (start == out.size())
                break;
            int end = start;
            const char quote = out.at(start);
            if (quote == '\'' || quote == '"') {
                end = out.indexOf(quote, start + 1);
                end = end < 0 ? out.size() : end + 1;
            } else {
                while (end < out.size() && !isBlank(out.at(end)))
                    ++end;
            }
            if (out.mid(start, end - start) == "none")
                continue;
            out.replace(start, end - start, "'***'");
            from = start + 5;
        }
    }
    return out;
}

CommandsLog::CommandsLog(Reporter reporter)
    : m_report(std::move(reporter))
    , m_directory(PrivateFiles::userRoot())
{
}

void CommandsLog::configure(bool enable, const QString &fileName, const QString &prefix)
{
    m_enabled = enable;
    m_fileName = fileName;
    m_prefix = prefix;
    if (!enable)
        return;
    m_fileName = fileName.trimmed();
    m_path = m_directory + QLatin1Char('/')
        + (m_fileName.isEmpty() ? QStringLiteral("commands_log.txt") : m_fileName);
    m_prefix = prefix.trimmed();
}

void CommandsLog::logCommand(const char *command)
{
    append(timestamp(">") + masked(command) + '\n');
}

void CommandsLog::logReply(const char *reply, int code)
{
    append(timestamp("<") + m_prefix.toLatin1() + masked(reply) + " ptf_io-error: " + QByteArray::number(code) + "\n\n");
    checkSize();
}

void CommandsLog::logStale(const QByteArray &reply)
{
    append(timestamp("<") + m_prefix.toLatin1() + masked(reply) + " (stale: answers no waiting command, dropped)\n\n");
}

void CommandsLog::append(const QByteArray &entry)
{
    if (!PrivateFiles::makeDir(m_directory)) {
        reportOnce(QCoreApplication::translate("IOManagerUdpTcp", "Directory %1 doesn't exist and cannot be created.")
                       .arg(m_directory));
        return;
    }
    // Never through a link put in the log's place.
    QFile file(m_path);
    if (PrivateFiles::openToAppend(file) != 0) {
        reportOnce(QCoreApplication::translate("IOManagerUdpTcp", "Log file %1 cannot be opened for writing.").arg(m_path));
        return;
    }
    m_failureReported = false;
    file.write(entry);
}

void CommandsLog::reportOnce(const QString &text)
{
    // Every command and reply comes here: said at each, it would bury the
    // Controller's events. Said again once the log has worked meanwhile.
    if (m_failureReported)
        return;
    m_failureReported = true;
    m_report(text);
}

void CommandsLog::checkSize()
{
    if (++repliesSinceSizeCheck < SizeCheckInterval)
        return;
    repliesSinceSizeCheck = 0;
    // Emptied on its own descriptor: a link's target is not truncated.
    QFile file(m_path);
    if (PrivateFiles::openToAppend(file) == 0 && file.size() >= SizeLimit)
        file.resize(0);
}
