#include "TimeStrip.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

namespace Health {

TimeStrip::TimeStrip(const HealthRing &ring, QWidget *parent)
    : QWidget(parent)
    , m_ring(ring)
{
    setMouseTracking(true);
}

void TimeStrip::setWindow(const TimeWindow &window)
{
    m_window = window;
    update();
}

void TimeStrip::setCursorX(int x)
{
    if (x == m_cursorX)
        return;
    m_cursorX = x;
    update();
}

void TimeStrip::mouseMoveEvent(QMouseEvent *event)
{
    const int x = event->pos().x();
    if (x >= m_window.left && x <= m_window.right)
        emit hovered(m_window.ms(x));
    QWidget::mouseMoveEvent(event);
}

void TimeStrip::leaveEvent(QEvent *event)
{
    emit left();
    QWidget::leaveEvent(event);
}

QString TimeStrip::toolTipAt(const QPoint &) const
{
    return QString();
}

bool TimeStrip::event(QEvent *event)
{
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    auto *help = static_cast<QHelpEvent *>(event);
    const QString text = toolTipAt(help->pos());
    if (text.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(help->globalPos(), text, this);
    return true;
}

void TimeStrip::paintCursor(QPainter &painter) const
{
    if (m_cursorX < m_window.left || m_cursorX > m_window.right)
        return;
    painter.setPen(QPen(palette().color(QPalette::Highlight), 1));
    painter.drawLine(m_cursorX, 0, m_cursorX, height());
}

} // namespace Health
