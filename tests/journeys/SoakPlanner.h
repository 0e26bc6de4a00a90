#pragma once

#include <QElapsedTimer>
#include <QStringList>

#include <random>

// The random user of the soak: picks the next action, as journey steps, from
// a seeded generator, so that a run can be repeated with its seed. Choices
// that depend on what the program shows (which menu entry) are made by the
// driver with pick(). Under a window manager it also minimises, maximises,
// floats a dock and hands the focus to another program, each and back. A
// session ends when the time is up (quit from the menu) or, now and then,
// earlier by a signal.
class SoakPlanner
{
public:
    SoakPlanner(double minutes, unsigned seed, bool windowManager = false);

    QStringList nextAction();
    // A number from 0 to n - 1.
    int pick(int n);
    bool finished() const;
    unsigned seed() const { return m_seed; }
    int actions() const { return m_actions; }

private:
    // One action in this many ends the session by a signal.
    static constexpr int SignalOneIn = 25;

    int between(int low, int high);

    double m_minutes;
    unsigned m_seed;
    std::mt19937 m_random;
    QElapsedTimer m_clock;
    int m_actions = 0;
    bool m_closing = false;
    bool m_windowManager;
};
