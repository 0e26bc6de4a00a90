#include "SceneWindow.h"

#include <Qt3DCore/QEntity>
#include <Qt3DRender/QCamera>
#include <Qt3DRender/QRenderSettings>

#include <QPointer>
#include <QSurfaceFormat>
#include <QVBoxLayout>
#include <QWidget>
#include <QtTest>

using GUI::SceneWindow;

// The Qt3D window the 3D monitor draws into: who deletes the scene, and the
// surface its renderer is made for.
class SceneWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void rendersWithoutMultisampling()
    {
        SceneWindow window;
        QCOMPARE(window.format().samples() > 1, false);
        QCOMPARE(window.format().depthBufferSize(), 24);
        window.show();
        // The renderer makes its context from the default format when the
        // window first shows; four samples there would cost every frame.
        QCOMPARE(QSurfaceFormat::defaultFormat().samples() > 1, false);
    }

    void destroyedRightAfterConstruction()
    {
        // Qt3D could not stop a render thread that had only just started;
        // the display creates and drops windows this way in its tests and
        // when a module is unloaded early.
        for (int i = 0; i < 20; ++i) {
            auto *window = new SceneWindow;
            window->setRootEntity(new Qt3DCore::QEntity);
            delete window;
        }
        auto shown = std::make_unique<SceneWindow>();
        shown->show();
        shown.reset();
    }

    void sceneOwnership_data()
    {
        QTest::addColumn<bool>("shown");
        QTest::newRow("never shown") << false;
        QTest::newRow("shown") << true;
    }
    void sceneOwnership()
    {
        QFETCH(bool, shown);
        auto *window = new SceneWindow;
        QPointer<Qt3DCore::QEntity> root = new Qt3DCore::QEntity;
        QPointer<Qt3DCore::QEntity> child = new Qt3DCore::QEntity(root);
        window->setRootEntity(root);
        if (shown) {
            window->resize(320, 200);
            window->show();
            QCoreApplication::processEvents();
        }
        delete window;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(root.isNull());
        QVERIFY(child.isNull());
    }

    void sceneDeletedFirst()
    {
        // The display deletes its scene graph before the window goes.
        auto window = std::make_unique<SceneWindow>();
        auto *root = new Qt3DCore::QEntity;
        window->setRootEntity(root);
        window->show();
        QCoreApplication::processEvents();
        delete root;
        window->setRootEntity(nullptr);
        window.reset();
    }

    void replacedRootIsReleased()
    {
        SceneWindow window;
        auto first = std::make_unique<Qt3DCore::QEntity>();
        window.setRootEntity(first.get());
        auto *second = new Qt3DCore::QEntity;
        window.setRootEntity(second);
        QCOMPARE(first->parent(), nullptr);
        QVERIFY(second->parent());
    }

    void releasedWhileItsContainerStands()
    {
        // As the main window goes: the renderer, drawing all the time, ends
        // while the container and the window's surface still exist; what
        // reaches the window afterwards (a resize, input, the container
        // going) finds no scene and draws nothing.
        static QStringList warnings;
        warnings.clear();
        const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &,
                                                                    const QString &text) {
            if (type != QtDebugMsg && text.contains(QLatin1String("context current")))
                warnings << text;
        });
        for (int i = 0; i < 6; ++i) {
            auto top = std::make_unique<QWidget>();
            auto *window = new SceneWindow;
            window->setRootEntity(new Qt3DCore::QEntity);
            auto *layout = new QVBoxLayout(top.get());
            layout->addWidget(QWidget::createWindowContainer(window, top.get()));
            top->resize(400, 300);
            top->show();
            QTRY_VERIFY(window->isExposed());
            window->renderSettings()->setRenderPolicy(Qt3DRender::QRenderSettings::Always);
            QTest::qWait(20 * i);
            top->hide();
            window->releaseScene();
            QVERIFY(window->handle());
            QCOMPARE(window->camera(), nullptr);
            top->resize(400, 200);
            top->show();
            QTest::mouseClick(window, Qt::LeftButton);
            QCoreApplication::processEvents();
            top.reset();
        }
        qInstallMessageHandler(previous);
        QCOMPARE(warnings, QStringList());
    }

    void resizeKeepsTheCameraUndistorted()
    {
        SceneWindow window;
        window.resize(800, 200);
        window.show();
        QTRY_COMPARE(window.camera()->aspectRatio(), 4.0f);
        window.resize(300, 0);
        QTRY_VERIFY(window.camera()->aspectRatio() > 0.0f);
    }
};

QTEST_MAIN(SceneWindowTest)
#include "tst_SceneWindow.moc"
