#include "MeasurementControl.h"

#include "BackendVersions.h"
#include "IOManagerUdpTcp.h"
#include "StatusPoller.h"

#include <QAction>
#include <QMessageBox>
#include <QStatusBar>
#include <QThread>

#include <cstring>

namespace {

const char Standard[] = "standard";
const char Sender[] = "QUORIX4";

bool notMeasuring(const QString &state)
{
    return state == QLatin1String("none") || state == QLatin1String("err");
}

} // namespace

MeasurementControl::MeasurementControl(IOManagerUdpTcp *channel, const BackendVersions *versions, QWidget *window,
                                       QStatusBar *statusBar)
    : QObject(window)
    , m_channel(channel)
    , m_versions(versions)
    , m_window(window)
    , m_statusBar(statusBar)
    , m_action(new QAction(tr("&Start"), window))
{
    m_action->setObjectName(QStringLiteral("actionStartStop"));
    m_action->setShortcut(QKeySequence(tr("M")));
    // A held M is one press: the key's auto-repeat would start and stop the
    // measurement many times a second.
    m_action->setAutoRepeat(false);
    m_action->setStatusTip(tr("Start or stop measurement"));
    m_action->setWhatsThis(tr("Start or stop measurement"));
    connect(m_action, &QAction::triggered, this, &MeasurementControl::toggleMeasurement);
}

void MeasurementControl::addInactiveAction(QAction *action)
{
    m_inactive.append(action);
    connect(action, &QObject::destroyed, this, [this, action] { m_inactive.removeAll(action); });
}

void MeasurementControl::setInactiveEnabled(bool enabled)
{
    for (QAction *action : qAsConst(m_inactive))
        action->setEnabled(enabled);
}

void MeasurementControl::setState(State state, bool inactiveEnabled)
{
    m_state = state;
    m_action->setText(state == State::Idle ? tr("Start") : tr("Stop"));
    setInactiveEnabled(inactiveEnabled);
}

void MeasurementControl::notify(const QString &text, int timeoutMs, bool toEvents)
{
    m_statusBar->showMessage(text, timeoutMs);
    if (toEvents)
        m_channel->sendMessage(Standard, Sender, 1, text.toLatin1().constData());
}

void MeasurementControl::reflectControllerState()
{
    bool ok = false;
    const QString state = StatusPoller::queryState(m_channel, &ok);
    setInactiveEnabled(!(ok && state == QLatin1String("mea")));
}

void MeasurementControl::startAfterLaunch()
{
    QThread::msleep(100);
    bool ok = false;
    const QString state = StatusPoller::queryState(m_channel, &ok);
    if (!ok) {
        QMessageBox::critical(m_window, tr("Command Error"), tr("No contact to Controller"));
        return;
    }
    if (notMeasuring(state))
        toggleMeasurement();
}

// What the Controller says decides, not what the action shows.
void MeasurementControl::toggleMeasurement()
{
    bool ok = false;
    const QString state = StatusPoller::queryState(m_channel, &ok);
    if (!ok) {
        QMessageBox::critical(m_window, tr("Command Error"), tr("No contact to Controller"));
        return;
    }
    bool changed = true;   // any other reply: only the poll runs
    if (notMeasuring(state))
        changed = start();
    else if (state == QLatin1String("mea") || state == QLatin1String("wait"))
        changed = stop();
    if (changed)
        emit pollWanted();
}

bool MeasurementControl::start()
{
    const QString failed = tr("measurement start unsuccessful!");
    if (m_versions->protocol.isAtLeast(0, 14)) {
        char available[IOManager::BufferSize] = "";
        if (m_channel->getString(available, "tracking available") != 0 || std::strcmp(available, "yes") != 0) {
            notify(failed, 4000, true);
            return false;
        }
    }
    char reply[IOManager::BufferSize] = "";
    if (m_channel->sendCommand(reply, "quorix2 tracking start") != 0) {
        notify(failed, 4000, false);
        return false;
    }
    bool ok = false;
    const QString after = StatusPoller::queryState(m_channel, &ok);
    if (!ok)
        return false;
    if (notMeasuring(after)) {
        notify(failed, 4000, false);
        return false;
    }
    setState(State::Measuring, false);
    m_lastStateRead = after;   // rounds that read the state before the start do not count
    notify(tr("measurement started"), 2000, true);
    return true;
}

bool MeasurementControl::stop()
{
    char reply[IOManager::BufferSize] = "";
    m_channel->sendCommand(reply, "quorix2 tracking stop");
    if (std::strcmp(reply, "quorix2 ok") != 0) {
        notify(tr("measurement stop unsuccessful"), 2000, false);
        return false;
    }
    setState(State::Idle, true);
    m_lastStateRead = QStringLiteral("none");
    notify(tr("measurement stopped"), 2000, true);
    return true;
}

// What the window shows follows the state the rounds read, once two in a row
// agree: a single late or doubled reply to an earlier state query (the one
// before a start or stop, say) must not flip the button back.
void MeasurementControl::onStateRead(const QString &read)
{
    const bool confirmed = read == m_lastStateRead;
    m_lastStateRead = read;
    if (!confirmed)
        return;
    const State shown = m_state;
    if (read == QLatin1String("wait")) {
        const QString waiting = tr("measurement interrupted. Waiting for external synchronisation signal...");
        m_statusBar->showMessage(waiting, 4000);
        m_state = State::Waiting;
        m_action->setText(tr("Stop"));
        if (!m_synchronisationReported) {
            m_channel->sendMessage(Standard, Sender, 1, waiting.toLatin1().constData());
            m_synchronisationReported = true;
        }
    } else {
        m_synchronisationReported = false;
    }
    if (shown != State::Idle && notMeasuring(read))
        setState(State::Idle, true);
    else if (shown == State::Idle && read == QLatin1String("mea"))
        setState(State::Measuring, false);
    else if (shown == State::Waiting && read == QLatin1String("mea"))
        m_state = State::Measuring;   // the action offers Stop already
}
