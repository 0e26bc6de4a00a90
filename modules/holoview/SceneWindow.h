#pragma once

#include <Qt3DCore/QEntity>
#include <Qt3DRender/QRenderSettings>

#include <QElapsedTimer>
#include <QPointer>
#include <QWindow>

#include <memory>

namespace Qt3DCore {
class QAspectEngine;
}

namespace Qt3DRender {
class QCamera;
class QRenderSettings;
} // namespace Qt3DRender

class QTimer;

namespace Qt3DExtras {
class QForwardRenderer;
}

namespace Qt3DInput {
class QInputSettings;
}

namespace GUI {

// A window that shows a Qt3D scene: the aspects, a forward-rendering frame
// graph with one camera, and the window's input as the scene's event source,
// as Qt3DExtras::Qt3DWindow sets them up. Unlike that class it leaves
// multisampling off: Qt3DWindow forces four samples into the renderer's
// context while it constructs, and with a software renderer that made every
// frame cost about five times as much.
class SceneWindow : public QWindow
{
    Q_OBJECT

public:
    explicit SceneWindow(QScreen *screen = nullptr);
    ~SceneWindow() override;

    // Ends the renderer and deletes the scene while the window's surface
    // still exists (a window container destroys the surface before the
    // window). The window shows nothing afterwards; camera() and the other
    // parts of the scene are null. Called by the destructor if not before.
    void releaseScene();

    // The surface format the renderer's context is made with.
    static QSurfaceFormat sceneFormat();

    // 'root' becomes part of the window's scene and is deleted with it,
    // unless it is deleted or replaced first.
    void setRootEntity(Qt3DCore::QEntity *root);

    Qt3DRender::QCamera *camera() const { return m_camera; }
    Qt3DExtras::QForwardRenderer *defaultFrameGraph() const { return m_frameGraph; }
    Qt3DRender::QRenderSettings *renderSettings() const { return m_renderSettings; }

    // Qt3D works through a frame, its input, animation and scene changes, at
    // the display's rate only for a while after input or a call of
    // requestFrames(); in between it does so as a slow heartbeat, so that an
    // idle view costs next to nothing and no change stays unseen for long.
    // Measured data asks with requestDataFrames() for a steady 30 frames a
    // second: smooth to the eye, and a software renderer keeps it without
    // taking most of a core. Input meanwhile still gets the display's rate.
    static constexpr int ActiveFrameMs = 16;
    static constexpr int DataFrameMs = 33;
    static constexpr int IdleFrameMs = 250;
    static constexpr int ActivePeriodMs = 1000;
    int frameInterval() const;

public slots:
    // Something in the scene changes now or keeps changing.
    void requestFrames();
    // Measured data changed the scene.
    void requestDataFrames();

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    std::unique_ptr<Qt3DCore::QAspectEngine> m_engine;
    Qt3DCore::QEntity *m_root;
    QPointer<Qt3DCore::QEntity> m_userRoot;
    Qt3DRender::QRenderSettings *m_renderSettings;
    Qt3DExtras::QForwardRenderer *m_frameGraph;
    Qt3DRender::QCamera *m_camera;
    Qt3DInput::QInputSettings *m_inputSettings;
    QTimer *m_frameTimer;
    QElapsedTimer m_sinceRequest;
    QElapsedTimer m_sinceDataRequest;
    bool m_initialized = false;
    int m_redrawFrames = 0;
    Qt3DRender::QRenderSettings::RenderPolicy m_policyBeforeRedraw = Qt3DRender::QRenderSettings::Always;

    void processFrame();
    void setFrameInterval(int ms);
    void redrawUnchangedScene();
};

} // namespace GUI
