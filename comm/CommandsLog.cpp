#include "CommandsLog.h"

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

} // namespace

CommandsLog::CommandsLog(Reporter reporter)
    : m_report(std::move(reporter))
    , m_directory(QDir::homePath() + QStringLiteral("/.ZEL/QUORIX4"))
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
    append(timestamp(">") + command + '\n');
}

void CommandsLog::logReply(const char *reply, int code)
{
    append(timestamp("<") + m_prefix.toLatin1() + reply + " ptf_io-error: " + QByteArray::number(code) + "\n\n");
    checkSize();
}

void CommandsLog::append(const QByteArray &entry)
{
    if (!QDir().mkpath(m_directory)) {
        m_report(QCoreApplication::translate("IOManagerUdpTcp", "Directory %1 doesn't exist and cannot be created.")
                     .arg(m_directory));
        return;
    }
    QFile file(m_path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
        m_report(QCoreApplication::translate("IOManagerUdpTcp", "Log file %1 cannot be opened for writing.").arg(m_path));
        return;
    }
    file.write(entry);
}

void CommandsLog::checkSize()
{
    if (++repliesSinceSizeCheck < SizeCheckInterval)
        return;
    repliesSinceSizeCheck = 0;
    const QFileInfo info(m_path);
    if (info.exists() && info.size() >= SizeLimit)
        QFile(m_path).resize(0);
}
