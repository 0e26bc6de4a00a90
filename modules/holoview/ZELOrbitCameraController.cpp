#include "ZELOrbitCameraController.h"

#include <Qt3DRender/QCamera>

#include <QtGlobal>

namespace GUI {

namespace {

float clampUnit(float value)
{
    return qBound(-1.0f, value, 1.0f);
}

} // namespace

ZELOrbitCameraController::ZELOrbitCameraController(Qt3DCore::QNode *parent)
    : Qt3DExtras::QOrbitCameraController(parent)
{
    setLinearSpeed(DefaultLinearSpeed);
    setLookSpeed(DefaultLookSpeed);
}

void ZELOrbitCameraController::moveCamera(const Qt3DExtras::QAbstractCameraController::InputState &state,
                                          float dt)
{
    Qt3DRender::QCamera *cam = camera();
    if (!cam)
        return;

    if (state.leftMouseButtonActive) {
        const float s = linearSpeed() * -dt;
        cam->translate(QVector3D(s * clampUnit(state.txAxisValue + state.rxAxisValue),
                                 s * clampUnit(state.tyAxisValue + state.ryAxisValue), 0.0f),
                       Qt3DRender::QCamera::TranslateViewCenter);
    } else if (state.rightMouseButtonActive) {
        cam->panAboutViewCenter(lookSpeed() * -dt * state.rxAxisValue, m_upAxis);
        cam->tiltAboutViewCenter(lookSpeed() * -dt * state.ryAxisValue);
    } else if (state.altKeyActive) {
        cam->panAboutViewCenter(lookSpeed() * dt * state.txAxisValue, m_upAxis);
        cam->tiltAboutViewCenter(lookSpeed() * dt * state.tyAxisValue);
    } else {
        cam->translate(linearSpeed() * -dt
                           * QVector3D(state.txAxisValue, state.tyAxisValue, state.tzAxisValue),
                       Qt3DRender::QCamera::TranslateViewCenter);
    }
}

} // namespace GUI
