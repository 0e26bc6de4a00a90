#include "StatusValueField.h"

#include <QMouseEvent>

StatusValueField::StatusValueField(const QString &text, QWidget *parent)
    : QLineEdit(text, parent)
{
    setReadOnly(true);
    setFocusPolicy(Qt::NoFocus);
    setContextMenuPolicy(Qt::NoContextMenu);
    setCursor(Qt::ArrowCursor);
}

// The mouse belongs to the tool bar (dragging it), as over a disabled field.
void StatusValueField::mousePressEvent(QMouseEvent *event)
{
    event->ignore();
}

void StatusValueField::mouseMoveEvent(QMouseEvent *event)
{
    event->ignore();
}

void StatusValueField::mouseReleaseEvent(QMouseEvent *event)
{
    event->ignore();
}

void StatusValueField::mouseDoubleClickEvent(QMouseEvent *event)
{
    event->ignore();
}
