#include "CameraSettingsData.h"
#include "FakeChannel.h"
#include "HoloviewDataDisplay.h"
#include "HoloviewMessageReceiver.h"
#include "LabelNode.h"
#include "MessageCollector.h"
#include "PoseTransformationNode.h"
#include "SceneGraph.h"
#include "TestHome.h"
#include "TrackedTargetBuilder.h"
#include "Zel3DWindowWrapper.h"
#include "ZELOrbitCameraController.h"

#include <Qt3DRender/QCamera>
#include <Qt3DRender/QRenderSettings>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QShowEvent>
#include <QHideEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QtTest>

#include <thread>

#include <memory>

using GUI::HoloviewDataDisplay;
using GUI::HoloviewMessageReceiver;
using GUI::Zel3DWindowWrapper;

namespace {

const QByteArray kCoordinate = "quorix2 get roomcal coordinate_type";
const QByteArray kOutput6dmt = "quorix2 get measurementtool output_6dmt";
const QByteArray kCalculate = "quorix2 get standard calculate_marker";

void answerCoordinate(FakeChannel &channel, const QByteArray &type)
{
    channel.reply(kCoordinate, "quorix2 set roomcal coordinate_type " + type);
}

void show(QWidget *w)
{
    QShowEvent e;
    QCoreApplication::sendEvent(w, &e);
}

void hide(QWidget *w)
{
    QHideEvent e;
    QCoreApplication::sendEvent(w, &e);
}

QVector3D position(const HoloviewDataDisplay &d)
{
    return d.window3D()->camera()->position();
}

} // namespace

class HoloviewDataDisplayTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_home = std::make_unique<TestHome>(); }
    void cleanup() { m_home.reset(); }

    void messageTable_data()
    {
        QTest::addColumn<QString>("sender");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("opened");       // -1 none, 0 false, 1 true
        QTest::addColumn<bool>("adjusted");
        QTest::newRow("opened") << "RoomCalModule" << "roomcal_opened" << 1 << false;
        QTest::newRow("closed") << "RoomCalModule" << "roomcal_closed" << 0 << false;
        QTest::newRow("adjusted") << "RoomAdjustmentModule" << "roomadjustment_changed" << -1 << true;
        QTest::newRow("wrong sender") << "BodyCalModule" << "roomcal_opened" << -1 << false;
        QTest::newRow("adjustment from roomcal") << "RoomCalModule" << "roomadjustment_changed" << -1 << false;
        QTest::newRow("case differs") << "RoomCalModule" << "Roomcal_opened" << -1 << false;
    }

    void messageTable()
    {
        QFETCH(QString, sender);
        QFETCH(QString, text);
        QFETCH(int, opened);
        QFETCH(bool, adjusted);
        HoloviewMessageReceiver receiver;
        QSignalSpy open(&receiver, &HoloviewMessageReceiver::sendRoomcalIsOpen);
        QSignalSpy adjust(&receiver, &HoloviewMessageReceiver::sendRoomadjustmentChanged);
        QCOMPARE(receiver.receive(7, sender.toLatin1().constData(), text.toLatin1().constData()), 0);
        QCOMPARE(open.size(), opened < 0 ? 0 : 1);
        if (opened >= 0)
            QCOMPARE(open.at(0).at(0).toBool(), opened == 1);
        QCOMPARE(adjust.size(), adjusted ? 1 : 0);
        if (adjusted)
            QCOMPARE(adjust.at(0).at(0).toBool(), true);
    }

    void constructionRegistersAndReads()
    {
        FakeChannel channel;
        HoloviewDataDisplay display(nullptr, &channel, nullptr);
        QCOMPARE(display.objectName(), QString("HoloviewDataDisplayClass"));
        QVERIFY(display.findChild<QObject *>("gridLayout"));
        QVERIFY(display.findChild<QObject *>("splitter"));
        QVERIFY(display.findChild<QObject *>("frame_3d"));
        QVERIFY(display.findChild<QObject *>("verticalLayout"));
        QCOMPARE(display.updateTimer()->interval(), 20);
        QVERIFY(!display.updateTimer()->isActive());
        QVERIFY(display.cameraBuilder());
        QVERIFY(!display.trackedTargetBuilder());
        QVERIFY(channel.commands().contains(kCoordinate));
        QVERIFY(channel.addedListeners().isEmpty());
        QCOMPARE(channel.sendMessage("HoloviewModule", "X", 1, "y"), 0);
        QCOMPARE(display.window3D()->backgroundColor(), QColor::fromRgbF(0.1, 0.1, 0.1, 1.0));
        QCOMPARE(display.window3D()->renderSettings()->renderPolicy(), Qt3DRender::QRenderSettings::OnDemand);
    }

    void subscriptions_data()
    {
        QTest::addColumn<QByteArray>("answer");   // empty: the get fails
        QTest::addColumn<QByteArray>("toolKey");
        QTest::newRow("yes") << QByteArray("yes") << QByteArray("6dmt");
        QTest::newRow("no") << QByteArray("no") << QByteArray("6dmt2");
        QTest::newRow("failure") << QByteArray() << QByteArray("6dmt2");
    }

    void subscriptions()
    {
        QFETCH(QByteArray, answer);
        QFETCH(QByteArray, toolKey);
        FakeChannel channel;
        if (!answer.isEmpty())
            channel.reply(kOutput6dmt, "quorix2 set measurementtool output_6dmt " + answer);
        HoloviewDataDisplay display(nullptr, &channel, nullptr);

        show(&display);
        const QList<QByteArray> expected = {"3d", "6d", "6df2", toolKey, "6dmtr", "6di", "gl"};
        QCOMPARE(channel.addedListeners(), expected);
        // A second show without a hide adds nothing.
        show(&display);
        QCOMPARE(channel.addedListeners(), expected);

        // The Controller changes its mind: hiding still removes what was added.
        channel.reply(kOutput6dmt, answer == "yes" ? "quorix2 set measurementtool output_6dmt no"
                                                   : "quorix2 set measurementtool output_6dmt yes");
        hide(&display);
        QCOMPARE(channel.removedListeners(), expected);
        hide(&display);
        QCOMPARE(channel.removedListeners(), expected);
    }

    void destructionUnsubscribesAndUnregisters()
    {
        FakeChannel channel;
        {
            HoloviewDataDisplay display(nullptr, &channel, nullptr);
            show(&display);
        }
        QCOMPARE(channel.removedListeners().size(), 7);
        QCOMPARE(channel.sendMessage("HoloviewModule", "X", 1, "y"), -1);
    }

    void onDataResultCodes()
    {
        FakeChannel channel;
        HoloviewDataDisplay display(nullptr, &channel, nullptr);
        QCOMPARE(display.onData("6d", "6d 1 [0 1.0][10 20 30][1 0 0 0 1 0 0 0 1]"), 0);
        QCOMPARE(display.onData("6d", "6d 1 [0 1.0][10 20"), -2);
        QCOMPARE(display.onData("6d", nullptr), -2);

        // A 12 KB line of markers is taken whole; so is the longest line a
        // datagram can carry. One more does not fit the buffer.
        QByteArray markers = "3d 400";
        for (int m = 0; m < 400; ++m)
            markers += " [" + QByteArray::number(m) + " 1.000][1000.000 -2000.000 1500.000]";
        QVERIFY(markers.size() > 12000);
        QCOMPARE(display.onData("3d", markers.constData()), 0);
        const Logic::TrackedFrame frame = display.sharedFrame();
        QCOMPARE(int(frame.targets().count(4399)), 1);
        QCOMPARE(int(frame.targets().size()), 1 + 400);  // and the body
        QByteArray longest = "xx ";
        longest.append(QByteArray(65507 - longest.size(), 'a'));
        QCOMPARE(display.onData("xx", longest.constData()), 0);
        QByteArray tooLong = "xx ";
        tooLong.append(QByteArray(HoloviewDataDisplay::LineBufferSize - tooLong.size(), 'a'));
        QCOMPARE(display.onData("xx", tooLong.constData()), -2);
        // Far beyond the buffer: rejected, nothing overrun (ASan builds check it).
        const QByteArray huge = "6d " + QByteArray(100000, ' ');
        QCOMPARE(display.onData("6d", huge.constData()), -2);
    }

    void busyFrameLockDropsTheLine()
    {
        FakeChannel channel;
        HoloviewDataDisplay display(nullptr, &channel, nullptr);
        int result = 1;
        display.frameMutex()->lock();
        // A thread that is joined: its result is seen by the race checker too.
        std::thread worker([&] { result = display.onData("6d", "6d 1 [0 1.0][1 2 3][1 0 0 0 1 0 0 0 1]"); });
        worker.join();
        display.frameMutex()->unlock();
        QCOMPARE(result, -3);
        bool consumed = false;
        display.sharedFrame(&consumed);
        QVERIFY(consumed);
        // The parser took the line in all the same: the next line carries it.
        QCOMPARE(display.onData("3d", "3d 0"), 0);
        QCOMPARE(int(display.sharedFrame().targets().size()), 1);
    }

    void framesMoveNodesOnTheTimer()
    {
        FakeChannel channel;
        HoloviewDataDisplay display(nullptr, &channel, nullptr);
        display.onMeasurementStarted();
        QVERIFY(display.updateTimer()->isActive());
        Scenegraph::TrackedTargetBuilder *builder = display.trackedTargetBuilder();
        QVERIFY(builder);

        QCOMPARE(display.onData("6d", "6d 1 [0 1.0][10 20 30][1 0 0 0 1 0 0 0 1]"), 0);
        bool consumed = true;
        display.sharedFrame(&consumed);
        QVERIFY(!consumed);
        display.updateTrackedOnTimer();
        display.sharedFrame(&consumed);
        QVERIFY(consumed);
        auto *node = dynamic_cast<Scenegraph::PoseTransformationNode *>(display.sceneGraph()->find("6d_0"));
        QVERIFY(node);
        QCOMPARE(node->transform()->translation(), QVector3D(10, 20, 30));

        // No new line: the next tick changes nothing.
        node->transform()->setTranslation(QVector3D(1, 1, 1));
        display.updateTrackedOnTimer();
        QCOMPARE(node->transform()->translation(), QVector3D(1, 1, 1));

        QCOMPARE(display.onData("6d", "6d 1 [0 1.0][40 50 60][1 0 0 0 1 0 0 0 1]"), 0);
        QTRY_COMPARE(node->transform()->translation(), QVector3D(40, 50, 60));

        // A second start creates no second tracked-target part.
        display.onMeasurementStarted();
        QCOMPARE(display.trackedTargetBuilder(), builder);

        display.onMeasurementStopped();
        QVERIFY(!display.updateTimer()->isActive());
        QVERIFY(!display.trackedTargetBuilder());
        QVERIFY(!display.sceneGraph()->find("6d_0"));
        QVERIFY(display.cameraBuilder());
    }

    void familyWhoseLinesStopIsNotTracked()
    {
        FakeChannel channel;
        HoloviewDataDisplay display(nullptr, &channel, nullptr);
        display.onMeasurementStarted();
        QCOMPARE(display.onData("6d", "6d 1 [0 1.0][10 20 30][1 0 0 0 1 0 0 0 1]"), 0);
        QCOMPARE(display.onData("3d", "3d 1 [4 1.0][1 2 3]"), 0);
        display.updateTrackedOnTimer();
        Scenegraph::Node *body = display.sceneGraph()->find("6d_0");
        const Scenegraph::MarkerCloud *markers = display.trackedTargetBuilder()->markerCloud();
        QVERIFY(body);
        QCOMPARE(markers->count(), 1);
        QVERIFY(body->entity()->isEnabled());

        // Markers keep coming, bodies do not: after a while the body is no
        // longer drawn as tracked, though no line ever said so.
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() <= HoloviewDataDisplay::StaleAfterMs + 50) {
            QCOMPARE(display.onData("3d", "3d 1 [4 1.0][1 2 3]"), 0);
            display.updateTrackedOnTimer();
            QTest::qWait(20);
        }
        QVERIFY(!body->entity()->isEnabled());
        QCOMPARE(markers->count(), 1);

        // Nothing arrives at all: the markers go the same way.
        QTest::qWait(HoloviewDataDisplay::StaleAfterMs + 50);
        display.updateTrackedOnTimer();
        QCOMPARE(markers->count(), 0);

        // The body's next line draws it again.
        QCOMPARE(display.onData("6d", "6d 1 [0 1.0][10 20 30][1 0 0 0 1 0 0 0 1]"), 0);
        display.updateTrackedOnTimer();
        QVERIFY(body->entity()->isEnabled());
        display.onMeasurementStopped();
    }

    void cutLineLeavesNoHalfFrame()
    {
        FakeChannel channel;
        HoloviewDataDisplay display(nullptr, &channel, nullptr);
        display.onMeasurementStarted();
        QCOMPARE(display.onData("6d", "6d 2 [0 1.0][10 20 30][1 0 0 0 1 0 0 0 1] [1 1.0][1 2 3][1 0 0 0 1 0 0 0 1]"),
                 0);
        // Cut after body 0's quality: body 0 was rewritten without a pose.
        QCOMPARE(display.onData("6d", "6d 2 [0 1.0][10 20 30"), -2);
        QCOMPARE(display.onData("3d", "3d 0"), 0);
        const Logic::TrackedFrame frame = display.sharedFrame();
        QCOMPARE(int(frame.targets().size()), 2);
        for (const auto &entry : frame.targets())
            QCOMPARE(entry.second.state, int(Logic::TrackedTarget::NotTracked));
        display.onMeasurementStopped();
    }

    // "3d 2 [1 ...][2 ... nan ...]": marker 1 is drawn, marker 2 is not, and
    // the event display hears of it once, not once a frame.
    void badRecordLeavesTheRestOfItsLineDrawn()
    {
        FakeChannel channel;
        MessageCollector events;
        channel.addMessageReceiver("standard", &events);
        HoloviewDataDisplay display(nullptr, &channel, nullptr);
        display.onMeasurementStarted();
        for (int frame = 0; frame < 3; ++frame) {
            QCOMPARE(display.onData("3d", "3d 2 [1 1.000][-400 300 0] [2 1.000][nan 300 0]"), -2);
            QCOMPARE(display.onData("6d", "6d 2 [0 1.0][10 20 30][1 0 0 0 1 0 0 0 1] [1000 1.0][1 2 3][1 0 0 0 1 0 0 0 1]"),
                     -2);
            display.updateTrackedOnTimer();
        }
        QCOMPARE(display.trackedTargetBuilder()->markerCloud()->count(), 1);
        QVERIFY(display.sceneGraph()->find("6d_0")->entity()->isEnabled());
        QCOMPARE(events.texts().filter("could not be read").size(), 1);
        display.onMeasurementStopped();
    }

    // A target is stale after several frame periods of the output frequency,
    // never sooner than at high rates.
    void staleLimitFollowsTheOutputFrequency()
    {
        FakeChannel channel;
        HoloviewDataDisplay display(nullptr, &channel, nullptr);
        channel.reply("quorix2 get status output_frequency", "quorix2 set status output_frequency 2.000");
        display.onMeasurementStarted();
        QCOMPARE(display.staleAfterMs(), qint64(2000));
        display.onMeasurementStopped();
        channel.reply("quorix2 get status output_frequency", "quorix2 set status output_frequency 300.0");
        display.onMeasurementStarted();
        QCOMPARE(display.staleAfterMs(), qint64(HoloviewDataDisplay::StaleAfterMs));
        display.onMeasurementStopped();
    }

    void fitViewFramesCamerasAndTargets()
    {
        FakeChannel channel;
        channel.reply("quorix2 get camera number_of_cameras", "quorix2 set camera number_of_cameras 2");
        channel.reply("quorix2 get tracking room c01", "quorix2 set tracking room c01 -4000 -4000 3000 1 0 0 0 1 0 0 0 1");
        channel.reply("quorix2 get tracking room c02", "quorix2 set tracking room c02 4000 4000 3000 1 0 0 0 1 0 0 0 1");
        HoloviewDataDisplay display(nullptr, &channel, nullptr);
        display.onMeasurementStarted();
        QCOMPARE(display.onData("6d", "6d 1 [0 1.0][0 0 -1000][1 0 0 0 1 0 0 0 1]"), 0);
        display.updateTrackedOnTimer();
        const std::vector<QVector3D> points = display.viewPoints();
        QCOMPARE(points.size(), size_t(2 * 9 + 1));   // a box around each camera and its label's top, the body

        // Key F, in a wide and in a tall window: the camera keeps its
        // direction, every point is in the picture, and the outermost reach
        // the picture's edge on one side (the room fills the view).
        Zel3DWindowWrapper *window = display.window3D();
        const QVector3D direction = (position(display) - window->camera()->viewCenter()).normalized();
        for (const QSize shape : {QSize(1200, 400), QSize(400, 900)}) {
            window->resize(shape);
            QKeyEvent key(QEvent::KeyPress, Qt::Key_F, Qt::NoModifier);
            QCoreApplication::sendEvent(window, &key);
            Qt3DRender::QCamera *cam = window->camera();
            QVERIFY(qFuzzyCompare((cam->position() - cam->viewCenter()).normalized(), direction));
            const QMatrix4x4 toScreen = cam->projectionMatrix() * cam->viewMatrix();
            float reach = 0;
            for (const QVector3D &p : points) {
                const QVector3D s = toScreen.map(p);
                QVERIFY2(std::abs(s.x()) <= 1 && std::abs(s.y()) <= 1, qPrintable(QString("%1 %2").arg(s.x()).arg(s.y())));
                reach = std::max({reach, std::abs(s.x()), std::abs(s.y())});
            }
            QVERIFY2(reach > 0.85f, qPrintable(QString::number(reach)));
        }
        QCOMPARE(float(display.settings().camera.camViewCenter[2]), window->camera()->viewCenter().z());
        // Seen whole, the room is metres across: the bodies' axes grow with
        // the view's distance, and shrink back to their size close up.
        QVERIFY(display.trackedTargetBuilder()->axesScale() > 1.5f);
        window->camera()->setPosition(window->camera()->viewCenter() + direction * 1000);
        QCOMPARE(display.trackedTargetBuilder()->axesScale(), 1.0f);
        QCOMPARE(display.trackedTargetBuilder()->markerScale(), 1.0f);

        // Key R still gives the default view.
        QKeyEvent reset(QEvent::KeyPress, Qt::Key_R, Qt::NoModifier);
        QCoreApplication::sendEvent(window, &reset);
        QCOMPARE(position(display), Zel3DWindowWrapper::FloorCameraPosition);
        display.onMeasurementStopped();
    }

    // A first start shows the cameras without the user knowing about F; a
    // stored view is kept as the user left it.
    void firstViewIsFittedUnlessOneIsStored()
    {
        FakeChannel channel;
        channel.reply("quorix2 get camera number_of_cameras", "quorix2 set camera number_of_cameras 2");
        channel.reply("quorix2 get tracking room c01", "quorix2 set tracking room c01 -4000 -4000 3000 1 0 0 0 1 0 0 0 1");
        channel.reply("quorix2 get tracking room c02", "quorix2 set tracking room c02 4000 4000 5000 1 0 0 0 1 0 0 0 1");
        {
            HoloviewDataDisplay display(nullptr, &channel, nullptr);
            // The first view is what F gives.
            const QVector3D first = position(display);
            QVERIFY(first != Zel3DWindowWrapper::FloorCameraPosition);
            QKeyEvent fit(QEvent::KeyPress, Qt::Key_F, Qt::NoModifier);
            QCoreApplication::sendEvent(display.window3D(), &fit);
            QVERIFY(qFuzzyCompare(position(display), first));
            // The user's own choice, stored when the monitor goes.
            QKeyEvent reset(QEvent::KeyPress, Qt::Key_R, Qt::NoModifier);
            QCoreApplication::sendEvent(display.window3D(), &reset);
        }
        HoloviewDataDisplay again(nullptr, &channel, nullptr);
        QCOMPARE(position(again), Zel3DWindowWrapper::FloorCameraPosition);
        QCOMPARE(again.window3D()->camera()->viewCenter(), QVector3D(0, 0, 0));
    }

    void uncalibratedCamerasAreNamed()
    {
        FakeChannel channel;
        channel.reply("quorix2 get camera number_of_cameras", "quorix2 set camera number_of_cameras 4");
        channel.reply("quorix2 get tracking room c01", "quorix2 set tracking room c01 none");
        channel.reply("quorix2 get tracking room c02", "quorix2 set tracking room c02 0 0 3000 1 0 0 0 1 0 0 0 1");
        channel.reply("quorix2 get tracking room c03", "quorix2 set tracking room c03 none");
        // A calibration that makes no sense leaves its camera out too, and says so.
        channel.reply("quorix2 get tracking room c04", "quorix2 set tracking room c04 0 0 3000 1 0 0");
        HoloviewDataDisplay display(nullptr, &channel, nullptr);
        QVERIFY(!display.calibrationWarning()->isHidden());
        QCOMPARE(display.calibrationWarning()->text(),
                 QString("Cameras without a room calibration (not drawn): 1, 3\n"
                         "Cameras whose room calibration cannot be read (not drawn): 4"));
        // The one calibrated camera carries its own number, 2.
        auto *label = dynamic_cast<Scenegraph::LabelNode *>(display.sceneGraph()->find("camera_0_label"));
        QVERIFY(label);
        QCOMPARE(label->text(), QString("2"));

        channel.reply("quorix2 get tracking room c01", "quorix2 set tracking room c01 0 0 3000 1 0 0 0 1 0 0 0 1");
        channel.reply("quorix2 get tracking room c03", "quorix2 set tracking room c03 0 0 3000 1 0 0 0 1 0 0 0 1");
        channel.reply("quorix2 get tracking room c04", "quorix2 set tracking room c04 0 0 3000 1 0 0 0 1 0 0 0 1");
        display.onRoomcalOpened(false);
        QVERIFY(display.calibrationWarning()->isHidden());
    }

    void calculateMarkersOffDisablesTheMarkerEntry()
    {
        FakeChannel channel;
        channel.reply(kCalculate, "quorix2 set standard calculate_marker no");
        HoloviewDataDisplay display(nullptr, &channel, nullptr);
        display.onMeasurementStarted();
        QVERIFY(!display.settings().display.calculateMarkers);
        std::unique_ptr<QMenu> menu(display.window3D()->buildContextMenu());
        const QList<QAction *> actions = menu->actions();
        QCOMPARE(actions.size(), 10);
        QCOMPARE(actions[0]->text(), QString("Show &3D marker"));
        QVERIFY(actions[0]->isCheckable());
        QVERIFY(!actions[0]->isChecked());
        QVERIFY(!actions[0]->isEnabled());
        QCOMPARE(actions[1]->text(), QString("Show &standard bodies"));
        QCOMPARE(actions[2]->text(), QString("Show &gripwands"));
        QVERIFY(actions[3]->isSeparator());
        QCOMPARE(actions[4]->text(), QString("&Reset view"));
        QCOMPARE(actions[5]->text(), QString("&Fit view to room"));
        QCOMPARE(actions[5]->shortcut(), QKeySequence(Qt::Key_F));
        QVERIFY(actions[6]->isSeparator());
        QCOMPARE(actions[7]->text(), QString("Show &hands"));
        QCOMPARE(actions[8]->text(), QString("Show &inertial bodies"));
        QCOMPARE(actions[9]->text(), QString("Show &labels"));
        display.onMeasurementStopped();
    }

    void togglesWriteTheDisplaySettings()
    {
        FakeChannel channel;
        auto display = std::make_unique<HoloviewDataDisplay>(nullptr, &channel, nullptr);
        Zel3DWindowWrapper *window = display->window3D();
        QSignalSpy update(window, &Zel3DWindowWrapper::sig_doUpdateDisplay);

        std::unique_ptr<QMenu> menu(window->buildContextMenu());
        QVERIFY(menu->actions()[0]->isEnabled());
        QVERIFY(menu->actions()[0]->isChecked());
        QVERIFY(menu->actions()[1]->isChecked());
        QVERIFY(menu->actions()[2]->isChecked());

        menu->actions()[0]->trigger();
        QVERIFY(!display->settings().display.trackedMarker3DShowSphere);
        menu->actions()[1]->trigger();
        QVERIFY(!display->settings().display.trackedBodyShowMarkers);
        QVERIFY(!display->settings().display.trackedBodyShowCOS);
        menu->actions()[2]->trigger();
        QVERIFY(!display->settings().display.trackedGripwandShowMarkers);
        QVERIFY(!display->settings().display.trackedGripwandShowCOS);
        QCOMPARE(update.size(), 3);

        // Hands, inertial bodies and labels: on by default (gripwand and
        // camera ids are), each entry flips its switches.
        for (int i : {7, 8, 9}) {
            QVERIFY(menu->actions()[i]->isChecked());
            menu->actions()[i]->trigger();
        }
        QVERIFY(!display->settings().display.trackedHandShow);
        QVERIFY(!display->settings().display.trackedInertialShow);
        QVERIFY(!display->settings().display.cameraShowIDs);
        QVERIFY(!display->settings().display.trackedGripwandShowIDs);
        QCOMPARE(update.size(), 6);

        menu.reset(window->buildContextMenu());
        for (int i : {7, 8, 9})
            QVERIFY(!menu->actions()[i]->isChecked());
        QVERIFY(!menu->actions()[0]->isChecked());
        QVERIFY(!menu->actions()[1]->isChecked());
        QVERIFY(!menu->actions()[2]->isChecked());

        // Saved on destruction and read back by the next display.
        const QString dir = display->settingsDirectory();
        QVERIFY(dir.startsWith(m_home->path()));
        display.reset();
        QVERIFY(QFile::exists(dir + "/holoview-preferences.xml"));
        HoloviewDataDisplay again(nullptr, &channel, nullptr);
        QVERIFY(!again.settings().display.trackedBodyShowMarkers);
        QVERIFY(!again.window3D()->showGripwands());
        QVERIFY(!again.settings().display.trackedHandShow);
        QVERIFY(!again.settings().display.trackedInertialShow);
        QVERIFY(!again.window3D()->showLabels());
        QVERIFY(again.settings().camera.valid);
    }

    void keyRRestoresTheFloorView()
    {
        FakeChannel channel;
        HoloviewDataDisplay display(nullptr, &channel, nullptr);
        QCOMPARE(display.window3D()->cameraController()->upAxis(), QVector3D(0, 0, 1));
        display.window3D()->camera()->setPosition(QVector3D(5, 6, 7));
        QTest::keyClick(display.window3D(), Qt::Key_R);
        QCOMPARE(position(display), QVector3D(-3000, -3000, 2400));
        QCOMPARE(display.window3D()->camera()->viewCenter(), QVector3D(0, 0, 0));
        QCOMPARE(display.window3D()->camera()->upVector(), QVector3D(1, 1, 1));
        QVERIFY(display.settings().camera.valid);
        QCOMPARE(display.settings().camera.camPosition[2], 2400.0);
    }

    void storedViewIsRestoredAtStart()
    {
        FakeChannel channel;
        {
            HoloviewDataDisplay display(nullptr, &channel, nullptr);
            auto *cam = display.window3D()->camera();
            cam->setPosition(QVector3D(100, 200, 300));
            // A wheel turn stores the view.
            QWheelEvent wheel(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, 120), Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(display.window3D(), &wheel);
        }
        HoloviewDataDisplay display(nullptr, &channel, nullptr);
        QCOMPARE(position(display), QVector3D(100, 200, 300));
    }

    void powerwallAfterRoomCalibrationMovesTheCamera()
    {
        FakeChannel channel;
        answerCoordinate(channel, "floor");
        HoloviewDataDisplay display(nullptr, &channel, nullptr);
        QCOMPARE(display.settings().input.plane, 0);
        QTest::keyClick(display.window3D(), Qt::Key_R);   // from the floor view, not the fitted first one
        QCOMPARE(position(display), QVector3D(-3000, -3000, 2400));

        answerCoordinate(channel, "powerwall");
        QCOMPARE(channel.sendMessage("HoloviewModule", "RoomCalModule", 1, "roomcal_opened"), 0);
        QCOMPARE(display.settings().input.plane, 0);
        QCOMPARE(channel.sendMessage("HoloviewModule", "RoomCalModule", 1, "roomcal_closed"), 0);
        QCOMPARE(display.settings().input.plane, 1);
        QCOMPARE(position(display), QVector3D(-3000, 2400, -3000));
        QCOMPARE(display.window3D()->cameraController()->upAxis(), QVector3D(0, 1, 0));

        // Same plane again: the camera is left alone.
        display.window3D()->camera()->setPosition(QVector3D(1, 2, 3));
        QCOMPARE(channel.sendMessage("HoloviewModule", "RoomAdjustmentModule", 1, "roomadjustment_changed"), 0);
        QCOMPARE(position(display), QVector3D(1, 2, 3));
    }

    void rightClickOpensTheMenuRightDragDoesNot()
    {
        FakeChannel channel;
        HoloviewDataDisplay display(nullptr, &channel, nullptr);
        Zel3DWindowWrapper *window = display.window3D();
        QSignalSpy opened(window, &Zel3DWindowWrapper::contextMenuAboutToOpen);
        // Close whatever popup opens, so exec() returns.
        QTimer closer;
        connect(&closer, &QTimer::timeout, [] {
            if (QWidget *popup = QApplication::activePopupWidget())
                popup->close();
        });
        closer.start(20);

        QTest::mousePress(window, Qt::RightButton, Qt::NoModifier, QPoint(10, 10));
        QCOMPARE(window->mouseMode(), int(Zel3DWindowWrapper::MouseRight));
        QTest::mouseRelease(window, Qt::RightButton, Qt::NoModifier, QPoint(40, 10));
        QCOMPARE(opened.size(), 0);

        QTest::mousePress(window, Qt::RightButton, Qt::NoModifier, QPoint(10, 10));
        QTest::mouseRelease(window, Qt::RightButton, Qt::NoModifier, QPoint(10, 10));
        QCOMPARE(opened.size(), 1);
        QCOMPARE(window->mouseMode(), int(Zel3DWindowWrapper::MouseIdle));

        QTest::mousePress(window, Qt::LeftButton, Qt::ShiftModifier, QPoint(10, 10));
        QCOMPARE(window->mouseMode(), int(Zel3DWindowWrapper::MouseLeftShift));
        QTest::mouseRelease(window, Qt::LeftButton, Qt::ShiftModifier, QPoint(10, 10));
        QTest::mousePress(window, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
        QCOMPARE(window->mouseMode(), int(Zel3DWindowWrapper::MouseLeft));
        QCOMPARE(opened.size(), 1);
    }

    void orbitControllerPrecedence()
    {
        FakeChannel channel;
        HoloviewDataDisplay display(nullptr, &channel, nullptr);
        GUI::ZELOrbitCameraController *controller = display.window3D()->cameraController();
        QCOMPARE(controller->linearSpeed(), 5000.0f);
        QCOMPARE(controller->lookSpeed(), 360.0f);
        Qt3DRender::QCamera *cam = display.window3D()->camera();

        Qt3DExtras::QAbstractCameraController::InputState state{};
        // Keys only: translate by linear speed · (−dt) · t, view centre along.
        cam->setPosition(QVector3D(0, 0, 1000));
        cam->setViewCenter(QVector3D(0, 0, 0));
        cam->setUpVector(QVector3D(0, 1, 0));
        state.tzAxisValue = 1.0f;
        controller->moveCamera(state, 0.01f);
        QCOMPARE(cam->position(), QVector3D(0, 0, 1050));
        QCOMPARE(cam->viewCenter(), QVector3D(0, 0, 50));

        // Left button wins over Alt and clamps the sum to 1.
        cam->setPosition(QVector3D(0, 0, 1000));
        cam->setViewCenter(QVector3D(0, 0, 0));
        state = {};
        state.leftMouseButtonActive = true;
        state.altKeyActive = true;
        state.txAxisValue = 1.0f;
        state.rxAxisValue = 2.0f;
        controller->moveCamera(state, 0.01f);
        QCOMPARE(cam->position(), QVector3D(-50, 0, 1000));
        QCOMPARE(cam->viewCenter(), QVector3D(-50, 0, 0));
    }

private:
    std::unique_ptr<TestHome> m_home;
};

QTEST_MAIN(HoloviewDataDisplayTest)
#include "tst_HoloviewDataDisplay.moc"
