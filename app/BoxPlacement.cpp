#include "BoxPlacement.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QGuiApplication>
#include <QMainWindow>
#include <QPointer>
#include <QScreen>

namespace {

const char Placed[] = "quorixBoxPlaced";

QWidget *visibleWindow(QWidget *widget)
{
    QWidget *window = widget ? widget->window() : nullptr;
    return window && window->isVisible() && !window->isMinimized() ? window : nullptr;
}

// The window the user looks at: the dialog's own parent when it can be seen,
// else the active window, else a visible main window.
QWidget *anchorFor(QDialog *dialog)
{
    if (QWidget *parent = visibleWindow(dialog->parentWidget()))
        return parent;
    QWidget *active = visibleWindow(QApplication::activeWindow());
    if (active && active != dialog)
        return active;
    for (QWidget *top : QApplication::topLevelWidgets())
        if (qobject_cast<QMainWindow *>(top) && visibleWindow(top))
            return top;
    return nullptr;
}

} // namespace

void BoxPlacement::install()
{
    static QPointer<BoxPlacement> installed;
    if (installed || !qApp)
        return;
    installed = new BoxPlacement(qApp);
    qApp->installEventFilter(installed);
}

void BoxPlacement::place(QDialog *dialog)
{
    QRect area;
    if (QWidget *anchor = anchorFor(dialog)) {
        area = anchor->frameGeometry();
    } else {
        QScreen *screen = QGuiApplication::primaryScreen();
        if (!screen)
            return;
        area = screen->availableGeometry();
    }
    QRect box = dialog->frameGeometry();
    box.moveCenter(area.center());
    // Keep the title bar on the screen the anchor is on.
    if (QScreen *screen = QGuiApplication::screenAt(area.center())) {
        const QRect available = screen->availableGeometry();
        box.moveLeft(qBound(available.left(), box.left(), qMax(available.left(), available.right() - box.width())));
        box.moveTop(qBound(available.top(), box.top(), qMax(available.top(), available.bottom() - box.height())));
    }
    dialog->move(box.topLeft());
}

bool BoxPlacement::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::Show && type != QEvent::Resize && type != QEvent::Hide)
        return false;
    auto *dialog = qobject_cast<QDialog *>(watched);
    if (!dialog || !dialog->isWindow())
        return false;
    const bool placedByUs = dialog->property(Placed).toBool();
    if (type == QEvent::Hide) {
        // Our place was for this opening only: the next one is placed anew.
        if (placedByUs) {
            dialog->setProperty(Placed, QVariant());
            dialog->setAttribute(Qt::WA_Moved, false);
        }
        return false;
    }
    if (type == QEvent::Show) {
        // Moved by the user or by its own code: that place stays.
        if (dialog->testAttribute(Qt::WA_Moved) && !placedByUs)
            return false;
        // Qt centres it well on a parent that can be seen.
        if (visibleWindow(dialog->parentWidget()))
            return false;
        place(dialog);
        // Keeps the dialog's own centring (on the hidden parent) from undoing ours.
        dialog->setAttribute(Qt::WA_Moved, true);
        dialog->setProperty(Placed, true);
    } else if (placedByUs && dialog->isVisible()) {
        // A box takes its final size in its own show handling, after us.
        place(dialog);
    }
    return false;
}
