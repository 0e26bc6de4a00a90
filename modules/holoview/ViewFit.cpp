#include "ViewFit.h"

#include <QtMath>

#include <algorithm>
#include <cmath>

namespace {

// The camera's own axes: x to the screen's right, y up, z back to the eye.
struct Axes
{
    QVector3D x, y, z;
};

Axes axesOf(const QVector3D &towardsEye, const QVector3D &up)
{
    Axes a;
    a.z = towardsEye.normalized();
    a.x = QVector3D::crossProduct(up, a.z);
    if (a.x.lengthSquared() < 1e-8f)   // looking straight along 'up'
        a.x = QVector3D::crossProduct(QVector3D(0, 1, 0), a.z);
    if (a.x.lengthSquared() < 1e-8f)
        a.x = QVector3D::crossProduct(QVector3D(1, 0, 0), a.z);
    a.x.normalize();
    a.y = QVector3D::crossProduct(a.z, a.x);
    return a;
}

// The distance from 'centre' at which every point lies inside the view.
float distanceFor(const std::vector<QVector3D> &points, const QVector3D &centre, const Axes &a, float tanX, float tanY)
{
    float distance = 0.0f;
    for (const QVector3D &p : points) {
        const QVector3D q = p - centre;
        const float depthAhead = QVector3D::dotProduct(q, a.z);
        distance = std::max({distance, depthAhead + std::abs(QVector3D::dotProduct(q, a.x)) / tanX,
                             depthAhead + std::abs(QVector3D::dotProduct(q, a.y)) / tanY});
    }
    return distance;
}

} // namespace

ViewFit ViewFit::frame(const std::vector<QVector3D> &input, const QVector3D &towardsEye, const QVector3D &up,
                       float verticalFieldOfView, float aspect, float margin, float smallest)
{
    std::vector<QVector3D> points = input;
    QVector3D low, high;
    for (size_t i = 0; i < points.size(); ++i) {
        for (int k = 0; k < 3; ++k) {
            low[k] = i ? std::min(low[k], points[i][k]) : points[i][k];
            high[k] = i ? std::max(high[k], points[i][k]) : points[i][k];
        }
    }
    // Too small a scene grows to a cube around its middle.
    const QVector3D middle = (low + high) / 2.0f;
    if ((high - low).length() < smallest) {
        const float h = smallest / 2.0f;
        for (int i = 0; i < 8; ++i)
            points.push_back(middle + QVector3D(i & 1 ? h : -h, i & 2 ? h : -h, i & 4 ? h : -h));
    }

    const Axes a = axesOf(towardsEye, up);
    const float tanY = std::tan(qDegreesToRadians(verticalFieldOfView) / 2.0f) * (1.0f - margin);
    const float tanX = tanY * std::max(aspect, 0.01f);
    QVector3D centre = middle;
    float distance = distanceFor(points, centre, a, tanX, tanY);
    // Perspective makes the nearer side look bigger: shift the centre until
    // the picture's extremes lie evenly about the middle of the screen.
    for (int round = 0; round < 4; ++round) {
        float left = 0, right = 0, bottom = 0, top = 0;
        bool first = true;
        for (const QVector3D &p : points) {
            const QVector3D q = p - centre;
            const float depth = std::max(distance - QVector3D::dotProduct(q, a.z), 1.0f);
            const float sx = QVector3D::dotProduct(q, a.x) / depth;
            const float sy = QVector3D::dotProduct(q, a.y) / depth;
            left = first ? sx : std::min(left, sx);
            right = first ? sx : std::max(right, sx);
            bottom = first ? sy : std::min(bottom, sy);
            top = first ? sy : std::max(top, sy);
            first = false;
        }
        centre += a.x * ((left + right) / 2.0f * distance) + a.y * ((bottom + top) / 2.0f * distance);
        distance = distanceFor(points, centre, a, tanX, tanY);
    }
    return ViewFit{centre, centre + a.z * distance};
}
