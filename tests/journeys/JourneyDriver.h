#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QVector>

#include "SimulatorControl.h"
#include "UserActions.h"

#include <memory>

class QMainWindow;
class QTimer;
class QWidget;
class RssMonitor;
class SoakPlanner;
class StallWatchdog;
class WindowSteps;

// Drives the real program from inside its own process as a user would: keys,
// menu entries, the 3D monitor's context menu, mouse drags in the 3D view,
// buttons of dialogs. It is loaded into quorix4 as a Qt "generic" plug-in
// (QT_QPA_GENERIC_PLUGINS=journeydriver), so the program runs unchanged.
//
// A journey is a table of steps, one per line (see the *.steps files). Each
// step either acts once or waits for a condition until its time runs out;
// a step that fails ends the process with status 3 after naming the step.
// Actions that open a modal loop (a dialog, a context menu) do not return
// until it closes, so the runner moves on to the next step before it acts:
// the steps after it run inside that loop, as the user's next clicks would.
class JourneyDriver : public QObject
{
    Q_OBJECT

public:
    JourneyDriver();
    ~JourneyDriver() override;

private:
    static constexpr int TickMs = 50;
    // How long the program may take to end after a stop request.
    static constexpr int ExitLimitMs = 5000;

    struct Step {
        QStringList words;
        QString text;
        int line = 0;
    };
    enum class Result { Done, Wait };

    void load();
    void tick();
    void advance();
    static bool isInput(const Step &step);
    Result run(const Step &step);
    void insertSteps(const QStringList &lines, const QString &origin);
    [[noreturn]] void fail(const QString &why);
    void armExitWatchdog(const QString &cause);
    void note(const QString &text);

    // True on the first run of the step that is running: for steps that act
    // once and then wait for the outcome.
    bool firstTry();

    QVector<Step> m_steps;
    int m_index = 0;
    QElapsedTimer m_stepClock;
    int m_stepStarted = -1;
    // Since when nothing has been open, for the step that clears dialogs.
    QElapsedTimer m_quiet;
    int m_quietStep = -1;
    int m_timeoutMs = 20000;
    double m_scale = 1.0;
    QStringList m_recent;
    QString m_longestGapStep;   // the step that was due when the GUI's longest gap ended
    std::unique_ptr<SoakPlanner> m_soak;
    std::unique_ptr<StallWatchdog> m_watchdog;
    std::unique_ptr<RssMonitor> m_rss;
    // The running "repeat-for" block: its first step and since when it runs.
    int m_loopBegin = -1;
    QElapsedTimer m_loopClock;
    QVector<Step> m_loopBody;
    bool m_finished = false;
    std::unique_ptr<WindowSteps> m_windowSteps;
    int m_actedStep = -1;
    qint64 m_nextLookMs = 0;   // the next look at the screen of a waiting "scene-drawn"
    UserActions m_user;
    SimulatorControl m_sim;
};
