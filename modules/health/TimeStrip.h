#pragma once

#include "TimeWindow.h"

#include <QWidget>

namespace Health {

class HealthRing;

// A strip under the plots that draws from the ring along the shared time
// window, with a hover cursor. CameraStrip and EventStrip fill it in.
class TimeStrip : public QWidget
{
    Q_OBJECT

public:
    explicit TimeStrip(const HealthRing &ring, QWidget *parent = nullptr);

    void setWindow(const TimeWindow &window);
    const TimeWindow &window() const { return m_window; }
    void setCursorX(int x);   // negative: none
    // What hovering at pos shows; empty: nothing.
    virtual QString toolTipAt(const QPoint &pos) const;

signals:
    void hovered(qint64 ms);
    void left();

protected:
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    bool event(QEvent *event) override;
    void paintCursor(QPainter &painter) const;

    const HealthRing &m_ring;
    TimeWindow m_window;
    int m_cursorX = -1;
};

} // namespace Health
