#include "ToolButton.h"

ToolButton::ToolButton(QWidget *parent)
    : QToolButton(parent)
{
}

void ToolButton::mousePressEvent(QMouseEvent *event)
{
    setFocus(Qt::MouseFocusReason);
    QToolButton::mousePressEvent(event);
}
