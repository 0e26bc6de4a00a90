#include "HoloviewDataDisplay.h"

#include "CameraBuilder.h"
#include "HoloviewMessageReceiver.h"
#include "IOManager.h"
#include "QuorixParser.h"
#include "SettingsMigration.h"
#include "SceneGraph.h"
#include "TrackedTargetBuilder.h"
#include "WorldBuilder.h"
#include "Zel3DWindowWrapper.h"

#include <Qt3DRender/QCamera>

#include <QCoreApplication>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QScreen>
#include <QtMath>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace GUI {

const char *const HoloviewDataDisplay::MessageChannel = "HoloviewModule";

namespace {

// The data keys a visible monitor subscribes, in this order; the measurement
// tool key ("6dmt" or "6dmt2") goes in place of the null entry.
const char *const kDataKeys[] = {"3d", "6d", "6df2", nullptr, "6dmtr", "6di", "gl"};

} // namespace

HoloviewDataDisplay::HoloviewDataDisplay(QWidget *parent, IOManager *channel, BackendVersions *versions)
    : QWidget(parent)
    , m_settingsDirectory(Configuration::HoloviewConfigData::settingsDirectory())
    , m_versions(versions)
    , m_channel(channel)
{
    // 2. Scene graph container; the settings record starts at its defaults.
    m_sceneGraph = std::make_unique<Scenegraph::SceneGraph>();

    // 3. World part, shared frame and its lock, static data.
    m_worldBuilder = std::make_unique<Scenegraph::WorldBuilder>(m_sceneGraph.get());
    m_frame = std::make_unique<Logic::TrackedFrame>();
    m_lastLineMs.fill(-1);
    m_frameMutex = std::make_unique<std::mutex>();
    m_clock.start();
    m_staticData = std::make_unique<Logic::StaticData>(m_channel, m_versions);

    // 4. Measurement notices and inter-module messages.
    m_receiver = new HoloviewMessageReceiver(this);
    if (m_channel) {
        m_channel->addRequester(this);
        m_channel->addMessageReceiver(MessageChannel, m_receiver);
    }
    connect(m_receiver, &HoloviewMessageReceiver::sendRoomcalIsOpen, this, &HoloviewDataDisplay::onRoomcalOpened);
    connect(m_receiver, &HoloviewMessageReceiver::sendRoomadjustmentChanged, this,
            &HoloviewDataDisplay::onRoomadjustmentChanged);

    // 5. Settings file (a first start of this version takes over those of the
    // one before), then the Controller's coordinate type.
    if (m_settingsDirectory == Configuration::HoloviewConfigData::settingsDirectory())
        SettingsMigration::adoptOlder(Configuration::HoloviewConfigData::settingsRoot(),
                                      Configuration::HoloviewConfigData::versionFolder());
    m_config.load(m_settingsDirectory, m_channel);
    readCoordinateType();

    // 6. The 3D window; it copies its menu flags from the display settings.
    m_window = new Zel3DWindowWrapper(m_sceneGraph->root()->entity(), m_config.input.plane, &m_config.camera,
                                      &m_config.display);
    connect(m_window.data(), &Zel3DWindowWrapper::sig_doUpdateDisplay, this, &HoloviewDataDisplay::updateDisplay);
    m_window->setPointsProvider([this] { return viewPoints(); });
    m_sceneGraph->setPixelRatio(m_window->devicePixelRatio());
    Qt3DRender::QCamera *camera = m_window->camera();
    connect(camera, &Qt3DRender::QCamera::positionChanged, this, &HoloviewDataDisplay::fitSizesToView);
    connect(camera, &Qt3DRender::QCamera::viewCenterChanged, this, &HoloviewDataDisplay::fitSizesToView);
    connect(m_window.data(), &QWindow::heightChanged, this, &HoloviewDataDisplay::fitSizesToView);
    connect(m_window.data(), &QWindow::screenChanged, this,
            [this] { m_sceneGraph->setPixelRatio(m_window->devicePixelRatio()); });

    // 7.
    updateDisplay();

    // 8.
    buildForm();

    // 9.
    m_timer = new QTimer(this);
    m_timer->setInterval(UpdateIntervalMs);
    m_timer->setSingleShot(false);
    connect(m_timer, &QTimer::timeout, this, &HoloviewDataDisplay::updateTrackedOnTimer);

    // 10.
    m_parser = new QuorixParser();
    m_lineBuffer = new char[LineBufferSize];
    m_lineBuffer[0] = '\0';
    m_use6dmt = false;

    // 11.
    m_staticData->update();
    m_cameraBuilder = std::make_unique<Scenegraph::CameraBuilder>(m_sceneGraph.get(), m_config.display);
    m_cameraBuilder->setStaticData(m_staticData.get());
    updateDisplay();
    // Without a stored view the user sees the cameras at once, not only after F.
    m_window->fitIfNoStoredView();
}

HoloviewDataDisplay::~HoloviewDataDisplay()
{
    // The channel must not call into a destroyed object. The host normally
    // hides the monitor and detaches the module first; this covers the rest.
    if (m_channel) {
        unsubscribe();
        m_channel->removeRequester(this);
        m_channel->removeMessageReceiver(MessageChannel, m_receiver);
    }

    // The window container normally owns the window and deletes it with the form.
    if (m_window && !m_window->parent())
        m_window->deleteLater();

    m_config.save(m_settingsDirectory, m_channel);

    delete m_parser;
    m_parser = nullptr;
    delete[] m_lineBuffer;
    m_lineBuffer = nullptr;

    m_staticData.reset();
    m_frameMutex.reset();
    m_frame.reset();
    delete m_timer;
    m_timer = nullptr;
    m_trackedBuilder.reset();
    m_cameraBuilder.reset();
    m_worldBuilder.reset();
    m_sceneGraph.reset();
    // Now, while the window container and with it the window's surface still
    // exist: the container destroys the surface before it deletes the window,
    // and a renderer that ends after that cannot always release what it
    // holds on its own thread.
    if (m_window)
        m_window->releaseScene();
}

void HoloviewDataDisplay::buildForm()
{
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("HoloviewDataDisplayClass"));
    resize(609, 357);
    setMinimumSize(QSize(0, 150));
    setStyleSheet(QString());

    m_gridLayout = new QGridLayout(this);
    m_gridLayout->setSpacing(6);
    m_gridLayout->setContentsMargins(11, 11, 11, 11);
    m_gridLayout->setObjectName(QStringLiteral("gridLayout"));

    m_splitter = new QSplitter(this);
    m_splitter->setObjectName(QStringLiteral("splitter"));
    m_splitter->setOrientation(Qt::Horizontal);

    m_frame3d = new QFrame(m_splitter);
    m_frame3d->setObjectName(QStringLiteral("frame_3d"));
    m_frame3d->setMinimumSize(QSize(0, 0));
    m_frame3d->setFrameShape(QFrame::NoFrame);
    m_frame3d->setFrameShadow(QFrame::Raised);
    m_splitter->addWidget(m_frame3d);
    m_gridLayout->addWidget(m_splitter, 0, 0, 1, 1);

    setWindowTitle(QCoreApplication::translate("HoloviewDataDisplayClass", "HoloviewDataDisplay"));

    m_verticalLayout = new QVBoxLayout(m_frame3d);
    m_verticalLayout->setSpacing(6);
    m_verticalLayout->setContentsMargins(11, 11, 11, 11);
    m_verticalLayout->setObjectName(QStringLiteral("verticalLayout"));
    // Cameras without a room calibration have no place in the scene; they are
    // named here instead, above the view, while there are any.
    m_calibrationWarning = new QLabel(m_frame3d);
    m_calibrationWarning->setObjectName(QStringLiteral("label_calibrationWarning"));
    m_calibrationWarning->setStyleSheet(QStringLiteral("color: white; background-color: #b00020; padding: 3px;"));
    m_calibrationWarning->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    m_calibrationWarning->setWordWrap(true);
    m_calibrationWarning->setVisible(false);
    m_verticalLayout->addWidget(m_calibrationWarning);
    m_container = QWidget::createWindowContainer(m_window, m_frame3d);
    m_container->setObjectName(QStringLiteral("container_3d"));
    m_verticalLayout->addWidget(m_container);
}

void HoloviewDataDisplay::readCoordinateType()
{
    char answer[200] = {0};
    m_config.input.plane = 0;
    if (m_channel && m_channel->getString(answer, "roomcal coordinate_type") == 0
        && std::strcmp(answer, "powerwall") == 0)
        m_config.input.plane = 1;
}

void HoloviewDataDisplay::reloadScene()
{
    readCoordinateType();
    m_staticData->update();
    updateDisplay();
}

void HoloviewDataDisplay::updateCalibrationWarning()
{
    if (!m_calibrationWarning)
        return;
    const auto numbers = [](const std::vector<int> &cameras) {
        QStringList list;
        for (int number : cameras)
            list << QString::number(number);
        return list.join(QStringLiteral(", "));
    };
    // Every camera not drawn is named, with why.
    QStringList lines;
    if (!m_staticData->uncalibratedCameras().empty())
        lines << tr("Cameras without a room calibration (not drawn): %1").arg(numbers(m_staticData->uncalibratedCameras()));
    if (!m_staticData->unreadableCameras().empty())
        lines << tr("Cameras whose room calibration cannot be read (not drawn): %1")
                     .arg(numbers(m_staticData->unreadableCameras()));
    m_calibrationWarning->setText(lines.join(QLatin1Char('\n')));
    m_calibrationWarning->setVisible(!lines.isEmpty());
}

// Bodies and markers keep a least size on the screen, however far the view.
void HoloviewDataDisplay::fitSizesToView()
{
    if (!m_trackedBuilder || !m_window || m_window->height() <= 0)
        return;
    Qt3DRender::QCamera *camera = m_window->camera();
    const float distance = (camera->position() - camera->viewCenter()).length();
    const float perPixel = 2.0f * distance * std::tan(qDegreesToRadians(camera->fieldOfView()) / 2.0f) / m_window->height();
    m_trackedBuilder->setMillimetresPerPixel(perPixel);
}

std::vector<QVector3D> HoloviewDataDisplay::viewPoints() const
{
    std::vector<QVector3D> points;
    auto take = [&](double x, double y, double z) {
        points.emplace_back(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
    };
    // A camera is drawn as a glyph with its number above it: a box around
    // it and the top of its number, so that neither is cut at the window's
    // edge.
    const double glyph = 250.0;
    const QVector3D above = Zel3DWindowWrapper::axisOfPlane(m_config.input.plane) * 2.5f * Scenegraph::CameraBuilder::LabelHeight;
    for (int i = 0; i < m_staticData->numberOfCameras(); ++i) {
        if (const Logic::StaticData::CameraPose *pose = m_staticData->cameraPose(i)) {
            for (int corner = 0; corner < 8; ++corner)
                take((*pose)[0] + (corner & 1 ? glyph : -glyph), (*pose)[1] + (corner & 2 ? glyph : -glyph),
                     (*pose)[2] + (corner & 4 ? glyph : -glyph));
            take((*pose)[0] + above.x(), (*pose)[1] + above.y(), (*pose)[2] + above.z());
        }
    }
    if (m_trackedBuilder) {
        for (const auto &entry : m_trackedBuilder->frame().targets()) {
            const Logic::TrackedTarget &t = entry.second;
            if (t.state == Logic::TrackedTarget::PositionOnly || t.state == Logic::TrackedTarget::FullPose)
                take(t.pose[0], t.pose[1], t.pose[2]);
        }
        for (const auto &entry : m_trackedBuilder->frame().hands()) {
            if (entry.second.tracked)
                take(entry.second.pose[0], entry.second.pose[1], entry.second.pose[2]);
        }
    }
    if (points.empty()) {
        // Nothing known yet: the floor grid, 4 m across.
        const QVector3D up = Zel3DWindowWrapper::axisOfPlane(m_config.input.plane);
        const QVector3D extent = QVector3D(2000, 2000, 2000) - 2000 * up;
        points = {-extent, extent};
    }
    return points;
}

void HoloviewDataDisplay::updateDisplay()
{
    if (m_window)
        m_window->setupCamera(m_config.input.plane, Zel3DWindowWrapper::CameraSetupMode::Update);
    m_withInertial = m_config.display.trackedInertialShow;
    m_worldBuilder->setSettings(m_config.display, m_config.input.plane);
    if (m_cameraBuilder)
        m_cameraBuilder->setSettings(m_config.display, m_config.input.plane);
    if (m_trackedBuilder)
        m_trackedBuilder->setSettings(m_config.display, m_config.input.plane);
    updateCalibrationWarning();
    if (m_window)
        m_window->requestFrames();
}

void HoloviewDataDisplay::onRoomcalOpened(bool open)
{
    if (!open)
        reloadScene();
}

void HoloviewDataDisplay::onRoomadjustmentChanged(bool changed)
{
    if (changed)
        reloadScene();
}

void HoloviewDataDisplay::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    subscribe();
}

void HoloviewDataDisplay::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    unsubscribe();
}

void HoloviewDataDisplay::subscribe()
{
    // A second show without a hide in between (a window restored from its
    // icon, say) must not subscribe twice, or hiding would leave keys behind.
    if (!m_channel || m_subscribed)
        return;
    bool output6dmt = false;
    m_use6dmt = m_channel->getBool(&output6dmt, "measurementtool output_6dmt") == 0 && output6dmt;
    for (const char *key : kDataKeys)
        m_channel->addDataListener(key ? key : toolKey(), this);
    m_subscribed = true;
}

void HoloviewDataDisplay::unsubscribe()
{
    if (!m_channel || !m_subscribed)
        return;
    for (const char *key : kDataKeys)
        m_channel->removeDataListener(key ? key : toolKey(), this);
    m_subscribed = false;
}

int HoloviewDataDisplay::onData(const char *key, const char *line)
{
    if (!m_parser || !m_lineBuffer)
        return -1;
    if (!line)
        return -2;
    // A line with a bad record still shows its good ones.
    const bool whole = m_parser->parseCopy(line, m_lineBuffer, LineBufferSize);

    if (!m_frameMutex->try_lock())
        return -3;
    m_frame->digest(*m_parser, m_withInertial);
    m_frameConsumed = false;
    m_recordsLeftOut = m_parser->recordsLeftOut();
    const int family = Logic::TrackedFrame::familyOfLineKey(key);
    if (family >= 0)
        m_lastLineMs[static_cast<size_t>(family)] = m_clock.elapsed();
    m_frameMutex->unlock();
    return whole ? 0 : -2;
}

Logic::TrackedFrame HoloviewDataDisplay::sharedFrame(bool *consumed) const
{
    std::lock_guard<std::mutex> lock(*m_frameMutex);
    if (consumed)
        *consumed = m_frameConsumed;
    return *m_frame;
}

void HoloviewDataDisplay::updateTrackedOnTimer()
{
    m_frameMutex->lock();
    // Families whose lines stopped: their last targets are no longer news.
    const qint64 now = m_clock.elapsed();
    unsigned stale = 0;
    for (size_t f = 0; f < m_lastLineMs.size(); ++f) {
        if (m_lastLineMs[f] >= 0 && now - m_lastLineMs[f] > m_staleAfterMs)
            stale |= 1U << f;
    }
    const bool firstLeftOut = m_recordsLeftOut > 0 && !m_leftOutReported;
    if (m_frameConsumed && stale == m_staleShown) {
        m_frameMutex->unlock();
        if (firstLeftOut)
            reportRecordsLeftOut();
        return;
    }
    Logic::TrackedFrame copy = *m_frame;
    m_frameConsumed = true;
    m_frameMutex->unlock();
    if (firstLeftOut)
        reportRecordsLeftOut();
    copy.markNotTracked(stale);
    m_staleShown = stale;

    if (m_trackedBuilder)
        m_trackedBuilder->setFrame(std::move(copy));
    if (m_window)
        m_window->requestDataFrames();
}

// Said once a session: the event display and the day's log keep it.
void HoloviewDataDisplay::reportRecordsLeftOut()
{
    m_leftOutReported = true;
    if (m_channel)
        m_channel->sendMessage("standard", "Quorix2", 1,
                               tr("Some targets in the Controller's data lines could not be read; they are shown as not "
                                  "tracked, the other targets of those lines as usual.")
                                   .toUtf8()
                                   .constData());
}

// A target without a line for several frame periods is no longer tracked;
// at low output rates that is longer than StaleAfterMs.
void HoloviewDataDisplay::readOutputFrequency()
{
    double hertz = 0.0;
    m_staleAfterMs = StaleAfterMs;
    if (m_channel && m_channel->getDouble(&hertz, "status output_frequency") == 0 && hertz > 0.0)
        m_staleAfterMs = std::max<qint64>(StaleAfterMs, qint64(std::ceil(StaleFramePeriods * 1000.0 / hertz)));
}

void HoloviewDataDisplay::onMeasurementStarted()
{
    bool calculate = true;
    if (!m_channel || m_channel->getBool(&calculate, "standard calculate_marker") != 0)
        calculate = true;
    m_config.display.calculateMarkers = calculate;
    readOutputFrequency();

    m_staticData->update();
    if (!m_cameraBuilder)
        m_cameraBuilder = std::make_unique<Scenegraph::CameraBuilder>(m_sceneGraph.get(), m_config.display);
    m_cameraBuilder->setStaticData(m_staticData.get());
    if (!m_trackedBuilder)
        m_trackedBuilder = std::make_unique<Scenegraph::TrackedTargetBuilder>(m_sceneGraph.get(), m_config.display);
    m_trackedBuilder->setStaticData(m_staticData.get());
    fitSizesToView();
    updateDisplay();
    m_timer->start();
}

void HoloviewDataDisplay::onMeasurementStopped()
{
    m_timer->stop();
    m_staticData->update();
    // The old part goes first so that the new one can take over its node names.
    m_cameraBuilder.reset();
    m_cameraBuilder = std::make_unique<Scenegraph::CameraBuilder>(m_sceneGraph.get(), m_config.display);
    m_cameraBuilder->setSettings(m_config.display, m_config.input.plane);
    m_cameraBuilder->setStaticData(m_staticData.get());
    m_trackedBuilder.reset();
    updateCalibrationWarning();
}

} // namespace GUI
