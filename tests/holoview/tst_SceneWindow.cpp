#include "SceneWindow.h"

#include <Qt3DCore/QEntity>
#include <Qt3DRender/QCamera>

#include <QPointer>
#include <QSurfaceFormat>
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
