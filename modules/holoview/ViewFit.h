#pragma once

#include <QVector3D>

#include <vector>

// Where the camera stands so that a set of points fills the view: looking
// along its present direction, with the lens' vertical field of view and the
// viewport's own aspect ratio, the outermost points just inside a small
// margin on the narrower side, the points centred on the screen.
struct ViewFit
{
    QVector3D viewCentre;
    QVector3D position;

    // 'towardsEye' points from what is looked at to the camera; 'up' is the
    // screen's up. Fewer than two distinct points are framed as a cube of
    // 'smallest' millimetres, so that one target does not fill the window.
    static ViewFit frame(const std::vector<QVector3D> &points, const QVector3D &towardsEye, const QVector3D &up,
                         float verticalFieldOfView, float aspect, float margin = 0.06f, float smallest = 1000.0f);
};
