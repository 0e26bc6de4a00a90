#include "SoakPlanner.h"

namespace {

// Simulator scenarios the soak switches between: what a user meets on site.
const char *const kScenarios[] = {
    "", "--bodies 6 --markers 20", "--rate 100", "--marker-id-churn yes --markers 60",
    "--coordinates powerwall", "--uncalibrated 2 --hands 2", "--bodies 0 --gripwands 0 --markers 0"};

} // namespace

SoakPlanner::SoakPlanner(double minutes, unsigned seed, bool windowManager)
    : m_minutes(minutes)
    , m_seed(seed)
    , m_random(seed)
    , m_windowManager(windowManager)
{
    m_clock.start();
}

int SoakPlanner::pick(int n)
{
    return n <= 1 ? 0 : std::uniform_int_distribution<int>(0, n - 1)(m_random);
}

int SoakPlanner::between(int low, int high)
{
    return std::uniform_int_distribution<int>(low, high)(m_random);
}

bool SoakPlanner::finished() const
{
    return m_closing;
}

QStringList SoakPlanner::nextAction()
{
    ++m_actions;
    const QString settle = QStringLiteral("clear-dialogs");
    if (m_clock.elapsed() > m_minutes * 60000) {
        // The end: quit as a user does, stopping the measurement if one runs.
        m_closing = true;
        return {settle, QStringLiteral("quit")};
    }
    // Now and then the session ends as a logout or a service stop ends it,
    // whatever is open; the harness goes on with another session.
    if (m_actions > 10 && pick(SignalOneIn) == 0) {
        m_closing = true;
        return {pick(2) ? QStringLiteral("signal TERM") : QStringLiteral("signal HUP")};
    }
    const int sleep = between(100, 1500);
    // Without a window manager the choices stay as they were, so that old
    // seeds repeat their runs.
    switch (pick(m_windowManager ? 20 : 16)) {
    case 0:
    case 1:
        return {QStringLiteral("click-start"), QStringLiteral("sleep %1").arg(sleep), settle};
    case 2:
        return {QStringLiteral("key M"), QStringLiteral("sleep %1").arg(sleep), settle};
    case 3:
    case 4:
        return {QStringLiteral("menu-random"), QStringLiteral("sleep %1").arg(sleep / 3), settle};
    case 5:
    case 6:
        return {QStringLiteral("context-random"), QStringLiteral("sleep %1").arg(sleep / 3), settle};
    case 7:
        return {QStringLiteral("orbit %1 %2").arg(between(-300, 300)).arg(between(-200, 200))};
    case 8:
        return {QStringLiteral("pan %1 %2").arg(between(-200, 200)).arg(between(-200, 200))};
    case 9:
        return {QStringLiteral("zoom %1").arg(between(-4, 4) * 120)};
    case 10:
        return {QStringLiteral("scene-key %1").arg(pick(2) ? QStringLiteral("F") : QStringLiteral("R"))};
    case 11:
        return {QStringLiteral("key %1").arg(pick(2) ? QStringLiteral("F1") : QStringLiteral("F2")),
                QStringLiteral("sleep %1").arg(sleep / 2), settle};
    case 12: {
        const int scenarios = static_cast<int>(sizeof kScenarios / sizeof kScenarios[0]);
        return {QStringLiteral("sim stop"), QStringLiteral("sleep %1").arg(between(300, 2500)),
                QStringLiteral("sim start %1").arg(QLatin1String(kScenarios[pick(scenarios)])), settle};
    }
    case 16:
        return {QStringLiteral("wm-state minimized"), QStringLiteral("sleep %1").arg(sleep / 2),
                QStringLiteral("wm-state normal"), settle};
    case 17:
        return {QStringLiteral("wm-state maximized"), QStringLiteral("sleep %1").arg(sleep / 2),
                QStringLiteral("wm-state normal"), settle};
    case 18:
        return {QStringLiteral("dock * floating"), QStringLiteral("sleep %1").arg(sleep / 2),
                QStringLiteral("dock * docked"), settle};
    case 19:
        return {QStringLiteral("focus away"), QStringLiteral("sleep %1").arg(sleep / 2), QStringLiteral("focus back"),
                settle};
    default:
        return {QStringLiteral("sleep %1").arg(sleep), settle};
    }
}
