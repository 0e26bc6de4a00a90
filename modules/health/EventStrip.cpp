#include "EventStrip.h"

#include "HealthRing.h"

#include <QDateTime>
#include <QPainter>

namespace Health {

namespace {
constexpr int HitPixels = 3;
constexpr int MostInToolTip = 8;
} // namespace

EventStrip::EventStrip(const HealthRing &ring, QWidget *parent)
    : TimeStrip(ring, parent)
{
    setFixedHeight(14);
}

void EventStrip::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawLine(m_window.left, height() - 1, m_window.right, height() - 1);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(230, 126, 34));
    const auto range = m_ring.eventRange(m_window.fromMs, m_window.toMs);
    int lastX = -1000;
    for (size_t i = range.first; i < range.second; ++i) {
        const int x = int(m_window.x(m_ring.events()[i].msecsSinceEpoch));
        if (x == lastX)
            continue;
        lastX = x;
        const QPoint mark[] = {{x - 4, 1}, {x + 4, 1}, {x, height() - 2}};
        painter.drawPolygon(mark, 3);
    }
    paintCursor(painter);
}

QString EventStrip::toolTipAt(const QPoint &pos) const
{
    const int x = pos.x();
    const qint64 from = m_window.ms(x - HitPixels);
    const qint64 to = m_window.ms(x + HitPixels);
    const auto range = m_ring.eventRange(from, to);
    QStringList lines;
    const size_t first = range.second - range.first > MostInToolTip ? range.second - MostInToolTip : range.first;
    if (first > range.first)
        lines << tr("(earlier events here: %1)").arg(first - range.first);
    for (size_t i = first; i < range.second; ++i) {
        const HealthEvent &e = m_ring.events()[i];
        lines << QDateTime::fromMSecsSinceEpoch(e.msecsSinceEpoch).toString(QStringLiteral("hh:mm:ss ")) + e.text;
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace Health
