#include "SimulatorControl.h"

#include <QFile>
#include <QProcess>
#include <QThread>

#include <csignal>
#include <cstdlib>
#include <unistd.h>

SimulatorControl::SimulatorControl(std::function<void(const QString &)> note,
                                   std::function<void(const QString &)> fail)
    : m_log(qEnvironmentVariable("QUORIX_JOURNEY_SIM_LOG")),
      m_pidFile(qEnvironmentVariable("QUORIX_JOURNEY_SIM_PIDFILE")),
      m_command(QProcess::splitCommand(qEnvironmentVariable("QUORIX_JOURNEY_SIM_COMMAND"))),
      m_note(std::move(note)),
      m_fail(std::move(fail))
{
}

void SimulatorControl::fail(const QString &why) const
{
    m_fail(why);
    std::abort();   // the hook ends the process
}

int SimulatorControl::count(const QString &text) const
{
    QFile file(m_log);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return 0;
    int count = 0;
    const QByteArray wanted = text.toUtf8();
    while (!file.atEnd()) {
        const QByteArray line = file.readLine();
        if (line.contains(wanted))
            ++count;
    }
    return count;
}

namespace {

bool hasEnded(pid_t pid)
{
    if (::kill(pid, 0) != 0)
        return true;
    // "pid (name) state ...": Z is a process that has ended.
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray line = stat.readAll();
    const int close = line.lastIndexOf(')');
    return close < 0 || line.mid(close + 2, 1) == "Z";
}

} // namespace

bool SimulatorControl::stopped()
{
    if (m_stoppingPid <= 0) {
        QFile file(m_pidFile);
        if (!file.open(QIODevice::ReadOnly))
            fail(QStringLiteral("no simulator pid file"));
        const pid_t pid = static_cast<pid_t>(file.readAll().trimmed().toInt());
        if (pid <= 0)
            fail(QStringLiteral("no simulator pid"));
        m_note(QStringLiteral("stopping the simulator (pid %1)").arg(pid));
        ::kill(pid, SIGTERM);
        m_stoppingPid = pid;
        m_stoppingFor.start();
    }
    if (!hasEnded(static_cast<pid_t>(m_stoppingPid)) && m_stoppingFor.elapsed() < 1200)
        return false;
    m_stoppingPid = 0;
    return true;
}

void SimulatorControl::start(const QStringList &extra)
{
    if (m_command.isEmpty())
        fail(QStringLiteral("no simulator command"));
    qint64 pid = 0;
    if (!QProcess::startDetached(m_command.first(), m_command.mid(1) + extra, QString(), &pid))
        fail(QStringLiteral("the simulator did not start"));
    QFile file(m_pidFile);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(QByteArray::number(pid));
    m_note(QStringLiteral("simulator started (pid %1) %2").arg(pid).arg(extra.join(QLatin1Char(' '))));
    // Until it listens, a reconnect would find nobody.
    QThread::msleep(300);
}
