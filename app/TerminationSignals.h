#pragma once

#include <QObject>

#include <csignal>

class QSocketNotifier;

// Turns SIGINT, SIGTERM and SIGHUP into a Qt signal in the GUI thread, so that
// Ctrl+C, a service manager's stop or the end of the user's session ends the
// program through its normal close path (preferences, layout and module
// settings written) instead of at once.
class TerminationSignals : public QObject
{
    Q_OBJECT

public:
    static constexpr int Handled[] = {SIGINT, SIGTERM, SIGHUP};

    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;


signals:
    void terminationRequested(int signalNumber);

private:
    // Back to the default action: the next signal ends the process at once.
    static void restoreDefaults();
    void readSignal();

    QSocketNotifier *m_notifier = nullptr;
};
