#pragma once

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
    void stop();
    void start(const QStringList &extra);

private:
    [[noreturn]] void fail(const QString &why) const;

    QString m_log;
    QString m_pidFile;
    QStringList m_command;
    std::function<void(const QString &)> m_note;
    std::function<void(const QString &)> m_fail;
};
