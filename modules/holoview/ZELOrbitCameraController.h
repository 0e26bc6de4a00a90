#pragma once

#include <Qt3DExtras/QOrbitCameraController>

#include <QVector3D>

namespace GUI {

// The 3D monitor's camera controller: Qt's orbit controller with a settable
// up axis for panning (the floor's z axis, or y for a "powerwall" room) and
// the monitor's own mapping of mouse and keys to camera moves.
class ZELOrbitCameraController : public Qt3DExtras::QOrbitCameraController
{
    Q_OBJECT

public:
    static constexpr float DefaultLinearSpeed = 5000.0f;
    static constexpr float DefaultLookSpeed = 360.0f;

    explicit ZELOrbitCameraController(Qt3DCore::QNode *parent = nullptr);

    QVector3D upAxis() const { return m_upAxis; }
    void setUpAxis(const QVector3D &axis) { m_upAxis = axis; }

    // In order of precedence: no camera, left button (translate in the
    // camera's frame), right button (pan about the up axis and tilt), Alt
    // (pan and tilt by keys), otherwise translate by keys and wheel. Public
    // so that the mapping can be checked without an input device.
    void moveCamera(const Qt3DExtras::QAbstractCameraController::InputState &state, float dt) override;

private:
    QVector3D m_upAxis{0.0f, 0.0f, 1.0f};
};

} // namespace GUI
