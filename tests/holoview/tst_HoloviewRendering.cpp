#include "FakeChannel.h"
#include "HoloviewDataDisplay.h"
#include "KeepLibrariesLoaded.h"
#include "PoseTransformationNode.h"
#include "SceneGraph.h"
#include "TestHome.h"
#include "TrackedTargetBuilder.h"
#include "Zel3DWindowWrapper.h"

#include <Qt3DExtras/QForwardRenderer>
#include <Qt3DRender/QCamera>

#include <QScreen>

#include <QThread>
#include <QTimer>
#include <QtTest>

#include <atomic>
#include <memory>

using GUI::HoloviewDataDisplay;

// The display on a real screen (run under Xvfb): the Qt3D window is exposed
// and renders while frames arrive from a data thread and the timer moves the
// nodes. Skipped on platforms without windows of their own.
class HoloviewRenderingTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        if (QGuiApplication::platformName() == QLatin1String("offscreen")
            || QGuiApplication::platformName() == QLatin1String("minimal"))
            QSKIP("needs a display server (run under xvfb-run)");
        m_home = std::make_unique<TestHome>();
    }
    void cleanup() { m_home.reset(); }
    void cleanupTestCase() { keepLoadedLibrariesUntilExit(); }

    void fedFramesMoveNodes()
    {
        FakeChannel channel;
        channel.reply("quorix2 get camera number_of_cameras", "quorix2 set camera number_of_cameras 1");
        channel.reply("quorix2 get tracking room c01",
                      "quorix2 set tracking room c01 1000 0 2000 1 0 0 0 1 0 0 0 1");
        HoloviewDataDisplay display(nullptr, &channel, nullptr);
        QVERIFY(showExposed(display, QSize(640, 480)));
        QCOMPARE(channel.addedListeners().size(), 7);
        QVERIFY(display.sceneGraph()->find("camera_0"));
        QVERIFY(display.sceneGraph()->find("camera_0_label"));

        display.onMeasurementStarted();
        std::atomic<bool> stop{false};
        std::atomic<int> accepted{0};
        std::unique_ptr<QThread> feeder(QThread::create([&] {
            for (int i = 0; !stop && i < 100000; ++i) {
                const QByteArray line = "6d 1 [0 1.0][" + QByteArray::number(i) + " 20 30][1 0 0 0 1 0 0 0 1]";
                if (display.onData("6d", line.constData()) == 0)
                    ++accepted;
                // Marker ids change every frame.
                const QByteArray markers = "3d 1 [" + QByteArray::number(i) + " 1.0][5 " + QByteArray::number(i) + " 7]";
                display.onData("3d", markers.constData());
                const QByteArray hand = "gl 1 [0 1.0 1 1][0 " + QByteArray::number(i)
                    + " 0][1 0 0 0 1 0 0 0 1][10 20 30][1 0 0 0 1 0 0 0 1][0 0 0 0 0 0]";
                display.onData("gl", hand.constData());
                QThread::msleep(2);
            }
        }));
        feeder->start();

        QTRY_VERIFY(display.sceneGraph()->find("6d_0"));
        auto *body = dynamic_cast<Scenegraph::PoseTransformationNode *>(display.sceneGraph()->find("6d_0"));
        QVERIFY(body);
        const float first = body->transform()->translation().x();
        QTRY_VERIFY(body->transform()->translation().x() > first + 10);
        // The body has a node; the marker is an instance of the cloud.
        QTRY_VERIFY(display.trackedTargetBuilder()->nodeCount() == 1);
        QTRY_VERIFY(display.trackedTargetBuilder()->markerCloud()->count() == 1);
        QTRY_VERIFY(display.sceneGraph()->find("gl_0_finger_0"));
        QTest::qWait(200);

        stop = true;
        QVERIFY(feeder->wait(5000));
        QVERIFY(accepted > 0);
        display.onMeasurementStopped();
        display.hide();
        QCOMPARE(channel.removedListeners(), channel.addedListeners());
    }

    void instancedMarkersReachTheScreen()
    {
        FakeChannel channel;
        HoloviewDataDisplay display(nullptr, &channel, nullptr);
        QVERIFY(showExposed(display, QSize(640, 480)));
        GUI::Zel3DWindowWrapper *window = display.window3D();
        window->defaultFrameGraph()->setClearColor(Qt::black);
        // Marker blue: no red, green three quarters of blue, whatever the light.
        auto markerPixels = [window] {
            const QImage shot = window->screen()->grabWindow(window->winId()).toImage();
            int n = 0;
            for (int y = 0; y < shot.height(); ++y) {
                for (int x = 0; x < shot.width(); ++x) {
                    const QColor c = shot.pixelColor(x, y);
                    n += c.red() < 40 && c.blue() > 90 && c.green() > 0.6 * c.blue() && c.green() < 0.9 * c.blue();
                }
            }
            return n;
        };
        QTest::qWait(300);
        const int before = markerPixels();

        // 49 markers around the room's origin, with fresh ids every frame:
        // the shader places each instance where its marker is.
        display.onMeasurementStarted();
        int after = 0;
        for (int frame = 0; frame < 100 && after < before + 49; ++frame) {
            QByteArray line = "3d 49";
            for (int m = 0; m < 49; ++m)
                line += " [" + QByteArray::number(frame * 49 + m) + " 1.0][" + QByteArray::number((m % 7 - 3) * 150)
                    + " " + QByteArray::number((m / 7 - 3) * 150) + " 0]";
            QCOMPARE(display.onData("3d", line.constData()), 0);
            QTest::qWait(50);
            after = markerPixels();
        }
        QCOMPARE(display.trackedTargetBuilder()->markerCloud()->count(), 49);
        QVERIFY2(after >= before + 49, qPrintable(QStringLiteral("%1 marker pixels, %2 before").arg(after).arg(before)));
        display.onMeasurementStopped();
    }

    // From across a hall a marker is still a dot one can see and a body's
    // number still reads; close up the number does not fill the view.
    void markersAndLabelsReadAtEveryDistance()
    {
        FakeChannel channel;
        HoloviewDataDisplay display(nullptr, &channel, nullptr);
        QVERIFY(showExposed(display, QSize(640, 480)));
        GUI::Zel3DWindowWrapper *window = display.window3D();
        window->defaultFrameGraph()->setClearColor(Qt::black);
        // Every id on (one switch turns them all off, then all on).
        if (window->showLabels())
            window->toggleShowLabels();
        window->toggleShowLabels();
        // Rows with a white pixel (the label's text), pixels of marker blue.
        auto measure = [window](int *labelRows, int *markerPixels) {
            const QImage shot = window->screen()->grabWindow(window->winId()).toImage();
            *labelRows = *markerPixels = 0;
            for (int y = 0; y < shot.height(); ++y) {
                bool white = false;
                for (int x = 0; x < shot.width(); ++x) {
                    const QColor c = shot.pixelColor(x, y);
                    white = white || (c.red() > 180 && c.green() > 180 && c.blue() > 180);
                    *markerPixels += c.red() < 40 && c.blue() > 90 && c.green() > 0.6 * c.blue() && c.green() < 0.9 * c.blue();
                }
                *labelRows += white;
            }
        };
        display.onMeasurementStarted();
        // A body far off to the side, so that its label does not cover the marker.
        const char line6d[] = "6d 1 [0 1.0][0 0 1500][1 0 0 0 1 0 0 0 1]";
        const char line3d[] = "3d 1 [7 1.0][0 0 0]";
        Qt3DRender::QCamera *camera = window->camera();
        for (const float distance : {18000.0f, 900.0f}) {
            camera->setViewCenter(QVector3D(0, 0, distance < 1000 ? 1500 : 0));
            camera->setPosition(camera->viewCenter() + QVector3D(0, -distance, 0));
            int rows = 0, pixels = 0;
            for (int frame = 0; frame < 40; ++frame) {
                display.onData("6d", line6d);
                display.onData("3d", line3d);
                QTest::qWait(50);
                measure(&rows, &pixels);
                if (rows >= 6 && (distance < 1000 || pixels >= 20))
                    break;
            }
            if (distance > 1000) {
                QVERIFY2(pixels >= 20, qPrintable(QStringLiteral("%1 marker pixels at 18 m").arg(pixels)));
                QVERIFY2(rows >= 6, qPrintable(QStringLiteral("label %1 rows high at 18 m").arg(rows)));
            } else {
                QVERIFY2(rows >= 6 && rows <= 30, qPrintable(QStringLiteral("label %1 rows high at 0.9 m").arg(rows)));
            }
        }
        display.onMeasurementStopped();
    }

    // Labels come and go with every switch, every rebuild, every stop and
    // start, while the renderer runs: the scene must stand it and show them.
    void labelsSurviveRebuildsWhileRendering()
    {
        FakeChannel channel;
        channel.reply("quorix2 get camera number_of_cameras", "quorix2 set camera number_of_cameras 2");
        channel.reply("quorix2 get tracking room c01", "quorix2 set tracking room c01 1500 0 2000 1 0 0 0 1 0 0 0 1");
        channel.reply("quorix2 get tracking room c02", "quorix2 set tracking room c02 -1500 0 2000 1 0 0 0 1 0 0 0 1");
        HoloviewDataDisplay display(nullptr, &channel, nullptr);
        QVERIFY(showExposed(display, QSize(640, 480)));
        GUI::Zel3DWindowWrapper *window = display.window3D();
        window->defaultFrameGraph()->setClearColor(Qt::black);
        auto whitePixels = [window] {
            const QImage shot = window->screen()->grabWindow(window->winId()).toImage();
            int n = 0;
            for (int y = 0; y < shot.height(); ++y)
                for (int x = 0; x < shot.width(); ++x) {
                    const QColor c = shot.pixelColor(x, y);
                    n += c.red() > 180 && c.green() > 180 && c.blue() > 180;
                }
            return n;
        };
        auto feed = [&display](int i) {
            const QByteArray line = "6d 2 [0 1.0][" + QByteArray::number(i % 300) + " 0 0][1 0 0 0 1 0 0 0 1]"
                                    "[1 1.0][-300 " + QByteArray::number(i % 200) + " 100][1 0 0 0 1 0 0 0 1]";
            display.onData("6d", line.constData());
            display.onData("3d", ("3d 1 [" + QByteArray::number(i) + " 1.0][0 0 " + QByteArray::number(i % 50) + "]").constData());
        };

        if (window->showLabels())
            window->toggleShowLabels();
        int i = 0;
        for (int round = 0; round < 6; ++round) {
            display.onMeasurementStarted();
            for (int step = 0; step < 8; ++step) {
                feed(i++);
                window->toggleShowLabels();
                if (step % 3 == 0)
                    window->toggleShow3DMarker();
                QTest::qWait(40);
            }
            display.onMeasurementStopped();
            QTest::qWait(40);
        }
        // What is white without labels (the grid may be), then with them.
        if (window->showLabels())
            window->toggleShowLabels();
        display.onMeasurementStarted();
        for (int frame = 0; frame < 10; ++frame) {
            feed(i++);
            QTest::qWait(50);
        }
        window->doFitView();
        QTest::qWait(300);
        const int without = whitePixels();
        window->toggleShowLabels();
        int shown = 0;
        for (int frame = 0; frame < 60 && shown < without + 30; ++frame) {
            feed(i++);
            QTest::qWait(50);
            shown = whitePixels();
        }
        QVERIFY(display.sceneGraph()->find("6d_0_label"));
        QVERIFY2(shown >= without + 30, qPrintable(QStringLiteral("%1 white pixels, %2 without labels").arg(shown).arg(without)));
        window->toggleShowLabels();
        QTRY_VERIFY_WITH_TIMEOUT(whitePixels() <= without + 10, 5000);
        display.onMeasurementStopped();
    }

    void mouseDragMovesTheCamera()
    {
        FakeChannel channel;
        HoloviewDataDisplay display(nullptr, &channel, nullptr);
        QVERIFY(showExposed(display, QSize(640, 480)));
        GUI::Zel3DWindowWrapper *window = display.window3D();

        // The scene's input comes from the window itself: a drag reaches the
        // orbit camera through the input aspect, frame by frame.
        const QVector3D before = window->camera()->position();
        const QPoint start(window->width() / 2, window->height() / 2);
        QTest::mousePress(window, Qt::LeftButton, Qt::NoModifier, start);
        for (int i = 1; i <= 20 && window->camera()->position() == before; ++i) {
            QTest::mouseMove(window, start + QPoint(6 * i, 3 * i));
            QTest::qWait(30);
        }
        QTRY_VERIFY(window->camera()->position() != before);
        QTest::mouseRelease(window, Qt::LeftButton, Qt::NoModifier, start + QPoint(120, 60));
    }

    void idleViewStillShowsChanges()
    {
        FakeChannel channel;
        HoloviewDataDisplay display(nullptr, &channel, nullptr);
        QVERIFY(showExposed(display, QSize(400, 300)));
        GUI::Zel3DWindowWrapper *window = display.window3D();

        // Without input the window falls back to its heartbeat, yet a change
        // made then (here by nobody asking for frames) still reaches the screen.
        QTRY_COMPARE_WITH_TIMEOUT(window->frameInterval(), int(GUI::SceneWindow::IdleFrameMs), 5000);
        window->defaultFrameGraph()->setClearColor(Qt::red);
        // A corner: the middle shows the world axes.
        auto corner = [window] {
            const QImage shot = window->screen()->grabWindow(window->winId()).toImage();
            return shot.isNull() ? QColor() : shot.pixelColor(3, 3);
        };
        QTRY_COMPARE_WITH_TIMEOUT(corner(), QColor(Qt::red), 5000);
        QCOMPARE(window->frameInterval(), int(GUI::SceneWindow::IdleFrameMs));

        window->requestFrames();
        QCOMPARE(window->frameInterval(), int(GUI::SceneWindow::ActiveFrameMs));
    }

    void uncoveredViewIsRedrawn()
    {
        FakeChannel channel;
        HoloviewDataDisplay display(nullptr, &channel, nullptr);
        QVERIFY(showExposed(display, QSize(400, 300)));
        GUI::Zel3DWindowWrapper *window = display.window3D();
        QTRY_COMPARE_WITH_TIMEOUT(window->frameInterval(), int(GUI::SceneWindow::IdleFrameMs), 5000);
        auto corner = [window] {
            const QImage shot = window->screen()->grabWindow(window->winId()).toImage();
            return shot.isNull() ? QColor() : shot.pixelColor(3, 3);
        };
        const QColor background = corner();

        // A dialog over the idle view, then gone: nothing in the scene changed,
        // yet the view must not keep showing the dialog.
        QWidget cover(nullptr, Qt::FramelessWindowHint);
        cover.setAutoFillBackground(true);
        QPalette red;
        red.setColor(QPalette::Window, Qt::red);
        cover.setPalette(red);
        cover.setGeometry(QRect(window->mapToGlobal(QPoint(0, 0)), QSize(60, 60)));
        cover.show();
        QVERIFY(QTest::qWaitForWindowExposed(&cover));
        QTRY_COMPARE_WITH_TIMEOUT(corner(), QColor(Qt::red), 5000);
        cover.hide();
        QTRY_COMPARE_WITH_TIMEOUT(corner(), background, 5000);
    }

    void measuredDataIsShownAtASteadyRate()
    {
        FakeChannel channel;
        HoloviewDataDisplay display(nullptr, &channel, nullptr);
        QVERIFY(showExposed(display, QSize(400, 300)));
        GUI::Zel3DWindowWrapper *window = display.window3D();
        QTRY_COMPARE_WITH_TIMEOUT(window->frameInterval(), int(GUI::SceneWindow::IdleFrameMs), 5000);

        // Data every 20 ms, as the display's timer brings it.
        QTimer data;
        data.setInterval(20);
        connect(&data, &QTimer::timeout, window, &GUI::SceneWindow::requestDataFrames);
        data.start();
        QTRY_COMPARE(window->frameInterval(), int(GUI::SceneWindow::DataFrameMs));

        // Input meanwhile is followed at the display's rate, and the data's
        // rate comes back once the input is over.
        window->requestFrames();
        QTest::qWait(100);
        QCOMPARE(window->frameInterval(), int(GUI::SceneWindow::ActiveFrameMs));
        QTRY_COMPARE_WITH_TIMEOUT(window->frameInterval(), int(GUI::SceneWindow::DataFrameMs), 5000);

        data.stop();
        QTRY_COMPARE_WITH_TIMEOUT(window->frameInterval(), int(GUI::SceneWindow::IdleFrameMs), 5000);
    }

private:
    // Shows the display and waits until its 3D window is on screen.
    static bool showExposed(HoloviewDataDisplay &display, const QSize &size)
    {
        display.resize(size);
        display.show();
        return QTest::qWaitForWindowExposed(&display)
            && QTest::qWaitFor([&display] { return display.window3D()->isExposed(); });
    }

    std::unique_ptr<TestHome> m_home;
};

QTEST_MAIN(HoloviewRenderingTest)
#include "tst_HoloviewRendering.moc"
