#pragma once

#include "HoloviewConfigData.h"
#include "QuorixParser.h"
#include "Requester.h"
#include "StaticData.h"
#include "TrackedFrame.h"
#include "Zel3DWindowWrapper.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <array>
#include <atomic>
#include <memory>
#include <mutex>

class BackendVersions;
class IOManager;
class QFrame;
class QGridLayout;
class QLabel;
class QSplitter;
class QTimer;
class QVBoxLayout;

namespace Scenegraph {
class CameraBuilder;
class SceneGraph;
class TrackedTargetBuilder;
class WorldBuilder;
} // namespace Scenegraph

Q_DECLARE_INTERFACE(Requester, "Requester")

namespace GUI {

class HoloviewMessageReceiver;

// The widget inside the Holoview dock: the 3D monitor. Owns the parser, the
// static data, the scene graph with its three builders, the settings record
// and the Qt3D window. Subscribes to the measurement data lines while it is
// visible, parses them in the channel's data thread into one shared frame
// and moves the scene nodes from a 20 ms timer in the GUI thread.
class HoloviewDataDisplay : public QWidget, public Requester
{
    Q_OBJECT
    Q_INTERFACES(Requester)

public:
    static constexpr int LineBufferSize = QuorixParser::LineBufferSize;
    static constexpr int UpdateIntervalMs = 20;
    // A family without a line for this long is drawn as not tracked: about
    // fifteen frames at the usual rates, yet quick enough for the eye.
    static constexpr int StaleAfterMs = 250;
    // ... or this many frame periods of the Controller's output frequency.
    static constexpr int StaleFramePeriods = 4;
    static const char *const MessageChannel;   // "HoloviewModule"

    // Neither the channel nor the versions are owned; both may be null.
    HoloviewDataDisplay(QWidget *parent, IOManager *channel, BackendVersions *versions);
    ~HoloviewDataDisplay() override;

    // Requester, slot 0, data thread: 0 accepted, -1 no parser, -2 line
    // rejected (also when it does not fit the line buffer), -3 frame lock busy.
    int onData(const char *key, const char *line) override;
    // Requester, slots 1 and 2, GUI thread.
    void onMeasurementStarted() override;
    void onMeasurementStopped() override;

    // Read-only views for the module and for tests.
    IOManager *channel() const { return m_channel; }
    HoloviewMessageReceiver *messageReceiver() const { return m_receiver; }
    Zel3DWindowWrapper *window3D() const { return m_window; }
    QWidget *windowContainer() const { return m_container; }
    Scenegraph::SceneGraph *sceneGraph() const { return m_sceneGraph.get(); }
    Scenegraph::CameraBuilder *cameraBuilder() const { return m_cameraBuilder.get(); }
    Scenegraph::TrackedTargetBuilder *trackedTargetBuilder() const { return m_trackedBuilder.get(); }
    const Configuration::HoloviewConfigData &settings() const { return m_config; }
    const Logic::StaticData &staticData() const { return *m_staticData; }
    const QString &settingsDirectory() const { return m_settingsDirectory; }
    QTimer *updateTimer() const { return m_timer; }
    qint64 staleAfterMs() const { return m_staleAfterMs; }
    // Which measurement tool key the last show subscribed: "6dmt" or "6dmt2".
    bool uses6dmt() const { return m_use6dmt; }
    bool isSubscribed() const { return m_subscribed; }
    // A copy of the shared frame and its consumed flag, taken under the lock.
    Logic::TrackedFrame sharedFrame(bool *consumed = nullptr) const;
    // The lock of the shared frame, for tests that need it busy.
    std::mutex *frameMutex() const { return m_frameMutex.get(); }
    // The line above the 3D view naming cameras without a room calibration.
    QLabel *calibrationWarning() const { return m_calibrationWarning; }
    // What "fit view" frames: cameras and tracked targets, else the grid.
    std::vector<QVector3D> viewPoints() const;
    // Bodies' axes and markers as large as the present view needs.
    void fitSizesToView();

public slots:
    void updateDisplay();
    void updateTrackedOnTimer();
    void onRoomcalOpened(bool open);
    void onRoomadjustmentChanged(bool changed);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void readCoordinateType();
    void updateCalibrationWarning();
    void reportRecordsLeftOut();
    void readOutputFrequency();
    void reloadScene();
    void buildForm();
    void subscribe();
    void unsubscribe();
    const char *toolKey() const { return m_use6dmt ? "6dmt" : "6dmt2"; }

    // Form parts.
    QGridLayout *m_gridLayout = nullptr;
    QSplitter *m_splitter = nullptr;
    QFrame *m_frame3d = nullptr;
    QVBoxLayout *m_verticalLayout = nullptr;
    QWidget *m_container = nullptr;
    QLabel *m_calibrationWarning = nullptr;

    QPointer<Zel3DWindowWrapper> m_window;
    QString m_settingsDirectory;
    BackendVersions *m_versions;
    IOManager *m_channel;

    // Data thread only.
    QuorixParser *m_parser = nullptr;
    char *m_lineBuffer = nullptr;

    bool m_use6dmt = false;
    bool m_subscribed = false;

    std::unique_ptr<Scenegraph::SceneGraph> m_sceneGraph;
    Configuration::HoloviewConfigData m_config;
    std::unique_ptr<Scenegraph::WorldBuilder> m_worldBuilder;
    std::unique_ptr<Scenegraph::CameraBuilder> m_cameraBuilder;
    std::unique_ptr<Scenegraph::TrackedTargetBuilder> m_trackedBuilder;
    QTimer *m_timer = nullptr;

    // Shared between the data thread and the GUI thread, under m_frameMutex.
    std::unique_ptr<Logic::TrackedFrame> m_frame;
    bool m_frameConsumed = true;
    // When each family's last good line came, on m_clock; -1 never.
    std::array<qint64, Logic::TrackedFrame::FamilyCount> m_lastLineMs;
    std::unique_ptr<std::mutex> m_frameMutex;
    QElapsedTimer m_clock;
    // GUI thread: the families the last drawn frame showed as stale.
    unsigned m_staleShown = 0;
    qint64 m_staleAfterMs = StaleAfterMs;
    int m_recordsLeftOut = 0;       // under the frame lock: the data thread writes it
    bool m_leftOutReported = false;
    // Read by the data thread's digest.
    std::atomic<bool> m_withInertial{true};

    std::unique_ptr<Logic::StaticData> m_staticData;
    HoloviewMessageReceiver *m_receiver = nullptr;
};

} // namespace GUI
