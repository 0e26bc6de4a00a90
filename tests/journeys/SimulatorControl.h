#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QStringList>

#include <functional>

// The simulator the harness started for the journey (named by the
// QUORIX_JOURNEY_SIM_* variables): what it was sent, read from its command
// log, and switching it off and on as a Controller is.
class SimulatorControl
{
public:
    SimulatorControl(std::function<void(const QString &)> note, std::function<void(const QString &)> fail);

    // The lines of its command log that contain text.
    int count(const QString &text) const;
    // Asks the simulator to end, at the first call, and tells whether it has:
    // called at each tick until then, so that the window goes on meanwhile.
    // A process that has ended but was not reaped (its parent may never do
    // it) counts as ended; after 1.2 s it counts as ended anyway.
    bool stopped();
    bool stopping() const { return m_stoppingPid > 0; }
    void start(const QStringList &extra);

private:
    [[noreturn]] void fail(const QString &why) const;

    QString m_log;
    QString m_pidFile;
    QStringList m_command;
    long m_stoppingPid = 0;
    QElapsedTimer m_stoppingFor;
    std::function<void(const QString &)> m_note;
    std::function<void(const QString &)> m_fail;
};
