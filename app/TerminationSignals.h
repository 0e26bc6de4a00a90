#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGINT and SIGTERM into a Qt signal in the GUI thread, so that Ctrl+C
// or a service manager's stop ends the program through its normal close path
// (preferences, layout and module settings written) instead of at once.
class TerminationSignals : public QObject
{
    Q_OBJECT

public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

    // Back to the default action: the next signal ends the process at once.
    static void restoreDefaults();

signals:
    void terminationRequested(int signalNumber);

private:
    void readSignal();

    QSocketNotifier *m_notifier = nullptr;
};
