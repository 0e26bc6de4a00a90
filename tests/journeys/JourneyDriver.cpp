#include "JourneyDriver.h"

#include "ChartSteps.h"
#include "KeepLibrariesLoaded.h"
#include "RssMonitor.h"
#include "SoakPlanner.h"
#include "SimulatorControl.h"
#include "StallWatchdog.h"
#include "StepScript.h"
#include "UserActions.h"
#include "WidgetSteps.h"
#include "WindowSteps.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QWhatsThis>
#include <QWindow>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <unistd.h>


JourneyDriver::JourneyDriver()
    : m_user({[this](const QString &text) { note(text); }, [this](const QString &why) { fail(why); },
              [this] { advance(); }}),
      m_sim([this](const QString &text) { note(text); }, [this](const QString &why) { fail(why); })
{
    m_scale = qEnvironmentVariableIsSet("QUORIX_JOURNEY_SCALE") ? qEnvironmentVariable("QUORIX_JOURNEY_SCALE").toDouble()
                                                               : 1.0;
    if (m_scale < 1.0)
        m_scale = 1.0;
    load();

    m_watchdog = std::make_unique<StallWatchdog>(static_cast<int>(2000 * m_scale), [this] {
        // Called from the watchdog's thread: only what is safe there.
        std::fprintf(stderr, "journey: FAILED: the GUI processed no events for more than %d ms\n",
                     static_cast<int>(2000 * m_scale));
        std::fprintf(stderr, "journey: last actions:\n");
        for (const QString &line : m_recent)
            std::fprintf(stderr, "  %s\n", qPrintable(line));
        std::fflush(stderr);
        std::abort();
    });

    // Between one main window and the next (Reconnect) and after the last,
    // the program runs no event loop on purpose.
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        m_watchdog->disarm();
        keepLoadedLibrariesUntilExit();
    });

    QTimer::singleShot(TickMs, this, &JourneyDriver::tick);
}

JourneyDriver::~JourneyDriver()
{
    // Leak checking runs after exit, when Qt has unloaded the GL driver and
    // the renderer plug-in: what they kept for the whole run would then come
    // from an unknown module and could not be told apart from ours.
    keepLoadedLibrariesUntilExit();
}

void JourneyDriver::load()
{
    const QString soak = qEnvironmentVariable("QUORIX_SOAK");
    if (!soak.isEmpty()) {
        const QStringList parts = soak.split(QLatin1Char(':'));
        m_soak = std::make_unique<SoakPlanner>(parts.value(0).toDouble(), parts.value(1).toUInt(),
                                               qEnvironmentVariableIsSet("QUORIX_JOURNEY_WM"));
        note(QStringLiteral("soak for %1 min, seed %2").arg(parts.value(0), parts.value(1)));
        insertSteps({QStringLiteral("window")}, QStringLiteral("soak"));
        return;
    }
    const QString path = qEnvironmentVariable("QUORIX_JOURNEY");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        fail(QStringLiteral("cannot read the journey %1").arg(path));
    QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    QList<int> numbers;
    lines = StepScript::unrollRepeats(lines, &numbers);
    for (int i = 0; i < lines.size(); ++i) {
        QString text = lines[i];
        const int hash = text.indexOf(QLatin1Char('#'));
        if (hash >= 0)
            text.truncate(hash);
        const QStringList words = StepScript::splitWords(text.trimmed());
        if (words.isEmpty() || words[0] == QLatin1String("args") || words[0] == QLatin1String("after"))
            continue;
        // For the harness: check that the session wrote the preferences and
        // layout; stop the simulator before the session.
        if (words[0] == QLatin1String("saved") || words[0] == QLatin1String("sim-down"))
            continue;
        // "repeat-for SECONDS" ... "end" repeats by time rather than count;
        // QUORIX_JOURNEY_REPEAT_SECONDS makes a short journey a long one.
        if (words[0] == QLatin1String("repeat-for")) {
            const QString seconds = qEnvironmentVariableIsSet("QUORIX_JOURNEY_REPEAT_SECONDS")
                ? qEnvironmentVariable("QUORIX_JOURNEY_REPEAT_SECONDS")
                : words.value(1);
            m_steps.append(Step{{QStringLiteral("loop-for"), seconds}, text.trimmed(), numbers.value(i)});
            continue;
        }
        if (words[0] == QLatin1String("end")) {
            m_steps.append(Step{{QStringLiteral("loop-end")}, text.trimmed(), numbers.value(i)});
            continue;
        }
        m_steps.append(Step{words, text.trimmed(), numbers.value(i)});
    }
}

void JourneyDriver::insertSteps(const QStringList &lines, const QString &origin)
{
    QVector<Step> steps;
    for (const QString &line : lines)
        steps.append(Step{StepScript::splitWords(line), line + QStringLiteral("   (") + origin + QLatin1Char(')'), 0});
    // After the step that is running, or at the end when none is.
    const int at = qMin(m_index + 1, m_steps.size());
    for (int i = steps.size() - 1; i >= 0; --i)
        m_steps.insert(at, steps[i]);
}

void JourneyDriver::note(const QString &text)
{
    const QString line = QStringLiteral("journey: ") + text;
    m_recent << line;
    while (m_recent.size() > 30)
        m_recent.removeFirst();
    std::fprintf(stderr, "%s\n", qPrintable(line));
    std::fflush(stderr);
}

void JourneyDriver::fail(const QString &why)
{
    std::fprintf(stderr, "journey: FAILED: %s\n", qPrintable(why));
    if (m_soak)
        std::fprintf(stderr, "journey: soak seed %u; replay with scripts/soak %sMINUTES %u\n", m_soak->seed(),
                     qEnvironmentVariableIsSet("QUORIX_JOURNEY_WM") ? "--wm " : "", m_soak->seed());
    std::fprintf(stderr, "journey: last actions:\n");
    for (const QString &line : m_recent)
        std::fprintf(stderr, "  %s\n", qPrintable(line));
    std::fflush(stderr);
    ::_exit(3);
}

void JourneyDriver::advance()
{
    // The last step may end the program before another tick: say so first.
    ++m_index;
    if (m_index >= m_steps.size() && (!m_soak || m_soak->finished()) && !m_finished) {
        m_finished = true;
        // Told so that a run that came near the stall limit shows, and where.
        note(QStringLiteral("passed %1 steps (the GUI at most %2 ms without events)")
                 .arg(m_steps.size())
                 .arg(m_watchdog ? m_watchdog->longestGapMs() : 0));
        note(QStringLiteral("the longest gap ended before the step \"%1\"").arg(m_longestGapStep));
    }
}

void JourneyDriver::tick()
{
    // The next tick is due before this one acts: a step that opens a modal
    // loop does not return until it closes, and the steps after it must run
    // inside that loop. (A repeating timer would not fire again while its own
    // slot is still running.)
    QTimer::singleShot(TickMs, this, &JourneyDriver::tick);
    if (m_watchdog) {
        const long long longest = m_watchdog->longestGapMs();
        m_watchdog->beat();
        if (m_watchdog->longestGapMs() != longest)
            m_longestGapStep = m_index < m_steps.size() ? m_steps[m_index].text : QStringLiteral("(after the last)");
    }
    if (m_finished)
        return;
    if (m_index >= m_steps.size()) {
        if (m_soak && !m_soak->finished()) {
            insertSteps(m_soak->nextAction(), QStringLiteral("soak #%1").arg(m_soak->actions()));
        } else {
            return;
        }
    }
    const int index = m_index;
    if (m_stepStarted != index) {
        m_stepStarted = index;
        m_stepClock.start();
        const Step &step = m_steps[index];
        note(step.line > 0 ? QStringLiteral("line %1: %2").arg(step.line).arg(step.text) : step.text);
    }
    // The step may open a modal loop in which later ticks run the next steps:
    // it is done before it acts.
    const Step step = m_steps[index];
    // A user's input waits while the program waits for the Controller (the
    // window system holds it); so does the driver's, which it sends directly.
    // What the window manager or the system does (minimise, a stop request)
    // and what only looks on goes ahead.
    if (qApp->property("quorixWaitingForController").toBool() && isInput(step))
        return;
    if (run(step) == Result::Done) {
        if (m_index == index)
            advance();
        return;
    }
    const bool long_ = step.words[0] == QLatin1String("window") || step.words[0] == QLatin1String("clear-dialogs");
    const int limit = static_cast<int>((long_ ? 60000 : m_timeoutMs) * m_scale);
    if (m_stepClock.elapsed() > limit)
        fail(QStringLiteral("step \"%1\" did not complete within %2 ms").arg(step.text).arg(limit));
}

bool JourneyDriver::isInput(const Step &step)
{
    // A signal comes from outside the window system, as the session's end does.
    if (step.words.value(0) == QLatin1String("signal") || step.words.value(0) == QLatin1String("must-end"))
        return false;
    static const QStringList others = {
        QStringLiteral("window"),     QStringLiteral("measuring"), QStringLiteral("idle"),
        QStringLiteral("sleep"),      QStringLiteral("sigterm"),   QStringLiteral("window-state"),
        QStringLiteral("shown"),      QStringLiteral("hidden"),    QStringLiteral("no-text"),
        QStringLiteral("text-shown"), QStringLiteral("box-says"),  QStringLiteral("no-dialog"),
        QStringLiteral("screenshot"), QStringLiteral("sim"),       QStringLiteral("sim-count"),
        QStringLiteral("wm-state"),   QStringLiteral("focus"),     QStringLiteral("waiting"),
        QStringLiteral("loop-for"),   QStringLiteral("loop-end"),  QStringLiteral("rss-start"),
        QStringLiteral("rss-flat"),   QStringLiteral("plots-aligned"), QStringLiteral("no-line-over"),
        QStringLiteral("chart-values"), QStringLiteral("scene-drawn")};
    return !others.contains(step.words.value(0));
}

JourneyDriver::Result JourneyDriver::run(const Step &step)
{
    const QString verb = step.words.value(0);
    const QString arg = step.words.value(1);
    auto once = [this] {
        advance();
        return Result::Done;
    };

    if (verb == QLatin1String("window")) {
        QMainWindow *window = m_user.mainWindow();
        if (!window || m_user.openDialog())
            return Result::Wait;
        QApplication::setActiveWindow(window);
        return Result::Done;
    }
    if (verb == QLatin1String("measuring") || verb == QLatin1String("idle")) {
        if (!m_user.mainWindow() || m_user.openDialog())
            return Result::Wait;
        return m_user.measuring() == (verb == QLatin1String("measuring")) ? Result::Done : Result::Wait;
    }
    if (verb == QLatin1String("sleep")) {
        return m_stepClock.elapsed() >= arg.toInt() * m_scale ? Result::Done : Result::Wait;
    }
    if (verb == QLatin1String("loop-for")) {
        if (m_loopBegin != m_index) {
            m_loopBegin = m_index;
            m_loopClock.start();
            // The block as written, up to and with its end: steps that the
            // block's own steps insert (a menu's entry) must not pile up.
            int end = m_index + 1;
            while (end < m_steps.size() && m_steps[end].words.value(0) != QLatin1String("loop-end"))
                ++end;
            m_loopBody = m_steps.mid(m_index + 1, end - m_index);
            note(QStringLiteral("repeating for %1 s").arg(arg));
        }
        return Result::Done;
    }
    if (verb == QLatin1String("loop-end")) {
        if (m_loopBegin < 0)
            fail(QStringLiteral("\"end\" without \"repeat-for\""));
        if (m_loopClock.elapsed() < m_steps[m_loopBegin].words.value(1).toDouble() * 1000) {
            m_steps.remove(m_loopBegin + 1, m_index - m_loopBegin);
            for (int i = 0; i < m_loopBody.size(); ++i)
                m_steps.insert(m_loopBegin + 1 + i, m_loopBody[i]);
            m_index = m_loopBegin + 1;
            m_stepStarted = -1;
            return Result::Done;
        }
        m_loopBegin = -1;
        return Result::Done;
    }
    if (verb == QLatin1String("rss-start")) {
        // "rss-start WARMUP_SECONDS": sample from now, judge after the warm-up.
        m_rss = std::make_unique<RssMonitor>(static_cast<int>(arg.toDouble() * 1000));
        return Result::Done;
    }
    if (verb == QLatin1String("rss-flat")) {
        // "rss-flat PERCENT": the last minute's resident memory at most this
        // much above the first minute's after the warm-up.
        if (!m_rss)
            fail(QStringLiteral("rss-flat without rss-start"));
        QString report;
        const bool flat = m_rss->flat(arg.toDouble(), &report);
        note(report);
        if (!flat)
            fail(QStringLiteral("resident memory grew by more than %1%: %2").arg(arg, report));
        return Result::Done;
    }
    if (verb == QLatin1String("key")) {
        once();
        m_user.pressKeys(arg);
        return Result::Done;
    }
    if (verb == QLatin1String("scene-key")) {
        QWindow *scene = m_user.sceneWindow();
        if (!scene)
            fail(QStringLiteral("no 3D view"));
        once();
        const QKeySequence sequence(arg);
        QTest::keyClick(scene, Qt::Key(sequence[0] & ~Qt::KeyboardModifierMask),
                        Qt::KeyboardModifiers(sequence[0] & Qt::KeyboardModifierMask));
        return Result::Done;
    }
    if (verb == QLatin1String("click-start")) {
        QAction *action = m_user.startStopAction();
        QMainWindow *window = m_user.mainWindow();
        QToolButton *button = nullptr;
        if (window) {
            for (QToolButton *candidate : window->findChildren<QToolButton *>())
                if (candidate->defaultAction() == action && candidate->isVisible())
                    button = candidate;
        }
        if (!button)
            fail(QStringLiteral("no visible Start/Stop button"));
        once();
        QTest::mouseClick(button, Qt::LeftButton);
        return Result::Done;
    }
    if (verb == QLatin1String("menu")) {
        if (!m_user.mainWindow() || m_user.openDialog())
            return Result::Wait;
        once();
        if (!m_user.clickMenuEntry(arg))
            fail(QStringLiteral("no enabled menu entry %1").arg(arg));
        return Result::Done;
    }
    if (verb == QLatin1String("menu-open")) {
        // "menu-open TITLE": the menu bar's menu stays open, as a click on
        // its title leaves it (for a picture; "key Escape" closes it).
        QMainWindow *window = m_user.mainWindow();
        if (!window || m_user.openDialog())
            return Result::Wait;
        once();
        QAction *top = m_user.findAction(window->menuBar()->actions(), arg);
        if (!top)
            fail(QStringLiteral("no menu %1").arg(arg));
        window->menuBar()->setActiveAction(top);
        return Result::Done;
    }
    if (verb == QLatin1String("menu-index")) {
        if (!m_user.mainWindow() || m_user.openDialog())
            return Result::Wait;
        once();
        if (!m_user.clickMenuEntry(arg.toInt(), step.words.value(2).toInt()))
            note(QStringLiteral("entry %1/%2 has gone; skipped").arg(arg, step.words.value(2)));
        return Result::Done;
    }
    if (verb == QLatin1String("menus-all")) {
        insertSteps(m_user.expandMenus(), QStringLiteral("menus-all"));
        once();
        return Result::Done;
    }
    if (verb == QLatin1String("context") || verb == QLatin1String("context-index")) {
        if (!m_user.sceneWindow() || m_user.openDialog())
            return Result::Wait;
        // The entry is clicked by the next tick, inside the menu's own loop.
        insertSteps({QStringLiteral("popup-entry \"%1\"").arg(arg)}, step.text);
        once();
        m_user.openContextMenu();
        return Result::Done;
    }
    if (verb == QLatin1String("window-context")) {
        // "window-context ENTRY": the window's own context menu (its docks and
        // tool bars), opened over the main tool bar as a right click does.
        QMainWindow *window = m_user.mainWindow();
        auto *bar = window && !m_user.openDialog() ? window->findChild<QToolBar *>(QStringLiteral("MainToolBar")) : nullptr;
        if (!bar || !bar->isVisible())
            return Result::Wait;
        insertSteps({QStringLiteral("popup-entry \"%1\"").arg(arg)}, step.text);
        once();
        const QPoint at = bar->geometry().center();
        QCoreApplication::postEvent(window, new QContextMenuEvent(QContextMenuEvent::Mouse, at, window->mapToGlobal(at)));
        return Result::Done;
    }
    if (verb == QLatin1String("scene-drawn")) {
        // The 3D view shows a picture where it stands (the middle or a window
        // of its own). A look at the screen is dear (slower still under the
        // sanitizers): taken at every tick it would keep the GUI thread from
        // the frames it waits for, so once in a while.
        if (m_stepClock.elapsed() < m_nextLookMs)
            return Result::Wait;
        m_nextLookMs = m_stepClock.elapsed() + 400;
        if (WidgetSteps::drawn(m_user.sceneWindow())) {
            m_nextLookMs = 0;
            return Result::Done;
        }
        return Result::Wait;
    }
    if (verb == QLatin1String("context-set")) {
        if (!m_user.sceneWindow() || m_user.openDialog())
            return Result::Wait;
        insertSteps({QStringLiteral("popup-set \"%1\" %2").arg(arg, step.words.value(2))}, step.text);
        once();
        m_user.openContextMenu();
        return Result::Done;
    }
    if (verb == QLatin1String("popup-set")) {
        // Clicks the switch only when it is not as wanted.
        QMenu *menu = m_user.openMenu();
        if (!menu)
            return Result::Wait;
        QAction *action = m_user.findAction(menu->actions(), arg);
        if (!action || !action->isCheckable())
            fail(QStringLiteral("the context menu has no switch %1").arg(arg));
        once();
        if (action->isChecked() == (step.words.value(2) == QLatin1String("on")))
            menu->close();
        else
            m_user.clickAction(menu, action);
        return Result::Done;
    }
    if (verb == QLatin1String("popup-entry")) {
        QMenu *menu = m_user.openMenu();
        if (!menu)
            return Result::Wait;
        bool isIndex = false;
        const int index = arg.toInt(&isIndex);
        QList<QAction *> entries;
        for (QAction *action : menu->actions())
            if (!action->isSeparator() && action->isVisible())
                entries << action;
        QAction *action = isIndex ? entries.value(index) : m_user.findAction(entries, arg);
        if (!action)
            fail(QStringLiteral("the context menu has no entry %1").arg(arg));
        once();
        m_user.clickAction(menu, action);
        return Result::Done;
    }
    if (verb == QLatin1String("context-all") || verb == QLatin1String("context-random")) {
        if (!m_user.sceneWindow() || m_user.openDialog())
            return Result::Wait;
        insertSteps({QStringLiteral("popup-expand %1").arg(verb)}, step.text);
        once();
        m_user.openContextMenu();
        return Result::Done;
    }
    if (verb == QLatin1String("popup-expand")) {
        // The switches are the menu's checkable entries, as it opens now.
        QMenu *menu = m_user.openMenu();
        if (!menu)
            return Result::Wait;
        QStringList steps;
        QVector<int> switches;
        int index = 0;
        for (QAction *action : menu->actions()) {
            if (action->isSeparator() || !action->isVisible())
                continue;
            if (action->isCheckable())
                switches << index;
            ++index;
        }
        if (arg == QLatin1String("context-random")) {
            const int chosen = m_soak ? m_soak->pick(index) : 0;
            steps << QStringLiteral("context-index %1").arg(chosen);
        } else {
            for (int i : switches)
                steps << QStringLiteral("context-index %1").arg(i) << QStringLiteral("sleep 300")
                      << QStringLiteral("context-index %1").arg(i) << QStringLiteral("sleep 300");
        }
        insertSteps(steps, step.text);
        advance();
        menu->close();
        return Result::Done;
    }
    if (verb == QLatin1String("menu-random")) {
        QMainWindow *window = m_user.mainWindow();
        if (!window || m_user.openDialog())
            return Result::Wait;
        QVector<QPair<int, int>> entries;
        const QList<QAction *> tops = window->menuBar()->actions();
        for (int m = 0; m < tops.size(); ++m) {
            if (!tops[m]->menu() || !tops[m]->isVisible())
                continue;
            const QList<QAction *> actions = tops[m]->menu()->actions();
            for (int e = 0; e < actions.size(); ++e)
                if (!actions[e]->isSeparator() && actions[e]->isVisible() && actions[e]->isEnabled()
                    && !actions[e]->menu() && actions[e]->objectName() != QLatin1String("actionQuit"))
                    entries.append({m, e});
        }
        if (entries.isEmpty())
            return Result::Done;
        const QPair<int, int> chosen = entries[m_soak ? m_soak->pick(entries.size()) : 0];
        once();
        m_user.clickMenuEntry(chosen.first, chosen.second);
        return Result::Done;
    }
    if (verb == QLatin1String("clear-dialogs")) {
        // Leaves whatever is open the way a user gets out of it, until nothing
        // has been open for a while: a lost connection is answered with
        // Reconnect once it is offered, and the connect dialog that follows
        // with Connect.
        if (m_stepStarted != m_quietStep) {
            m_quietStep = m_stepStarted;
            m_quiet.start();
        }
        if (QWhatsThis::inWhatsThisMode()) {
            QWhatsThis::leaveWhatsThisMode();
            m_quiet.start();
        }
        if (QWidget *popup = QApplication::activePopupWidget()) {
            popup->close();
            m_quiet.start();
            return Result::Wait;
        }
        QWidget *dialog = m_user.openDialog();
        if (!dialog)
            return m_quiet.elapsed() > 600 ? Result::Done : Result::Wait;
        m_quiet.start();
        if (m_stepClock.elapsed() < 300)
            return Result::Wait;
        bool done = false;
        if (auto *box = qobject_cast<QMessageBox *>(dialog)) {
            for (QAbstractButton *button : box->buttons()) {
                // Reconnect is offered once the Controller answers again.
                if (box->buttonRole(button) == QMessageBox::ActionRole) {
                    if (!m_user.answer(QStringLiteral("reconnect")))
                        return Result::Wait;
                    done = true;
                    break;
                }
            }
        }
        auto *connectButton = dialog->findChild<QPushButton *>(QStringLiteral("pushButton_connect"));
        if (!done && connectButton && connectButton->isVisible()) {
            if (!connectButton->isEnabled())
                return Result::Wait;
            note(QStringLiteral("\"%1\" in \"%2\"").arg(UserActions::plain(connectButton->text()), dialog->windowTitle()));
            advance();
            QTest::mouseClick(connectButton, Qt::LeftButton);
            done = true;
        }
        if (!done) {
            const bool escape = m_soak ? m_soak->pick(2) == 0 : true;
            done = m_user.closeDialog(escape ? QStringLiteral("escape") : QStringLiteral("button"));
        }
        // The answer moved on; stay on this step until nothing is open.
        if (done)
            --m_index;
        return Result::Wait;
    }
    if (verb == QLatin1String("dialog") || verb == QLatin1String("dialog?")) {
        const bool optional = verb.endsWith(QLatin1Char('?'));
        if (QWhatsThis::inWhatsThisMode()) {
            QWhatsThis::leaveWhatsThisMode();
            return Result::Done;
        }
        if (!m_user.openDialog()) {
            if (optional && m_stepClock.elapsed() > 1500 * m_scale)
                return Result::Done;
            return Result::Wait;
        }
        return m_user.closeDialog(arg) ? Result::Done : Result::Wait;
    }
    if (verb == QLatin1String("dialog-click") || verb == QLatin1String("dialog-keys")) {
        // "dialog-click NAME": a click on the widget NAME of the dialog in
        // front; "dialog-keys NAME TEXT": TEXT typed into it, then Return.
        QWidget *dialog = m_user.openDialog();
        QWidget *widget = dialog ? dialog->findChild<QWidget *>(arg) : nullptr;
        if (!widget || !widget->isVisible() || !widget->isEnabled())
            return Result::Wait;
        once();
        if (verb == QLatin1String("dialog-click")) {
            QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, QPoint(8, widget->height() / 2));
        } else {
            widget->setFocus(Qt::OtherFocusReason);
            QTest::keyClicks(widget, step.words.value(2));
            QTest::keyClick(widget, Qt::Key_Return);
        }
        return Result::Done;
    }
    if (verb == QLatin1String("no-dialog")) {
        return m_user.openDialog() ? Result::Wait : Result::Done;
    }
    if (verb == QLatin1String("answer") || verb == QLatin1String("answer?")) {
        if (m_user.answer(arg))
            return Result::Done;
        return verb.endsWith(QLatin1Char('?')) && m_stepClock.elapsed() > 1500 * m_scale ? Result::Done
                                                                                        : Result::Wait;
    }
    if (verb == QLatin1String("quit")) {
        // Quit from the menu; while measuring the program asks, and the
        // measurement is stopped.
        if (!m_user.mainWindow() || m_user.openDialog())
            return Result::Wait;
        QStringList steps{QStringLiteral("menu \"&QUORIX4/&Quit\"")};
        if (m_user.measuring())
            steps << QStringLiteral("answer yes");
        insertSteps(steps, step.text);
        return Result::Done;
    }
    if (verb == QLatin1String("button")) {
        // A button of the dialog in front, by its text.
        QWidget *dialog = m_user.openDialog();
        if (!dialog)
            return Result::Wait;
        for (QAbstractButton *button : dialog->findChildren<QAbstractButton *>()) {
            if (!button->isVisible() || !button->isEnabled())
                continue;
            if (UserActions::shows(button->text(), arg)) {
                note(QStringLiteral("\"%1\" in \"%2\"").arg(UserActions::plain(button->text()), dialog->windowTitle()));
                once();
                QTest::mouseClick(button, Qt::LeftButton);
                return Result::Done;
            }
        }
        return Result::Wait;
    }
    if (verb == QLatin1String("orbit") || verb == QLatin1String("pan")) {
        if (!m_user.sceneWindow() || m_user.openDialog())
            return Result::Wait;
        once();
        m_user.dragInScene(arg.toInt(), step.words.value(2).toInt(), verb == QLatin1String("pan"));
        return Result::Done;
    }
    if (verb == QLatin1String("zoom")) {
        if (!m_user.sceneWindow() || m_user.openDialog())
            return Result::Wait;
        once();
        m_user.wheelInScene(arg.toInt());
        return Result::Done;
    }
    if (verb == QLatin1String("sim")) {
        // Stopped only from a quiet window; started again whatever it shows.
        if (arg == QLatin1String("stop") && !m_sim.stopping() && m_user.openDialog())
            return Result::Wait;
        if (arg == QLatin1String("stop"))
            return m_sim.stopped() ? Result::Done : Result::Wait;
        m_sim.start(step.words.mid(2));
        return Result::Done;
    }
    if (verb == QLatin1String("sim-count")) {
        const int want = step.words.value(2).toInt();
        const int have = m_sim.count(arg);
        if (have > want)
            fail(QStringLiteral("the Controller saw \"%1\" %2 times, expected %3").arg(arg).arg(have).arg(want));
        return have == want ? Result::Done : Result::Wait;
    }
    if (verb == QLatin1String("close")) {
        QMainWindow *window = m_user.mainWindow();
        if (!window)
            return Result::Wait;
        once();
        note(QStringLiteral("closing the window"));
        window->windowHandle()->close();
        return Result::Done;
    }
    if (verb == QLatin1String("screenshot")) {
        // The whole screen, as the user sees it, for a look by eye.
        QMainWindow *window = m_user.mainWindow();
        QScreen *screen = window ? window->screen() : QGuiApplication::primaryScreen();
        // "screenshot PATH window": only the main window's part of the screen.
        const QRect area = window && step.words.value(2) == QLatin1String("window") ? window->frameGeometry() : QRect();
        const QPixmap shot = area.isValid() ? screen->grabWindow(0, area.x(), area.y(), area.width(), area.height())
                                            : screen->grabWindow(0);
        if (!shot.save(arg))
            fail(QStringLiteral("cannot write %1").arg(arg));
        return Result::Done;
    }
    if (verb == QLatin1String("shown") || verb == QLatin1String("hidden")) {
        return (WidgetSteps::shown(arg) != nullptr) == (verb == QLatin1String("shown")) ? Result::Done : Result::Wait;
    }
    if (verb == QLatin1String("widget-click") || verb == QLatin1String("widget-key")
        || verb == QLatin1String("widget-hover")) {
        if (m_user.openDialog() || !WidgetSteps::shown(arg))
            return Result::Wait;
        once();
        if (verb == QLatin1String("widget-click"))
            WidgetSteps::click(arg);
        else if (verb == QLatin1String("widget-key"))
            WidgetSteps::keys(arg, step.words.value(2));
        else
            WidgetSteps::hover(arg, step.words.value(2).toDouble());
        return Result::Done;
    }
    if (verb == QLatin1String("box-says")) {
        // A box in front (a message or a progress box) whose text holds these words; it stays open.
        QWidget *dialog = m_user.openDialog();
        if (!dialog)
            return Result::Wait;
        for (QLabel *label : dialog->findChildren<QLabel *>())
            if (label->isVisible() && label->text().contains(arg))
                return once();
        return Result::Wait;
    }
    if (verb == QLatin1String("plots-aligned") || verb == QLatin1String("no-line-over")) {
        // "plots-aligned PREFIX": the dock's charts on one time axis;
        // "no-line-over MS PREFIX": no line drawn across a stretch without data.
        const bool aligned = verb == QLatin1String("plots-aligned");
        const QString prefix = aligned ? arg : step.words.value(2);
        const QString wrong = aligned ? ChartSteps::misaligned(prefix) : ChartSteps::lineOverGap(prefix, arg.toLongLong());
        if (!wrong.isEmpty())
            fail(wrong);
        return once();
    }
    if (verb == QLatin1String("chart-values")) {
        // "chart-values VIEW SERIES below|above VALUE": waits until a point of
        // the series lies there (a dip of the bodies, a loss of frames).
        return ChartSteps::anyValue(arg, step.words.value(2).toInt(), step.words.value(3) == QLatin1String("below"),
                                    step.words.value(4).toDouble())
            ? once()
            : Result::Wait;
    }
    if (verb == QLatin1String("save-file")) {
        // "save-file PATH" ("~/" is the home): the file dialog in front saves there.
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return Result::Wait;
        QString path = arg;
        if (path.startsWith(QLatin1String("~/")))
            path = QDir::homePath() + path.mid(1);
        // Typed into its file name field and confirmed, as a user does.
        auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        if (!name || !name->isVisible())
            return Result::Wait;
        once();
        note(QStringLiteral("\"%1\" in \"%2\"").arg(path, dialog->windowTitle()));
        name->setFocus(Qt::OtherFocusReason);
        name->setText(path);
        QTest::keyClick(name, Qt::Key_Return);
        return Result::Done;
    }
    if (verb == QLatin1String("no-text")) {
        // No text view of the program shows these words (the event display).
        for (QWidget *widget : QApplication::allWidgets()) {
            QString text;
            if (auto *edit = qobject_cast<QTextEdit *>(widget))
                text = edit->toPlainText();
            else if (auto *plain = qobject_cast<QPlainTextEdit *>(widget))
                text = plain->toPlainText();
            if (text.contains(arg))
                fail(QStringLiteral("\"%1\" is shown").arg(arg));
        }
        return once();
    }
    if (verb == QLatin1String("text-shown")) {
        for (QWidget *widget : QApplication::allWidgets()) {
            if (auto *edit = qobject_cast<QTextEdit *>(widget))
                if (edit->toPlainText().contains(arg))
                    return once();
            if (auto *plain = qobject_cast<QPlainTextEdit *>(widget))
                if (plain->toPlainText().contains(arg))
                    return once();
        }
        return Result::Wait;
    }
    if (verb == QLatin1String("window-state")) {
        // As the window manager would: minimised, maximised or back to normal.
        QMainWindow *window = m_user.mainWindow();
        if (!window && arg != QLatin1String("normal"))
            return Result::Wait;
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (widget->objectName() != QLatin1String("MainWindow"))
                continue;
            if (arg == QLatin1String("minimized"))
                widget->showMinimized();
            else if (arg == QLatin1String("maximized"))
                widget->showMaximized();
            else
                widget->showNormal();
        }
        return once();
    }
    if (verb == QLatin1String("wm-state") || verb == QLatin1String("dock") || verb == QLatin1String("focus")) {
        // Acts on the first try, then waits until the window manager has done it.
        if (!m_windowSteps)
            m_windowSteps = std::make_unique<WindowSteps>([this](const QString &why) { fail(why); });
        if (!m_windowSteps->ready())
            return Result::Wait;
        const bool first = firstTry();
        bool done = false;
        if (verb == QLatin1String("wm-state"))
            done = m_windowSteps->windowState(arg, first);
        else if (verb == QLatin1String("dock"))
            done = m_windowSteps->dock(arg, step.words.value(2), first);
        else
            done = m_windowSteps->focus(arg, first);
        if (!done)
            return Result::Wait;
        note(QStringLiteral("carried out after %1 ms").arg(m_stepClock.elapsed()));
        return Result::Done;
    }
    if (verb == QLatin1String("waiting")) {
        // Until the program waits for the Controller; "waiting now": it does
        // at this moment, so the steps before went ahead during the wait.
        const bool waiting = qApp->property("quorixWaitingForController").toBool();
        if (!waiting && arg == QLatin1String("now"))
            fail(QStringLiteral("the program does not wait for the Controller"));
        return waiting ? Result::Done : Result::Wait;
    }
    if (verb == QLatin1String("sigterm")) {
        once();
        ::kill(::getpid(), SIGTERM);
        return Result::Done;
    }
    if (verb == QLatin1String("signal")) {
        // "signal TERM|HUP|INT": the program must be gone within 5 s of it,
        // whatever it showed; otherwise this process says so and ends with 4.
        const QMap<QString, int> numbers = {
            {QStringLiteral("TERM"), SIGTERM}, {QStringLiteral("HUP"), SIGHUP}, {QStringLiteral("INT"), SIGINT}};
        if (!numbers.contains(arg))
            fail(QStringLiteral("no signal %1").arg(arg));
        once();
        armExitWatchdog(QStringLiteral("SIG") + arg);
        ::kill(::getpid(), numbers.value(arg));
        return Result::Done;
    }
    if (verb == QLatin1String("button?")) {
        // As "button", or nothing when no such button came within 1.5 s.
        if (m_stepClock.elapsed() > 1500 * m_scale)
            return Result::Done;
        Step button = step;
        button.words[0] = QStringLiteral("button");
        return run(button);
    }
    if (verb == QLatin1String("must-end")) {
        // The steps after this one end the program: within 5 s of now.
        armExitWatchdog(QStringLiteral("the last steps"));
        return Result::Done;
    }
    if (verb == QLatin1String("ensure-idle")) {
        // Whatever the session before left running is stopped, once the
        // window has read the Controller's state.
        if (!m_user.mainWindow() || m_user.openDialog() || m_stepClock.elapsed() < 1000 * m_scale)
            return Result::Wait;
        if (m_user.measuring())
            insertSteps({QStringLiteral("key M"), QStringLiteral("idle")}, step.text);
        return Result::Done;
    }
    if (verb == QLatin1String("dock-hidden") || verb == QLatin1String("dock-shown")) {
        // "dock-hidden NAME PATH": hidden (or shown) through its menu entry
        // when it is not so already.
        if (!m_user.mainWindow() || m_user.openDialog())
            return Result::Wait;
        const bool wanted = verb == QLatin1String("dock-shown");
        if ((WidgetSteps::shown(arg) != nullptr) != wanted)
            insertSteps({QStringLiteral("menu \"%1\"").arg(step.words.value(2)),
                         (wanted ? QStringLiteral("shown ") : QStringLiteral("hidden ")) + arg},
                        step.text);
        return Result::Done;
    }
    if (verb == QLatin1String("dock-height")) {
        // "dock-height NAME PIXELS [set]": the dock is resized to that height,
        // or (without "set") is that high, give or take a few pixels.
        auto *dock = qobject_cast<QDockWidget *>(m_user.openDialog() ? nullptr : WidgetSteps::shown(arg));
        if (!dock || !m_user.mainWindow())
            return Result::Wait;
        const int wanted = step.words.value(2).toInt();
        if (step.words.value(3) == QLatin1String("set") && firstTry())
            m_user.mainWindow()->resizeDocks({dock}, {wanted}, Qt::Vertical);
        if (std::abs(dock->height() - wanted) > 12)
            return Result::Wait;
        note(QStringLiteral("%1 pixels high").arg(dock->height()));
        return Result::Done;
    }
    if (verb == QLatin1String("context-in")) {
        // "context-in NAME": the context menu of the text view in NAME stays
        // open; the next steps run inside its loop.
        QWidget *widget = m_user.openDialog() ? nullptr : WidgetSteps::shown(arg);
        auto *view = widget ? widget->findChild<QAbstractScrollArea *>() : nullptr;
        if (!view || !view->isVisible())
            return Result::Wait;
        insertSteps({QStringLiteral("popup")}, step.text);
        once();
        const QPoint centre = view->viewport()->rect().center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, centre, view->viewport()->mapToGlobal(centre));
        QApplication::sendEvent(view->viewport(), &event);
        return Result::Done;
    }
    if (verb == QLatin1String("context-open")) {
        // The 3D view's context menu stays open; the next steps run inside its loop.
        if (!m_user.sceneWindow() || m_user.openDialog())
            return Result::Wait;
        insertSteps({QStringLiteral("popup")}, step.text);
        once();
        m_user.openContextMenu();
        return Result::Done;
    }
    if (verb == QLatin1String("popup")) {
        return m_user.openMenu() ? Result::Done : Result::Wait;
    }
    fail(QStringLiteral("unknown step \"%1\"").arg(step.text));
}

bool JourneyDriver::firstTry()
{
    if (m_actedStep == m_stepStarted)
        return false;
    m_actedStep = m_stepStarted;
    return true;
}

void JourneyDriver::armExitWatchdog(const QString &cause)
{
    // Its own thread: the GUI thread is what may hang. It is never joined;
    // the process ends around it.
    const int limitMs = static_cast<int>(ExitLimitMs * m_scale);
    const QByteArray what = cause.toUtf8();
    note(QStringLiteral("%1; the program must end within %2 ms").arg(cause).arg(limitMs));
    std::thread([limitMs, what] {
        std::this_thread::sleep_for(std::chrono::milliseconds(limitMs));
        std::fprintf(stderr, "journey: FAILED: still running %d ms after %s\n", limitMs, what.constData());
        std::fflush(stderr);
        ::_exit(4);
    }).detach();
}
