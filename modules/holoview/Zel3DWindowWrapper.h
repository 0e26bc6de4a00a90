#pragma once

#include "SceneWindow.h"

#include <QColor>
#include <QPointF>
#include <QVector3D>

#include <functional>
#include <vector>

class QMenu;
class QWidget;

namespace Configuration {
class CameraSettingsData;
class DisplaySettingsData;
} // namespace Configuration

namespace Qt3DCore {
class QEntity;
}

namespace GUI {

class ZELOrbitCameraController;

// The Qt3D window of the 3D monitor: dark grey background, renders only when
// something in the scene changed, an orbit camera whose view is kept in the
// display's camera settings, a context menu with the display toggles, the
// reset key R and the fit key F. The mouse handlers only track state; the camera controller
// gets the input on its own.
class Zel3DWindowWrapper : public SceneWindow
{
    Q_OBJECT

public:
    enum class CameraSetupMode { Initial, Reset, Update };

    enum MouseMode { MouseIdle = 0, MouseRight = 1, MouseLeft = 2, MouseLeftShift = 3 };

    static const QVector3D FloorCameraPosition;      // plane 0
    static const QVector3D WallCameraPosition;       // planes 1 and 2

    // The controller becomes a child of 'root'; 'camera' and 'display' stay
    // owned by the caller and must outlive the window.
    Zel3DWindowWrapper(Qt3DCore::QEntity *root, int plane, Configuration::CameraSettingsData *camera,
                       Configuration::DisplaySettingsData *display, QScreen *screen = nullptr);
    ~Zel3DWindowWrapper() override;

    // Axis of a plane: 0 → z, 1 → y, 2 → x, other → zero.
    static QVector3D axisOfPlane(int plane);

    void setupCamera(int plane, CameraSetupMode mode);

    // Gives the points that "fit view" frames.
    using PointsProvider = std::function<std::vector<QVector3D>()>;
    void setPointsProvider(PointsProvider provider) { m_pointsProvider = std::move(provider); }
    // Looks at the points from the current direction, as close as shows all
    // of them in this window's shape.
    void fitView(const std::vector<QVector3D> &points);

    int currentPlane() const { return m_currentPlane; }
    int mouseMode() const { return m_mouseMode; }
    QColor backgroundColor() const { return m_backgroundColor; }
    ZELOrbitCameraController *cameraController() const { return m_controller; }

    bool showMarker3D() const { return m_showMarker3D; }
    bool showStandardBodies() const { return m_showStandardBodies; }
    bool showGripwands() const { return m_showGripwands; }
    // Whether any of the stored id switches is on.
    bool showLabels() const;

    // The context menu as it would open now; the caller owns it.
    QMenu *buildContextMenu(QWidget *parent = nullptr);
    // Builds the menu and runs it modally at 'globalPos'.
    void showContextMenu(const QPoint &globalPos);

signals:
    void sig_doUpdateDisplay();
    // Emitted right before the context menu opens.
    void contextMenuAboutToOpen();

public slots:
    void doResetView();
    void toggleShow3DMarker();
    void toggleShowStandardBodies();
    void toggleShowGripwands();
    void toggleShowHands();
    void toggleShowInertialBodies();
    // One switch for all ids: on when any is on; turning it on shows them all.
    void toggleShowLabels();
    // Frames what the points provider gives; nothing without one.
    void doFitView();
    // The first view of a user with no stored view is the fitted one: done
    // once, when the scene's content is known.
    void fitIfNoStoredView();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void storeCamera();
    bool cameraIsWhereFitLeftIt();

    int m_mouseMode = MouseIdle;
    QPointF m_pressPosition;
    QColor m_backgroundColor;
    int m_currentPlane = 0;
    bool m_fitPending = false;
    Configuration::CameraSettingsData *m_cameraSettings;
    Configuration::DisplaySettingsData *m_displaySettings;
    ZELOrbitCameraController *m_controller = nullptr;
    bool m_showMarker3D = true;
    bool m_showStandardBodies = true;
    bool m_showGripwands = true;
    PointsProvider m_pointsProvider;
    // The view the last fit chose: while the user leaves it, a new window
    // shape (a dock opened beside it) fits again.
    QVector3D m_fittedPosition;
    QVector3D m_fittedCentre;
    bool m_fitted = false;
};

} // namespace GUI
