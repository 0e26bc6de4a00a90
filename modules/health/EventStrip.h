#pragma once

#include "TimeStrip.h"

namespace Health {

// The event messages as marks along the time axis; hovering a mark shows its
// texts.
class EventStrip : public TimeStrip
{
    Q_OBJECT

public:
    explicit EventStrip(const HealthRing &ring, QWidget *parent = nullptr);

    // The texts of the events within a few pixels of x, newest last.
    QString toolTipAt(const QPoint &pos) const override;

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace Health
