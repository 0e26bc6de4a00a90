#include "CameraStrip.h"

#include "HealthRing.h"

#include <QDateTime>
#include <QPainter>

#include <algorithm>

namespace Health {

CameraStrip::CameraStrip(const HealthRing &ring, QWidget *parent)
    : TimeStrip(ring, parent)
{
    setMinimumHeight(RowHeight);
}

QColor CameraStrip::colourFor(int used, int most)
{
    if (used < 0)
        return QColor();
    const double share = most > 0 ? std::min(1.0, double(used) / double(most)) : 0.0;
    // Red through amber to green: hue 0 to 120 degrees.
    return QColor::fromHsvF(share / 3.0, 0.75, 0.85);
}

void CameraStrip::refresh()
{
    const auto range = m_ring.sampleRange(m_window.fromMs, m_window.toMs);
    int cameras = 0;
    int most = 0;
    for (size_t i = range.first; i < range.second; ++i) {
        const HealthSample &s = m_ring.samples()[i];
        cameras = std::max(cameras, int(s.rays.size()));
        for (const CameraRays &r : s.rays)
            most = std::max(most, r.used);
    }
    m_mostUsed = most;
    if (cameras != m_cameras) {
        m_cameras = cameras;
        setFixedHeight(std::max(1, cameras) * RowHeight + 2);
    }
    update();
}

void CameraStrip::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    QFont small = font();
    small.setPixelSize(RowHeight - 2);
    painter.setFont(small);
    for (int c = 0; c < m_cameras; ++c)
        painter.drawText(QRect(0, 1 + c * RowHeight, m_window.left - 4, RowHeight), Qt::AlignRight | Qt::AlignVCenter,
                         QStringLiteral("c%1").arg(c + 1, 2, 10, QLatin1Char('0')));

    const auto range = m_ring.sampleRange(m_window.fromMs, m_window.toMs);
    for (size_t i = range.first; i < range.second; ++i) {
        const HealthSample &s = m_ring.samples()[i];
        // Like the plots: no colour where nothing was measured.
        if (!hasTrackingData(s))
            continue;
        // Each sample stands for the second before it was taken.
        const int x0 = int(m_window.x(s.msecsSinceEpoch - 1000));
        const int x1 = std::max(x0 + 1, int(m_window.x(s.msecsSinceEpoch)));
        const int from = std::max(x0, m_window.left);
        if (x1 <= from)
            continue;
        for (int c = 0; c < s.rays.size() && c < m_cameras; ++c) {
            const QColor colour = colourFor(s.rays[c].used, m_mostUsed);
            if (colour.isValid())
                painter.fillRect(QRect(from, 1 + c * RowHeight, x1 - from, RowHeight - 1), colour);
        }
    }
    paintCursor(painter);
}

QString CameraStrip::toolTipAt(const QPoint &pos) const
{
    const int camera = (pos.y() - 1) / RowHeight;
    if (camera < 0 || camera >= m_cameras || pos.x() < m_window.left || pos.x() > m_window.right)
        return QString();
    // The readout's second for the same spot.
    const HealthSample *s = m_ring.sampleFor(m_window.ms(pos.x()));
    if (!s || !hasTrackingData(*s) || camera >= s->rays.size() || s->rays[camera].seen < 0)
        return QString();
    return tr("c%1 at %2: %3 rays seen, %4 used")
        .arg(camera + 1, 2, 10, QLatin1Char('0'))
        .arg(QDateTime::fromMSecsSinceEpoch(s->msecsSinceEpoch).toString(QStringLiteral("hh:mm:ss")))
        .arg(s->rays[camera].seen)
        .arg(s->rays[camera].used);
}

} // namespace Health
