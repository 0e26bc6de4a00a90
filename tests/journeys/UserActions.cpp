#include "UserActions.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <QDialogButtonBox>
#include <QMainWindow>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QWheelEvent>
#include <QWindow>

#include <cstdlib>

namespace {

// The translation contexts whose texts steps may name; a step names the
// English source text, so one journey runs in every language.
const char *const kContexts[] = {"MainWindow", "GUI::Zel3DWindowWrapper", "GUI::HoloviewModule",
                                 "ConnectionLostBox", "IpDialog", "TrackboxSelection", "QPlatformTheme",
                                 "QMessageBox", "Health::HealthModule"};

} // namespace

UserActions::UserActions(Hooks hooks)
    : m_hooks(std::move(hooks))
{
}

void UserActions::fail(const QString &why) const
{
    m_hooks.fail(why);
    std::abort();   // the hook ends the process
}

QString UserActions::plain(QString text)
{
    return text.remove(QLatin1Char('&')).trimmed();
}

// Whether a text the program shows is the English 'wanted', in the language
// the program speaks.
bool UserActions::shows(const QString &shown, const QString &wanted)
{
    if (plain(shown) == plain(wanted))
        return true;
    const QByteArray source = wanted.toUtf8();
    for (const char *context : kContexts)
        if (plain(shown) == plain(QCoreApplication::translate(context, source.constData())))
            return true;
    return false;
}

QMainWindow *UserActions::mainWindow() const
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        auto *window = qobject_cast<QMainWindow *>(widget);
        if (window && window->objectName() == QLatin1String("MainWindow") && window->isVisible())
            return window;
    }
    return nullptr;
}

QWindow *UserActions::sceneWindow() const
{
    for (QWindow *window : QGuiApplication::allWindows())
        if (window->inherits("Qt3DExtras::Qt3DWindow") || window->inherits("GUI::SceneWindow"))
            if (window->isExposed())
                return window;
    return nullptr;
}

QAction *UserActions::startStopAction() const
{
    QMainWindow *window = mainWindow();
    if (!window)
        return nullptr;
    if (auto *action = window->findChild<QAction *>(QStringLiteral("actionStartStop")))
        return action;
    for (QAction *action : window->findChildren<QAction *>()) {
        const QString text = plain(action->text());
        if (text == plain(QCoreApplication::translate("MeasurementControl", "&Start"))
            || text == plain(QCoreApplication::translate("MeasurementControl", "Stop")))
            return action;
    }
    return nullptr;
}

bool UserActions::measuring() const
{
    QAction *action = startStopAction();
    return action && plain(action->text()) == plain(QCoreApplication::translate("MeasurementControl", "Stop"));
}

QWidget *UserActions::openDialog() const
{
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal;
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (widget->isVisible() && (qobject_cast<QDialog *>(widget)))
            return widget;
    return nullptr;
}

QAction *UserActions::findAction(const QList<QAction *> &actions, const QString &text) const
{
    for (QAction *action : actions)
        if (shows(action->text(), text))
            return action;
    return nullptr;
}

void UserActions::pressKeys(const QString &text)
{
    const QKeySequence sequence(text);
    QWidget *target = QApplication::activeModalWidget();
    if (!target)
        target = QApplication::activePopupWidget();
    if (!target) {
        QMainWindow *window = mainWindow();
        if (!window)
            fail(QStringLiteral("no window for the keys %1").arg(text));
        QApplication::setActiveWindow(window);
        target = window->focusWidget() ? window->focusWidget() : window;
    }
    for (int i = 0; i < sequence.count(); ++i)
        QTest::keyClick(target, Qt::Key(sequence[i] & ~Qt::KeyboardModifierMask),
                        Qt::KeyboardModifiers(sequence[i] & Qt::KeyboardModifierMask));
}

void UserActions::clickAction(QMenu *menu, QAction *action)
{
    const QRect rect = menu->actionGeometry(action);
    QTest::mouseMove(menu, rect.center());
    QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier, rect.center());
}

bool UserActions::clickMenuEntry(const QString &path)
{
    QMainWindow *window = mainWindow();
    const QStringList parts = path.split(QLatin1Char('/'));
    QAction *top = findAction(window->menuBar()->actions(), parts.value(0));
    if (!top || !top->menu())
        return false;
    QAction *entry = findAction(top->menu()->actions(), parts.value(1));
    if (!entry || !entry->isEnabled())
        return false;
    const QList<QAction *> tops = window->menuBar()->actions();
    return clickMenuEntry(tops.indexOf(top), top->menu()->actions().indexOf(entry));
}

bool UserActions::clickMenuEntry(int menuIndex, int entryIndex)
{
    QMainWindow *window = mainWindow();
    QMenuBar *bar = window->menuBar();
    QAction *top = bar->actions().value(menuIndex);
    if (!top || !top->menu() || !top->isVisible())
        return false;
    QMenu *menu = top->menu();
    QApplication::setActiveWindow(window);
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->actionGeometry(top).center());
    for (int i = 0; i < 40 && !menu->isVisible(); ++i)
        QTest::qWait(25);
    if (!menu->isVisible())
        fail(QStringLiteral("menu %1 did not open").arg(plain(top->text())));
    QAction *entry = menu->actions().value(entryIndex);
    if (!entry || entry->isSeparator() || !entry->isEnabled() || !entry->isVisible()) {
        menu->close();
        return false;
    }
    m_hooks.note(QStringLiteral("click %1 > %2").arg(plain(top->text()), plain(entry->text())));
    clickAction(menu, entry);
    return true;
}

QMenu *UserActions::openMenu()
{
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    if (!menu || !menu->isVisible())
        return nullptr;
    ++m_menusSeen;
    return menu;
}

void UserActions::openContextMenu()
{
    // The view opens its menu inside the release, and the steps that use it
    // run in the menu's loop before the release returns: a release that
    // returns with no menu seen opened none. Said and clicked again, so that
    // a lost click shows in the log instead of as a step that times out.
    for (int attempt = 1;; ++attempt) {
        QWindow *scene = sceneWindow();
        if (!scene)
            return;
        const QRect before(scene->mapToGlobal(QPoint(0, 0)), scene->size());
        const QPoint centre(scene->width() / 2, scene->height() / 2);
        const int seen = m_menusSeen;
        QCursor::setPos(scene->mapToGlobal(centre));
        QTest::mousePress(scene, Qt::RightButton, Qt::NoModifier, centre);
        QTest::mouseRelease(scene, Qt::RightButton, Qt::NoModifier, centre);
        if (m_menusSeen != seen || !sceneWindow() || openDialog())
            return;
        const auto rect = [](const QRect &r) {
            return QStringLiteral("%1x%2+%3+%4").arg(r.width()).arg(r.height()).arg(r.x()).arg(r.y());
        };
        m_hooks.note(QStringLiteral("the right click opened no menu (the 3D view at %1, now %2)")
                 .arg(rect(before), rect(QRect(scene->mapToGlobal(QPoint(0, 0)), scene->size()))));
        if (attempt == 3)
            return;
    }
}

QStringList UserActions::expandMenus() const
{
    // Each entry twice: closed once with Escape and once with its own button,
    // or, where no dialog opens (a switch), switched back by the second click.
    // Measurement, quitting and the Controller's power are journeys of their
    // own, and What's This is left at once.
    QStringList steps;
    QMainWindow *window = mainWindow();
    const QList<QAction *> tops = window->menuBar()->actions();
    for (int m = 0; m < tops.size(); ++m) {
        QMenu *menu = tops[m]->menu();
        if (!menu || !tops[m]->isVisible())
            continue;
        const QList<QAction *> entries = menu->actions();
        for (int e = 0; e < entries.size(); ++e) {
            QAction *entry = entries[e];
            const QString name = entry->objectName();
            if (entry->isSeparator() || !entry->isVisible() || !entry->isEnabled() || entry->menu()
                || name == QLatin1String("actionStartStop") || name == QLatin1String("actionQuit"))
                continue;
            const QString click = QStringLiteral("menu-index %1 %2").arg(m).arg(e);
            steps << click << QStringLiteral("dialog? escape") << QStringLiteral("no-dialog") << click
                  << QStringLiteral("dialog? button") << QStringLiteral("no-dialog");
        }
    }
    return steps;
}

bool UserActions::closeDialog(const QString &how)
{
    QWidget *dialog = openDialog();
    if (!dialog)
        return true;
    QApplication::setActiveWindow(dialog);
    if (how == QLatin1String("escape")) {
        m_hooks.note(QStringLiteral("Escape in \"%1\"").arg(dialog->windowTitle()));
        m_hooks.acted();
        QTest::keyClick(dialog, Qt::Key_Escape);
        return true;
    }
    // Its own button: the one that leaves without doing anything.
    QAbstractButton *button = nullptr;
    if (auto *box = qobject_cast<QMessageBox *>(dialog))
        button = box->escapeButton();
    if (!button) {
        for (auto *buttons : dialog->findChildren<QDialogButtonBox *>()) {
            for (QAbstractButton *candidate : buttons->buttons()) {
                const auto role = buttons->buttonRole(candidate);
                if (role == QDialogButtonBox::RejectRole || role == QDialogButtonBox::NoRole)
                    button = candidate;
                else if (!button && role == QDialogButtonBox::AcceptRole && buttons->buttons().size() == 1)
                    button = candidate;
            }
        }
    }
    if (!button) {
        const QStringList names = {QStringLiteral("Close"), QStringLiteral("Cancel"), QStringLiteral("OK"),
                                   QStringLiteral("Ok")};
        for (auto *candidate : dialog->findChildren<QPushButton *>()) {
            for (const QString &name : names) {
                if (candidate->isVisible() && candidate->isEnabled() && shows(candidate->text(), name)) {
                    button = candidate;
                    break;
                }
            }
            if (button)
                break;
        }
    }
    if (!button) {
        m_hooks.note(QStringLiteral("\"%1\" has no button to leave by; Escape").arg(dialog->windowTitle()));
        m_hooks.acted();
        QTest::keyClick(dialog, Qt::Key_Escape);
        return true;
    }
    m_hooks.note(QStringLiteral("\"%1\" in \"%2\"").arg(plain(button->text()), dialog->windowTitle()));
    m_hooks.acted();
    QTest::mouseClick(button, Qt::LeftButton);
    return true;
}

bool UserActions::answer(const QString &which)
{
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (!box)
        return false;
    QAbstractButton *button = nullptr;
    if (which == QLatin1String("reconnect")) {
        for (QAbstractButton *candidate : box->buttons())
            if (box->buttonRole(candidate) == QMessageBox::ActionRole)
                button = candidate;
    } else {
        const QMap<QString, QMessageBox::StandardButton> standard = {
            {QStringLiteral("yes"), QMessageBox::Yes},
            {QStringLiteral("no"), QMessageBox::No},
            {QStringLiteral("ok"), QMessageBox::Ok},
            {QStringLiteral("cancel"), QMessageBox::Cancel}};
        button = box->button(standard.value(which, QMessageBox::NoButton));
    }
    if (!button || !button->isEnabled())
        return false;
    m_hooks.note(QStringLiteral("answer \"%1\" in \"%2\": %3").arg(plain(button->text()), box->windowTitle(), box->text()));
    m_hooks.acted();
    QTest::mouseClick(button, Qt::LeftButton);
    return true;
}

void UserActions::dragInScene(int dx, int dy, bool shift)
{
    QWindow *scene = sceneWindow();
    const QPoint from(scene->width() / 2, scene->height() / 2);
    const Qt::KeyboardModifiers modifiers = shift ? Qt::ShiftModifier : Qt::NoModifier;
    QTest::mousePress(scene, Qt::LeftButton, modifiers, from);
    const int steps = 8;
    for (int i = 1; i <= steps; ++i) {
        QTest::mouseMove(scene, from + QPoint(dx * i / steps, dy * i / steps), 15);
    }
    QTest::mouseRelease(scene, Qt::LeftButton, modifiers, from + QPoint(dx, dy), 15);
}

void UserActions::wheelInScene(int delta)
{
    QWindow *scene = sceneWindow();
    const QPointF centre(scene->width() / 2.0, scene->height() / 2.0);
    QWheelEvent event(centre, scene->mapToGlobal(centre.toPoint()), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(scene, &event);
}
