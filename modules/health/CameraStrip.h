#pragma once

#include "TimeStrip.h"

namespace Health {

// One row per camera; each second coloured by the rays the camera used, from
// red (none) to green (as many as the busiest camera in view used). A camera
// that goes dim shows as a row turning red while the others stay green.
class CameraStrip : public TimeStrip
{
    Q_OBJECT

public:
    static constexpr int RowHeight = 11;

    explicit CameraStrip(const HealthRing &ring, QWidget *parent = nullptr);

    int cameraCount() const { return m_cameras; }
    // Recounts the cameras in the window; the strip grows with them.
    void refresh();
    QString toolTipAt(const QPoint &pos) const override;

    static QColor colourFor(int used, int most);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_cameras = 0;
    int m_mostUsed = 0;
};

} // namespace Health
