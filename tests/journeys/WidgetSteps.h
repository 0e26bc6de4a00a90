#pragma once

#include <QString>

class QWidget;
class QWindow;

// Steps on a widget named by its object name, for docks and their controls
// that the menus do not reach: the mouse and keys as a user uses them.
namespace WidgetSteps {

// The shown widget of that name in any window; null when none is shown.
QWidget *shown(const QString &name);
// Each returns false when no such widget is shown.
bool click(const QString &name);
bool keys(const QString &name, const QString &sequence);
bool hover(const QString &name, double fractionOfWidth);
// Whether the window shows a picture on the screen, not one flat colour
// (a native window left behind when its widget moved shows none).
bool drawn(QWindow *window);

} // namespace WidgetSteps
