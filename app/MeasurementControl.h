#pragma once

#include <QList>
#include <QObject>
#include <QString>

class IOManagerUdpTcp;
class QAction;
class QStatusBar;
class QWidget;
struct BackendVersions;

// Start and stop of the measurement, and what the window shows of it: the
// Start/Stop action, the actions that only work while no measurement runs,
// and the notices in the status bar and the event display. Its state is its
// own, set by what the Controller answered; the action's text only shows it.
class MeasurementControl : public QObject
{
    Q_OBJECT

public:
    enum class State {
        Idle,        // the action offers Start
        Measuring,   // the action offers Stop
        Waiting,     // interrupted, waiting for the external synchronisation signal; offers Stop
    };
    Q_ENUM(State)

    // Boxes open over window, notices go to statusBar.
    MeasurementControl(IOManagerUdpTcp *channel, const BackendVersions *versions, QWidget *window,
                       QStatusBar *statusBar);

    State state() const { return m_state; }
    QAction *startStopAction() const { return m_action; }

    // Actions that may only be used while no measurement runs; an action
    // leaves the list when it is destroyed.
    void addInactiveAction(QAction *action);
    QList<QAction *> inactiveActions() const { return m_inactive; }
    void releaseInactiveActions() { m_inactive.clear(); }

    // Enables the inactive actions unless the Controller measures now.
    void reflectControllerState();
    // "-measure": starts unless a measurement runs already.
    void startAfterLaunch();

public slots:
    void toggleMeasurement();
    // One status round's "status active".
    void onStateRead(const QString &state);

signals:
    // A start or stop was tried: the status poll should run once now.
    void pollWanted();

private:
    // True when the measurement started (stopped).
    bool start();
    bool stop();
    void setState(State state, bool inactiveEnabled);
    void setInactiveEnabled(bool enabled);
    void notify(const QString &text, int timeoutMs, bool toEvents);

    IOManagerUdpTcp *m_channel;
    const BackendVersions *m_versions;
    QWidget *m_window;
    QStatusBar *m_statusBar;
    QAction *m_action;
    State m_state = State::Idle;
    QList<QAction *> m_inactive;
    QString m_lastStateRead;   // the previous status round's state
    bool m_synchronisationReported = false;
};
