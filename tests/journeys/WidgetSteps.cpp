#include "WidgetSteps.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QImage>
#include <QKeySequence>
#include <QPixmap>
#include <QScreen>
#include <QSet>
#include <QTest>
#include <QWidget>
#include <QWindow>

namespace WidgetSteps {

QWidget *shown(const QString &name)
{
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (!top->isVisible())
            continue;
        if (top->objectName() == name)
            return top;
        for (QWidget *widget : top->findChildren<QWidget *>(name))
            if (widget->isVisible())
                return widget;
    }
    return nullptr;
}

bool click(const QString &name)
{
    QWidget *widget = shown(name);
    if (!widget)
        return false;
    QTest::mouseClick(widget, Qt::LeftButton);
    return true;
}

bool keys(const QString &name, const QString &sequence)
{
    QWidget *widget = shown(name);
    if (!widget)
        return false;
    QApplication::setActiveWindow(widget->window());
    widget->setFocus(Qt::OtherFocusReason);
    const QKeySequence keys(sequence);
    for (int i = 0; i < keys.count(); ++i)
        QTest::keyClick(widget, Qt::Key(keys[i] & ~Qt::KeyboardModifierMask),
                        Qt::KeyboardModifiers(keys[i] & Qt::KeyboardModifierMask));
    return true;
}

bool hover(const QString &name, double fractionOfWidth)
{
    QWidget *widget = shown(name);
    if (!widget)
        return false;
    // Views take the mouse on their viewport.
    if (auto *area = qobject_cast<QAbstractScrollArea *>(widget))
        widget = area->viewport();
    const QPoint at(int(widget->width() * fractionOfWidth), widget->height() / 2);
    QTest::mouseMove(widget, at);
    // QTest moves the cursor; widgets that track the mouse want the event too.
    QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
    return true;
}

bool drawn(QWindow *window)
{
    if (!window || !window->isExposed() || !window->screen())
        return false;
    const QPoint origin = window->mapToGlobal(QPoint(0, 0)) - window->screen()->geometry().topLeft();
    const QImage shot = window->screen()->grabWindow(0, origin.x(), origin.y(), window->width(), window->height()).toImage();
    if (shot.width() < 32 || shot.height() < 32)
        return false;
    // Background, grid, cameras and their numbers: a few colours at least.
    QSet<QRgb> colours;
    for (int y = 0; y < shot.height(); y += 4)
        for (int x = 0; x < shot.width(); x += 4)
            colours.insert(shot.pixel(x, y));
    return colours.size() >= 4;
}

} // namespace WidgetSteps
