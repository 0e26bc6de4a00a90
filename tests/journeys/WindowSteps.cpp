#include "WindowSteps.h"

#include <QApplication>
#include <QDockWidget>
#include <QMainWindow>
#include <QProcess>
#include <QScreen>
#include <QWindow>

namespace {

const char kForeign[] = "quorix-journey-foreign";

// The 3D views come back with their window: each shown one is exposed.
bool scenesExposed()
{
    for (QWindow *window : QGuiApplication::allWindows())
        if ((window->inherits("Qt3DExtras::Qt3DWindow") || window->inherits("GUI::SceneWindow")) && window->isVisible()
            && !window->isExposed())
            return false;
    return true;
}

} // namespace

WindowSteps::WindowSteps(std::function<void(const QString &)> fail)
    : m_fail(std::move(fail))
{
}

WindowSteps::~WindowSteps()
{
    if (m_foreign)
        m_foreign->kill();
}

QMainWindow *WindowSteps::mainWindow() const
{
    // A minimised window is not hidden, and still ours to restore.
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        auto *window = qobject_cast<QMainWindow *>(widget);
        if (window && window->objectName() == QLatin1String("MainWindow") && !window->isHidden()
            && window->windowHandle())
            return window;
    }
    return nullptr;
}

void WindowSteps::requireManager()
{
    if (!m_probe.running())
        m_fail(QStringLiteral("no window manager runs on this display (QUORIX_JOURNEY_WM)"));
}

bool WindowSteps::windowState(const QString &state, bool first)
{
    QMainWindow *window = mainWindow();
    if (!window)
        return false;
    if (first) {
        requireManager();
        // The size to come back to, when leaving the normal state.
        if (!(window->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)))
            m_normalSize = window->size();
        if (state == QLatin1String("minimized"))
            window->showMinimized();
        else if (state == QLatin1String("maximized"))
            window->showMaximized();
        else if (state == QLatin1String("normal"))
            window->showNormal();
        else
            m_fail(QStringLiteral("unknown window state %1").arg(state));
        return false;
    }
    return windowIs(window, state);
}

bool WindowSteps::windowIs(QMainWindow *window, const QString &state)
{
    QWindow *handle = window->windowHandle();
    const quint32 id = static_cast<quint32>(handle->winId());
    const WindowManagerProbe::State managed = m_probe.state(id);
    if (state == QLatin1String("minimized"))
        return managed == WindowManagerProbe::State::Iconic && !handle->isExposed() && window->isMinimized();
    const bool shown = managed == WindowManagerProbe::State::Normal && handle->isExposed() && !window->isMinimized()
                       && scenesExposed();
    if (state == QLatin1String("maximized")) {
        const QSize room = window->screen()->availableGeometry().size();
        const QSize frame = window->frameGeometry().size();
        return shown && m_probe.maximized(id) && window->isMaximized() && frame.width() >= room.width()
               && frame.height() >= room.height();
    }
    return shown && !m_probe.maximized(id) && !window->isMaximized()
           && (!m_normalSize.isValid() || window->size() == m_normalSize);
}

bool WindowSteps::dock(const QString &name, const QString &where, bool first)
{
    QMainWindow *window = mainWindow();
    if (!window)
        return false;
    const bool floating = where == QLatin1String("floating");
    if (first) {
        requireManager();
        if (!floating && where != QLatin1String("docked"))
            m_fail(QStringLiteral("a dock is \"floating\" or \"docked\", not \"%1\"").arg(where));
        m_dock = nullptr;
        for (QDockWidget *dock : window->findChildren<QDockWidget *>()) {
            if (!dock->isVisible())
                continue;
            if (dock->objectName() == name || (name == QLatin1String("*") && dock->isFloating() != floating))
                m_dock = dock;
            if (m_dock)
                break;
        }
        if (!m_dock && name != QLatin1String("*"))
            m_fail(QStringLiteral("the dock %1 is not shown").arg(name));
        if (m_dock) {
            m_content = m_dock->widget();
            m_dock->setFloating(floating);
        }
        return false;
    }
    if (!m_dock)
        return name == QLatin1String("*");
    // A dock whose content is the window's middle while docked: that is shown
    // there, the dock not at all.
    if (!floating && !m_dock->isFloating() && m_content && window->centralWidget() == m_content)
        return m_dock->isHidden() && m_content->isVisible() && window->rect().contains(m_content->geometry());
    if (!m_dock->isVisible() || m_dock->isFloating() != floating)
        return false;
    if (floating) {
        // A window of its own that the manager took on, on the screen.
        QWindow *handle = m_dock->windowHandle();
        return handle && handle->isExposed()
               && m_probe.state(static_cast<quint32>(handle->winId())) == WindowManagerProbe::State::Normal
               && m_dock->screen()->availableGeometry().contains(m_dock->geometry());
    }
    return window->dockWidgetArea(m_dock) != Qt::NoDockWidgetArea && !m_dock->geometry().isEmpty()
           && window->rect().contains(m_dock->geometry()) && m_dock->widget() && m_dock->widget()->isVisible();
}

bool WindowSteps::focus(const QString &how, bool first)
{
    QMainWindow *window = mainWindow();
    if (how == QLatin1String("away")) {
        if (first) {
            requireManager();
            if (!m_foreign)
                m_foreign = std::make_unique<QProcess>();
            if (m_foreign->state() == QProcess::NotRunning) {
                m_foreign->start(QStringLiteral("xmessage"),
                                 {QStringLiteral("-name"), QLatin1String(kForeign), QStringLiteral("-geometry"),
                                  QStringLiteral("+40+40"), QStringLiteral("another program")});
                if (!m_foreign->waitForStarted(3000))
                    m_fail(QStringLiteral("xmessage did not start: %1").arg(m_foreign->errorString()));
            }
            m_foreignWindow = 0;
            return false;
        }
        if (!m_foreignWindow) {
            m_foreignWindow = m_probe.findClient(kForeign);
            // Clicked in the task bar, so to speak: no focus-stealing rule holds it back.
            if (m_foreignWindow)
                m_probe.activate(m_foreignWindow);
            return false;
        }
        return m_probe.activeWindow() == m_foreignWindow && !QApplication::activeWindow()
               && QGuiApplication::applicationState() != Qt::ApplicationActive;
    }
    if (how != QLatin1String("back"))
        m_fail(QStringLiteral("focus goes \"away\" or \"back\", not \"%1\"").arg(how));
    if (first) {
        if (m_foreign)
            m_foreign->terminate();
        m_activationAsked = false;
        return false;
    }
    if ((m_foreign && m_foreign->state() != QProcess::NotRunning) || m_probe.findClient(kForeign) || !window)
        return false;
    if (!m_activationAsked) {
        m_activationAsked = true;
        window->activateWindow();
        return false;
    }
    // The main window, or the box that stands in front of it.
    QWidget *active = QApplication::activeWindow();
    return active && (active == window || active == QApplication::activeModalWidget())
           && QGuiApplication::applicationState() == Qt::ApplicationActive && active->windowHandle()
           && m_probe.activeWindow() == static_cast<quint32>(active->windowHandle()->winId());
}
