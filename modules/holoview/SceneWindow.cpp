#include "SceneWindow.h"

#include <Qt3DCore/QAspectEngine>
#include <Qt3DCore/QEntity>
#include <Qt3DExtras/QForwardRenderer>
#include <Qt3DInput/QInputAspect>
#include <Qt3DInput/QInputSettings>
#include <Qt3DLogic/QLogicAspect>
#include <Qt3DRender/QCamera>
#include <Qt3DRender/QRenderAspect>
#include <Qt3DRender/QRenderSettings>

#include <QOpenGLContext>
#include <QSurfaceFormat>
#include <QTimer>

#include <algorithm>

namespace GUI {

QSurfaceFormat SceneWindow::sceneFormat()
{
    QSurfaceFormat format = QSurfaceFormat::defaultFormat();
    if (QOpenGLContext::openGLModuleType() == QOpenGLContext::LibGL) {
        format.setVersion(4, 3);
        format.setProfile(QSurfaceFormat::CoreProfile);
    }
    format.setDepthBufferSize(24);
    format.setStencilBufferSize(8);
    format.setSamples(0);
    return format;
}

SceneWindow::SceneWindow(QScreen *screen)
    : QWindow(screen)
    , m_engine(std::make_unique<Qt3DCore::QAspectEngine>())
    , m_root(new Qt3DCore::QEntity)
    , m_renderSettings(new Qt3DRender::QRenderSettings(m_root))
    , m_frameGraph(new Qt3DExtras::QForwardRenderer)
    , m_camera(new Qt3DRender::QCamera(m_root))
    , m_inputSettings(new Qt3DInput::QInputSettings(m_root))
    , m_frameTimer(new QTimer(this))
{
    setSurfaceType(QSurface::OpenGLSurface);
    setFormat(sceneFormat());
    resize(1024, 768);

    m_frameGraph->setCamera(m_camera);
    m_frameGraph->setSurface(this);
    m_renderSettings->setActiveFrameGraph(m_frameGraph);
    m_inputSettings->setEventSource(this);

    m_frameTimer->setInterval(IdleFrameMs);
    connect(m_frameTimer, &QTimer::timeout, this, &SceneWindow::processFrame);
}

SceneWindow::~SceneWindow()
{
    releaseScene();
}

void SceneWindow::releaseScene()
{
    if (!m_engine)
        return;
    m_frameTimer->stop();
    // Should the renderer fail to release (Qt3D's offscreen surface is made
    // by this thread's event loop, which may not have run since it was
    // asked), its buffers are freed here later. With a context current on
    // this thread, Qt would then switch to the render thread's context from
    // here, which is fatal; with none, they are only left to the driver.
    if (QOpenGLContext *current = QOpenGLContext::currentContext())
        current->doneCurrent();
    // Once shown, the engine holds the scene and deletes it when it lets go.
    if (m_initialized)
        m_engine->setRootEntity(Qt3DCore::QEntityPtr());
    else
        delete m_root;
    m_root = nullptr;
    m_renderSettings = nullptr;
    m_frameGraph = nullptr;
    m_camera = nullptr;
    m_inputSettings = nullptr;
    // The render thread ends here, after it released its GL resources in
    // its own context, on this window's surface or its offscreen one.
    m_engine.reset();
}

void SceneWindow::setRootEntity(Qt3DCore::QEntity *root)
{
    if (m_userRoot == root)
        return;
    if (m_userRoot)
        m_userRoot->setParent(static_cast<Qt3DCore::QNode *>(nullptr));
    if (root)
        root->setParent(m_root);
    m_userRoot = root;
}

void SceneWindow::showEvent(QShowEvent *event)
{
    if (!m_engine) {
        QWindow::showEvent(event);
        return;
    }
    if (!m_initialized) {
        // The render aspect starts its thread when it registers, and the
        // engine waits for that thread to be ready when it gets the scene.
        // Doing both here keeps a window that is never shown free of a render
        // thread, which Qt3D cannot always stop right after it started.
        // The renderer makes its context from the default format.
        QSurfaceFormat::setDefaultFormat(format());
        m_engine->registerAspect(new Qt3DRender::QRenderAspect);
        m_engine->registerAspect(new Qt3DInput::QInputAspect);
        m_engine->registerAspect(new Qt3DLogic::QLogicAspect);
        m_engine->setRunMode(Qt3DCore::QAspectEngine::Manual);

        m_root->addComponent(m_renderSettings);
        m_root->addComponent(m_inputSettings);
        m_engine->setRootEntity(Qt3DCore::QEntityPtr(m_root));
        m_initialized = true;
        m_frameTimer->start();
    }
    requestFrames();
    QWindow::showEvent(event);
}

int SceneWindow::frameInterval() const
{
    return m_frameTimer->interval();
}

void SceneWindow::requestFrames()
{
    m_sinceRequest.start();
    setFrameInterval(ActiveFrameMs);
}

void SceneWindow::requestDataFrames()
{
    m_sinceDataRequest.start();
    if (m_sinceRequest.isValid() && !m_sinceRequest.hasExpired(ActivePeriodMs))
        return; // input is being followed at the faster rate
    setFrameInterval(DataFrameMs);
}

void SceneWindow::redrawUnchangedScene()
{
    if (!m_renderSettings)
        return;
    // A renderer that draws on demand only draws after a change in the scene;
    // when the window is uncovered nothing changed, and what covered it would
    // stay on screen. Drawing always for the next two frames repaints it.
    if (m_redrawFrames == 0) {
        m_policyBeforeRedraw = m_renderSettings->renderPolicy();
        m_renderSettings->setRenderPolicy(Qt3DRender::QRenderSettings::Always);
    }
    m_redrawFrames = 2;
}

void SceneWindow::processFrame()
{
    m_engine->processFrame();
    if (m_redrawFrames > 0 && --m_redrawFrames == 0)
        m_renderSettings->setRenderPolicy(m_policyBeforeRedraw);
    if (m_frameTimer->interval() == IdleFrameMs)
        return;
    if (m_sinceRequest.isValid() && !m_sinceRequest.hasExpired(ActivePeriodMs))
        return;
    const bool data = m_sinceDataRequest.isValid() && !m_sinceDataRequest.hasExpired(ActivePeriodMs);
    setFrameInterval(data ? DataFrameMs : IdleFrameMs);
}

void SceneWindow::setFrameInterval(int ms)
{
    if (m_frameTimer->interval() != ms)
        m_frameTimer->setInterval(ms);
}

bool SceneWindow::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
        // Released: input has no camera to move any more.
        if (!m_engine)
            return true;
        requestFrames();
        break;
    case QEvent::Expose:
        redrawUnchangedScene();
        requestFrames();
        break;
    default:
        break;
    }
    return QWindow::event(event);
}

void SceneWindow::resizeEvent(QResizeEvent *event)
{
    if (m_camera)
        m_camera->setAspectRatio(float(width()) / std::max(1.0f, float(height())));
    requestFrames();
    QWindow::resizeEvent(event);
}

} // namespace GUI
