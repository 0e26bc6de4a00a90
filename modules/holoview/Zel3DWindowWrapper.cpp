#include "Zel3DWindowWrapper.h"

#include "CameraSettingsData.h"
#include "DisplaySettingsData.h"
#include "ViewFit.h"
#include "ZELOrbitCameraController.h"

#include <Qt3DCore/QEntity>
#include <Qt3DExtras/QForwardRenderer>
#include <Qt3DRender/QCamera>
#include <Qt3DRender/QCameraLens>
#include <Qt3DRender/QRenderSettings>

#include <QAction>
#include <QCursor>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QWheelEvent>

#include <QtMath>

#include <algorithm>
#include <cmath>

namespace GUI {

const QVector3D Zel3DWindowWrapper::FloorCameraPosition(-3000.0f, -3000.0f, 2400.0f);
const QVector3D Zel3DWindowWrapper::WallCameraPosition(-3000.0f, 2400.0f, -3000.0f);

namespace {

QVector3D fromArray(const double (&v)[3])
{
    return QVector3D(float(v[0]), float(v[1]), float(v[2]));
}

void toArray(const QVector3D &v, double (&out)[3])
{
    out[0] = v.x();
    out[1] = v.y();
    out[2] = v.z();
}

} // namespace

Zel3DWindowWrapper::Zel3DWindowWrapper(Qt3DCore::QEntity *root, int plane,
                                       Configuration::CameraSettingsData *camera,
                                       Configuration::DisplaySettingsData *display, QScreen *screen)
    : SceneWindow(screen)
    , m_backgroundColor(QColor::fromRgbF(0.1, 0.1, 0.1, 1.0))
    , m_currentPlane(plane)
    , m_cameraSettings(camera)
    , m_displaySettings(display)
{
    defaultFrameGraph()->setClearColor(m_backgroundColor);
    // Clearing depth alone makes a software renderer keep the stencil bits of
    // every pixel, a read-modify-write per pixel and frame; clearing both is a
    // plain fill.
    defaultFrameGraph()->setBuffersToClear(Qt3DRender::QClearBuffers::ColorDepthStencilBuffer);
    // A still scene costs nothing: frames are drawn only when a node changed.
    renderSettings()->setRenderPolicy(Qt3DRender::QRenderSettings::OnDemand);

    m_controller = new ZELOrbitCameraController(root);
    m_controller->setCamera(this->camera());

    if (m_displaySettings) {
        m_showMarker3D = m_displaySettings->trackedMarker3DShowSphere;
        m_showStandardBodies = m_displaySettings->trackedBodyShowMarkers;
        m_showGripwands = m_displaySettings->trackedGripwandShowMarkers;
    }

    m_fitPending = !(m_cameraSettings && m_cameraSettings->valid);
    setupCamera(plane, CameraSetupMode::Initial);
    setRootEntity(root);
}

Zel3DWindowWrapper::~Zel3DWindowWrapper() = default;

QVector3D Zel3DWindowWrapper::axisOfPlane(int plane)
{
    switch (plane) {
    case 0: return QVector3D(0.0f, 0.0f, 1.0f);
    case 1: return QVector3D(0.0f, 1.0f, 0.0f);
    case 2: return QVector3D(1.0f, 0.0f, 0.0f);
    default: return QVector3D(0.0f, 0.0f, 0.0f);
    }
}

void Zel3DWindowWrapper::setupCamera(int plane, CameraSetupMode mode)
{
    if (mode == CameraSetupMode::Update && plane == m_currentPlane)
        return;

    Qt3DRender::QCamera *cam = camera();
    const float aspect = height() > 0 ? float(width()) / float(height()) : 1.0f;
    cam->lens()->setPerspectiveProjection(60.0f, aspect, 100.0f, 20000.0f);

    const bool valid = m_cameraSettings && m_cameraSettings->valid;
    if (mode == CameraSetupMode::Initial && plane == m_currentPlane && valid) {
        cam->setPosition(fromArray(m_cameraSettings->camPosition));
        cam->setUpVector(fromArray(m_cameraSettings->camUpVector));
        cam->setViewCenter(fromArray(m_cameraSettings->camViewCenter));
    } else if (!(valid && plane == m_currentPlane)) {
        m_currentPlane = plane;
        m_controller->setUpAxis(axisOfPlane(plane));
        if (plane >= 0 && plane <= 2) {
            cam->setPosition(plane == 0 ? FloorCameraPosition : WallCameraPosition);
            cam->setUpVector(QVector3D(1.0f, 1.0f, 1.0f));
        }
        cam->setViewCenter(QVector3D(0.0f, 0.0f, 0.0f));
    }

    m_controller->setUpAxis(axisOfPlane(m_currentPlane));
    if (m_cameraSettings) {
        storeCamera();
        m_cameraSettings->valid = true;
    }
}

void Zel3DWindowWrapper::storeCamera()
{
    if (!m_cameraSettings)
        return;
    Qt3DRender::QCamera *cam = camera();
    toArray(cam->position(), m_cameraSettings->camPosition);
    toArray(cam->upVector(), m_cameraSettings->camUpVector);
    toArray(cam->viewCenter(), m_cameraSettings->camViewCenter);
}

void Zel3DWindowWrapper::doResetView()
{
    m_fitPending = false;   // the user has chosen a view
    if (m_cameraSettings)
        m_cameraSettings->valid = false;
    setupCamera(m_currentPlane, CameraSetupMode::Reset);
}

void Zel3DWindowWrapper::fitIfNoStoredView()
{
    if (!m_fitPending || !m_pointsProvider)
        return;
    m_fitPending = false;
    doFitView();
}

void Zel3DWindowWrapper::doFitView()
{
    if (m_pointsProvider)
        fitView(m_pointsProvider());
}

void Zel3DWindowWrapper::fitView(const std::vector<QVector3D> &points)
{
    Qt3DRender::QCamera *cam = camera();
    QVector3D towardsEye = cam->position() - cam->viewCenter();
    if (towardsEye.lengthSquared() < 1.0f)
        towardsEye = (m_currentPlane == 0 ? FloorCameraPosition : WallCameraPosition);
    const float aspect = height() > 0 ? float(width()) / float(height()) : 1.0f;
    cam->setAspectRatio(aspect);
    const ViewFit fit = ViewFit::frame(points, towardsEye, cam->upVector(), cam->fieldOfView(), aspect);
    cam->setViewCenter(fit.viewCentre);
    cam->setPosition(fit.position);
    // A large hall seen whole must not end at the far plane.
    cam->setFarPlane(std::max(cam->farPlane(), 3.0f * (fit.position - fit.viewCentre).length()));
    m_fittedPosition = cam->position();
    m_fittedCentre = cam->viewCenter();
    m_fitted = true;
    if (m_cameraSettings) {
        storeCamera();
        m_cameraSettings->valid = true;
    }
}

bool Zel3DWindowWrapper::cameraIsWhereFitLeftIt()
{
    const Qt3DRender::QCamera *cam = camera();
    return m_fitted && qFuzzyCompare(cam->position(), m_fittedPosition) && qFuzzyCompare(cam->viewCenter(), m_fittedCentre);
}

void Zel3DWindowWrapper::resizeEvent(QResizeEvent *event)
{
    SceneWindow::resizeEvent(event);
    if (cameraIsWhereFitLeftIt())
        doFitView();
}

bool Zel3DWindowWrapper::showLabels() const
{
    return m_displaySettings
        && (m_displaySettings->trackedBodyShowIDs || m_displaySettings->trackedGripwandShowIDs
            || m_displaySettings->trackedMarker3DShowIDs || m_displaySettings->cameraShowIDs);
}

void Zel3DWindowWrapper::toggleShowLabels()
{
    if (!m_displaySettings)
        return;
    const bool on = !showLabels();
    m_displaySettings->trackedBodyShowIDs = on;
    m_displaySettings->trackedGripwandShowIDs = on;
    m_displaySettings->trackedMarker3DShowIDs = on;
    m_displaySettings->cameraShowIDs = on;
    emit sig_doUpdateDisplay();
}

void Zel3DWindowWrapper::toggleShowHands()
{
    if (!m_displaySettings)
        return;
    m_displaySettings->trackedHandShow = !m_displaySettings->trackedHandShow;
    emit sig_doUpdateDisplay();
}

void Zel3DWindowWrapper::toggleShowInertialBodies()
{
    if (!m_displaySettings)
        return;
    m_displaySettings->trackedInertialShow = !m_displaySettings->trackedInertialShow;
    emit sig_doUpdateDisplay();
}

void Zel3DWindowWrapper::toggleShow3DMarker()
{
    m_showMarker3D = !m_showMarker3D;
    if (m_displaySettings)
        m_displaySettings->trackedMarker3DShowSphere = m_showMarker3D;
    emit sig_doUpdateDisplay();
}

void Zel3DWindowWrapper::toggleShowStandardBodies()
{
    m_showStandardBodies = !m_showStandardBodies;
    if (m_displaySettings) {
        m_displaySettings->trackedBodyShowMarkers = m_showStandardBodies;
        m_displaySettings->trackedBodyShowCOS = m_showStandardBodies;
    }
    emit sig_doUpdateDisplay();
}

void Zel3DWindowWrapper::toggleShowGripwands()
{
    m_showGripwands = !m_showGripwands;
    if (m_displaySettings) {
        m_displaySettings->trackedGripwandShowMarkers = m_showGripwands;
        m_displaySettings->trackedGripwandShowCOS = m_showGripwands;
    }
    emit sig_doUpdateDisplay();
}

QMenu *Zel3DWindowWrapper::buildContextMenu(QWidget *parent)
{
    auto *menu = new QMenu(parent);

    QAction *marker = menu->addAction(tr("Show &3D marker"));
    marker->setCheckable(true);
    if (m_displaySettings && m_displaySettings->calculateMarkers) {
        marker->setChecked(m_showMarker3D);
        marker->setEnabled(true);
        connect(marker, &QAction::triggered, this, &Zel3DWindowWrapper::toggleShow3DMarker);
    } else {
        marker->setChecked(false);
        marker->setEnabled(false);
    }

    QAction *bodies = menu->addAction(tr("Show &standard bodies"));
    bodies->setCheckable(true);
    bodies->setChecked(m_showStandardBodies);
    connect(bodies, &QAction::triggered, this, &Zel3DWindowWrapper::toggleShowStandardBodies);

    QAction *gripwands = menu->addAction(tr("Show &gripwands"));
    gripwands->setCheckable(true);
    gripwands->setChecked(m_showGripwands);
    connect(gripwands, &QAction::triggered, this, &Zel3DWindowWrapper::toggleShowGripwands);

    menu->addSeparator();

    QAction *reset = menu->addAction(tr("&Reset view"));
    connect(reset, &QAction::triggered, this, &Zel3DWindowWrapper::doResetView);

    QAction *fit = menu->addAction(tr("&Fit view to room"));
    fit->setShortcut(QKeySequence(Qt::Key_F));
    fit->setEnabled(bool(m_pointsProvider));
    connect(fit, &QAction::triggered, this, &Zel3DWindowWrapper::doFitView);

    menu->addSeparator();

    QAction *hands = menu->addAction(tr("Show &hands"));
    hands->setCheckable(true);
    hands->setChecked(m_displaySettings && m_displaySettings->trackedHandShow);
    hands->setEnabled(m_displaySettings != nullptr);
    connect(hands, &QAction::triggered, this, &Zel3DWindowWrapper::toggleShowHands);

    QAction *inertial = menu->addAction(tr("Show &inertial bodies"));
    inertial->setCheckable(true);
    inertial->setChecked(m_displaySettings && m_displaySettings->trackedInertialShow);
    inertial->setEnabled(m_displaySettings != nullptr);
    connect(inertial, &QAction::triggered, this, &Zel3DWindowWrapper::toggleShowInertialBodies);

    QAction *labels = menu->addAction(tr("Show &labels"));
    labels->setCheckable(true);
    labels->setChecked(showLabels());
    labels->setEnabled(m_displaySettings != nullptr);
    connect(labels, &QAction::triggered, this, &Zel3DWindowWrapper::toggleShowLabels);
    return menu;
}

void Zel3DWindowWrapper::showContextMenu(const QPoint &globalPos)
{
    QMenu *menu = buildContextMenu();
    emit contextMenuAboutToOpen();
    menu->exec(globalPos);
    delete menu;
}

void Zel3DWindowWrapper::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton)
        m_mouseMode = MouseRight;
    else if (event->button() == Qt::LeftButton)
        m_mouseMode = (event->modifiers() & Qt::ShiftModifier) ? MouseLeftShift : MouseLeft;
    m_pressPosition = event->localPos();
    SceneWindow::mousePressEvent(event);
}

void Zel3DWindowWrapper::mouseMoveEvent(QMouseEvent *event)
{
    if (m_mouseMode != MouseIdle)
        storeCamera();
    SceneWindow::mouseMoveEvent(event);
}

void Zel3DWindowWrapper::wheelEvent(QWheelEvent *event)
{
    storeCamera();
    SceneWindow::wheelEvent(event);
}

void Zel3DWindowWrapper::mouseReleaseEvent(QMouseEvent *event)
{
    SceneWindow::mouseReleaseEvent(event);
    if (event->button() != Qt::RightButton)
        return;
    const QPointF d = event->localPos() - m_pressPosition;
    if (std::abs(d.x()) + std::abs(d.y()) < 1.0) {
        m_mouseMode = MouseIdle;
        showContextMenu(QCursor::pos());
    }
}

void Zel3DWindowWrapper::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_R)
        doResetView();
    else if (event->key() == Qt::Key_F)
        doFitView();
    SceneWindow::keyPressEvent(event);
}

} // namespace GUI
