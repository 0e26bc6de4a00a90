#include "CameraBuilder.h"
#include "DisplaySettingsData.h"
#include "FakeChannel.h"
#include "LabelNode.h"
#include "MarkerCloud.h"
#include "PoseTransformationNode.h"
#include "RenderableNode.h"
#include "SceneGraph.h"
#include "SceneObjects.h"
#include "StaticData.h"
#include "TrackedFrame.h"
#include "TrackedTargetBuilder.h"
#include "WorldBuilder.h"

#include <Qt3DCore/QEntity>
#include <Qt3DCore/QTransform>
#include <Qt3DExtras/QPhongMaterial>
#include <Qt3DRender/QGeometryRenderer>
#include <Qt3DRender/QAttribute>
#include <Qt3DRender/QBuffer>
#include <Qt3DRender/QGeometry>
#include <Qt3DRender/QShaderProgram>

#include <QtTest>

#include <memory>
#include <random>
#include <set>

using namespace Scenegraph;
using Configuration::DisplaySettingsData;
using Logic::StaticData;
using Logic::TrackedFrame;
using Logic::TrackedTarget;

namespace {

// Walks the tree: every named node must be registered under its name in this
// graph, and the registry must hold no name the tree lacks.
bool registryMatchesTree(const SceneGraph &graph, QString *fault)
{
    int named = 0;
    std::function<bool(const Node *)> walk = [&](const Node *node) {
        if (node->sceneGraph() != &graph) {
            *fault = QStringLiteral("node \"%1\" not marked as in the graph").arg(node->name());
            return false;
        }
        if (!node->name().isEmpty()) {
            ++named;
            if (graph.find(node->name()) != node) {
                *fault = QStringLiteral("node \"%1\" not registered").arg(node->name());
                return false;
            }
        }
        for (const std::shared_ptr<Node> &child : node->children()) {
            if (child->parent() != node || !walk(child.get()))
                return false;
        }
        return true;
    };
    if (!walk(graph.rootNode().get()))
        return false;
    if (graph.registeredNames().size() != named) {
        *fault = QStringLiteral("registry holds %1 names, tree %2").arg(graph.registeredNames().size()).arg(named);
        return false;
    }
    return true;
}

#define CHECK_REGISTRY(graph)                                                                                          \
    do {                                                                                                               \
        QString fault;                                                                                                 \
        QVERIFY2(registryMatchesTree(graph, &fault), qPrintable(fault));                                               \
    } while (false)

QByteArray number(int n)
{
    return QByteArray::number(n).rightJustified(2, '0');
}

// A Controller with standard bodies and gripwands of 'markers' markers each
// (marker m of target b at b, m, 0) and calibrated cameras (camera c at c·1000).
void scriptStaticData(FakeChannel &c, int bodies, int gripwands, int markers, int cameras)
{
    const struct {
        const char *word;
        int count;
    } families[] = {{"standard", bodies}, {"gripwand", gripwands}};
    for (const auto &f : families) {
        const QByteArray w = f.word;
        c.reply("quorix2 get body number_of_bodies " + w,
                "quorix2 set body number_of_bodies " + w + " " + QByteArray::number(f.count));
        for (int b = 1; b <= f.count; ++b) {
            c.reply("quorix2 get body number_of_marker " + w + " b" + number(b),
                    "quorix2 set body number_of_marker " + w + " b" + number(b) + " " + QByteArray::number(markers));
            for (int m = 1; m <= markers; ++m) {
                const QByteArray command = "body marker " + w + " b" + number(b) + " m" + number(m);
                c.reply("quorix2 get " + command,
                        "quorix2 set " + command + " " + QByteArray::number(b) + " " + QByteArray::number(m) + " 0");
            }
        }
    }
    c.reply("quorix2 get camera number_of_cameras", "quorix2 set camera number_of_cameras " + QByteArray::number(cameras));
    for (int i = 1; i <= cameras; ++i) {
        const QByteArray command = "tracking room c" + number(i);
        c.reply("quorix2 get " + command,
                "quorix2 set " + command + " " + QByteArray::number(i * 1000) + " 0 0 1 0 0 0 1 0 0 0 1");
    }
}

TrackedTarget target(int kind, int state, double x = 0)
{
    TrackedTarget t;
    t.kind = kind;
    t.state = state;
    t.pose[0] = x;
    return t;
}

QVector3D translation(Node *node)
{
    auto *pose = dynamic_cast<PoseTransformationNode *>(node);
    return pose ? pose->transform()->translation() : QVector3D(-1, -1, -1);
}

// What a node draws itself with: its material, and the scale of its transform.
Qt3DExtras::QPhongMaterial *ownMaterial(const Node *node)
{
    const auto materials = node->entity()->componentsOfType<Qt3DExtras::QPhongMaterial>();
    return materials.isEmpty() ? nullptr : materials.first();
}

// What draws a node: its renderables, and those of its axes.
int renderables(const Node *node)
{
    int n = 0;
    for (const std::shared_ptr<Node> &child : node->children())
        n += dynamic_cast<RenderableNode *>(child.get()) ? 1 : 0;
    if (const Node *axes = SceneObjects::axesOf(node))
        n += renderables(axes);
    return n;
}

} // namespace

class TestSceneContent : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
    void frustumGeometry();
    void worldFollowsSettings();
    void camerasPerCalibratedCamera();
    void cameraListChanges();
    void targetsMoveEnableAndLeave();
    void switchesRebuildAtNextFrame();
    void staticMarkers();
    void toolsAndReferencesDrawnApart();
    void costFollowsTrackedTargets();
    void markerNodesReusedWhenIdsChurn();
    void markersDrawnTogether();
    void labels();
    void labelsOutliveRebuilds();
    void handsAndInertialBodies();
    void churnKeepsRegistryInStep();
    void shadersLiveAsLongAsTheScene();
};

void TestSceneContent::frustumGeometry()
{
    QVERIFY(qAbs(SceneObjects::frustumDepth() - 0.4847) < 1e-4);
    const QVector<float> v = SceneObjects::frustumVertices();
    QCOMPARE(v.size(), 15);
    QCOMPARE(QVector3D(v[3], v[4], v[5]), QVector3D(-0.625f, -0.5f, -float(SceneObjects::frustumDepth())));
    QCOMPARE(QVector3D(v[9], v[10], v[11]), QVector3D(0.625f, 0.5f, -float(SceneObjects::frustumDepth())));
    QCOMPARE(SceneObjects::frustumIndices(),
             (QVector<quint16>{0, 1, 0, 2, 0, 3, 0, 4, 1, 2, 2, 3, 3, 4, 4, 1}));

    SceneGraph graph;
    auto frustum = SceneObjects::frustum(graph, QStringLiteral("f"));
    QCOMPARE(frustum->transform()->scale(), 15.0f);
    QCOMPARE(renderables(frustum.get()), 1);
    auto *r = static_cast<RenderableNode *>(frustum->children()[0].get());
    QCOMPARE(r->transform()->scale(), 15.0f);
    // Its own mesh, owned by the entity that draws it.
    QVERIFY(r->mesh() != graph.mesh(Mesh::UnitLine));
    QCOMPARE(r->mesh()->parent(), r->entity());
    QCOMPARE(r->material(), graph.material(Material::Yellow));

    // The axes point along x, y and z.
    auto axes = SceneObjects::axes(graph, QStringLiteral("a"), 100);
    QCOMPARE(renderables(axes.get()), 3);
    const QVector3D expected[] = {{100, 0, 0}, {0, 100, 0}, {0, 0, 100}};
    for (int i = 0; i < 3; ++i) {
        auto *line = static_cast<RenderableNode *>(SceneObjects::axesOf(axes.get())->children()[size_t(i)].get());
        const QVector3D tip = line->transform()->matrix().map(QVector3D(0, 0, 1));
        QVERIFY2((tip - expected[i]).length() < 1e-3, qPrintable(QString::number(i)));
    }
    auto cs = SceneObjects::coordinateSystem(graph, QStringLiteral("cs"), 400, 6);
    for (int i = 0; i < 3; ++i) {
        auto *cylinder = static_cast<RenderableNode *>(cs->children()[size_t(i)].get());
        const QVector3D tip = cylinder->transform()->matrix().map(QVector3D(0, 0.5f, 0));
        QVERIFY2((tip - expected[i] * 4).length() < 1e-3, qPrintable(QString::number(i)));
    }
}

void TestSceneContent::worldFollowsSettings()
{
    SceneGraph graph;
    DisplaySettingsData display;
    {
        WorldBuilder world(&graph);
        QVERIFY(graph.find("Global") && graph.find("Global2D"));
        QVERIFY(!graph.find("GlobalGrid"));

        world.setSettings(display, 0);
        QVERIFY(graph.find("GlobalGrid") && graph.find("GlobalCS"));
        QCOMPARE(graph.find("GlobalGrid")->parent(), graph.find("Global"));
        Node *axes = graph.find("GlobalCS");

        // Plane 1 turns the grid upright; the axes stay the same node.
        world.setSettings(display, 1);
        auto *grid = static_cast<RenderableNode *>(graph.find("GlobalGrid")->children()[0].get());
        QVERIFY((grid->transform()->matrix().map(QVector3D(0, 1, 0)) - QVector3D(0, 0, -2000)).length() < 1e-2);
        QCOMPARE(graph.find("GlobalCS"), axes);

        display.worldShowGrid = false;
        display.worldShowCS = false;
        world.setSettings(display, 1);
        QVERIFY(!graph.find("GlobalGrid") && !graph.find("GlobalCS"));
        CHECK_REGISTRY(graph);
    }
    QCOMPARE(graph.registeredNames(), QStringList{"root"});
}

void TestSceneContent::camerasPerCalibratedCamera()
{
    FakeChannel channel;
    scriptStaticData(channel, 0, 0, 0, 3);
    StaticData data(&channel, nullptr);
    data.update();
    SceneGraph graph;
    DisplaySettingsData display;

    {
        CameraBuilder cameras(&graph, display);
        cameras.setStaticData(&data);
        for (int i = 0; i < 3; ++i) {
            Node *camera = graph.find(QStringLiteral("camera_%1").arg(i));
            QVERIFY(camera);
            QCOMPARE(camera->parent(), graph.find("Cameras"));
            QCOMPARE(translation(camera), QVector3D((i + 1) * 1000, 0, 0));
            QVERIFY(graph.find(QStringLiteral("camera_%1_frustum").arg(i)));
            // Labelled with the camera's number, beside it.
            auto *label = dynamic_cast<LabelNode *>(graph.find(QStringLiteral("camera_%1_label").arg(i)));
            QVERIFY(label);
            QCOMPARE(label->text(), QString::number(i + 1));
            QVERIFY((translation(label) - translation(camera)).length() < 2 * CameraBuilder::LabelHeight);
        }
        // All calibrated: no warning node is needed.
        QVERIFY(!graph.find("RoomCalibrationWarning"));
        CHECK_REGISTRY(graph);

        display.cameraShowFrustum = false;
        cameras.setSettings(display);
        // The numbers stay where the cameras hang.
        QCOMPARE(graph.find("Cameras")->children().size(), size_t(3));
        QVERIFY(graph.find("camera_2_label") && !graph.find("camera_2"));
        display.cameraShowIDs = false;
        cameras.setSettings(display);
        QCOMPARE(graph.find("Cameras")->children().size(), size_t(0));
        QCOMPARE(cameras.nodeCount(), 0);
        // A later static-data build must not find forgotten nodes either.
        cameras.setStaticData(&data);
        QCOMPARE(graph.find("Cameras")->children().size(), size_t(0));
        CHECK_REGISTRY(graph);
    }
    QCOMPARE(graph.registeredNames(), QStringList{"root"});
}

void TestSceneContent::cameraListChanges()
{
    FakeChannel channel;
    scriptStaticData(channel, 0, 0, 0, 3);
    StaticData data(&channel, nullptr);
    data.update();
    SceneGraph graph;
    auto cameras = std::make_unique<CameraBuilder>(&graph);
    cameras->setStaticData(&data);
    Node *first = graph.find("camera_0");

    // Camera 2 loses its room calibration: two records, the last one moves up.
    channel.reply("quorix2 get tracking room c02", "quorix2 set tracking room c02 none");
    data.update();
    QTest::ignoreMessage(QtDebugMsg, "WARNING: some cameras have no room calibration!");
    cameras->setStaticData(&data);
    QCOMPARE(graph.find("camera_0"), first);  // moved, not rebuilt
    QCOMPARE(translation(graph.find("camera_1")), QVector3D(3000, 0, 0));
    QVERIFY(!graph.find("camera_2"));
    Node *warning = graph.find("RoomCalibrationWarning");
    QVERIFY(warning);
    QCOMPARE(warning->parent(), graph.root());
    QVERIFY(warning->entity()->isEnabled());

    scriptStaticData(channel, 0, 0, 0, 3);
    data.update();
    cameras->setStaticData(&data);
    QCOMPARE(graph.find("RoomCalibrationWarning"), warning);
    QVERIFY(!warning->entity()->isEnabled());
    QVERIFY(graph.find("camera_2"));
    CHECK_REGISTRY(graph);

    // A replacement made while its predecessor still holds the names takes
    // them over with its first build.
    auto successor = std::make_unique<CameraBuilder>(&graph);
    cameras.reset();
    successor->setStaticData(&data);
    QVERIFY(graph.find("Cameras"));
    QCOMPARE(graph.find("camera_2")->parent(), graph.find("Cameras"));
    CHECK_REGISTRY(graph);
    successor.reset();
    QCOMPARE(graph.registeredNames(), QStringList{"root"});
}

void TestSceneContent::targetsMoveEnableAndLeave()
{
    FakeChannel channel;
    scriptStaticData(channel, 3, 0, 0, 0);
    StaticData data(&channel, nullptr);
    data.update();
    SceneGraph graph;
    auto targets = std::make_unique<TrackedTargetBuilder>(&graph);
    targets->setStaticData(&data);

    TrackedFrame frame;
    frame.setTimeStamp(12.5);
    frame.insert(1, target(TrackedTarget::StandardBody, TrackedTarget::FullPose, 10));
    frame.insert(2, target(TrackedTarget::StandardBody, TrackedTarget::FullPose, 20));
    frame.insert(4007, target(TrackedTarget::Marker, TrackedTarget::PositionOnly, 70));
    targets->setFrame(frame);
    QCOMPARE(targets->frame().timeStamp(), 12.5);
    Node *body = graph.find("6d_1");
    QVERIFY(body);
    QCOMPARE(body->parent(), graph.find("TrackedTargets"));
    QCOMPARE(renderables(body), 3);
    QCOMPARE(translation(body), QVector3D(10, 0, 0));
    // Markers have no node of their own: the cloud draws them.
    QVERIFY(!graph.find("3d_7"));
    const MarkerCloud *markers = targets->markerCloud();
    QVERIFY(graph.find("TrackedMarkers") == markers);
    QCOMPARE(markers->count(), 1);
    QCOMPARE(markers->position(0), QVector3D(70, 0, 0));

    // Body 1 is lost: same node, disabled with its subtree. Body 2 leaves.
    frame.clear();
    frame.insert(1, target(TrackedTarget::StandardBody, TrackedTarget::NotTracked, 11));
    frame.insert(4007, target(TrackedTarget::Marker, TrackedTarget::PositionOnly, 71));
    targets->setFrame(frame);
    QCOMPARE(graph.find("6d_1"), body);
    QVERIFY(!body->entity()->isEnabled());
    QVERIFY(!body->children()[0]->entity()->isEnabled());
    QVERIFY(!graph.find("bodyCal_1")->entity()->isEnabled());
    QVERIFY(!graph.find("6d_2"));
    QVERIFY(!graph.find("bodyCal_2"));
    QCOMPARE(targets->nodeName(2), QString());
    QCOMPARE(markers->count(), 1);
    QCOMPARE(markers->position(0), QVector3D(71, 0, 0));

    frame.insert(1, target(TrackedTarget::StandardBody, TrackedTarget::OrientationOnly));
    targets->setFrame(frame);
    QVERIFY(body->entity()->isEnabled());
    QVERIFY(graph.find("bodyCal_1")->entity()->isEnabled());
    CHECK_REGISTRY(graph);

    targets.reset();
    QCOMPARE(graph.registeredNames(), QStringList{"root"});
}

void TestSceneContent::switchesRebuildAtNextFrame()
{
    SceneGraph graph;
    DisplaySettingsData display;
    TrackedTargetBuilder targets(&graph, display);
    TrackedFrame frame;
    frame.insert(0, target(TrackedTarget::StandardBody, TrackedTarget::FullPose));
    frame.insert(1001, target(TrackedTarget::Gripwand, TrackedTarget::FullPose));
    frame.insert(4000, target(TrackedTarget::Marker, TrackedTarget::PositionOnly));
    // The body and the gripwand look for their markers; the marker has no node.
    QTest::ignoreMessage(QtDebugMsg, "WARNING: no static data available!");
    QTest::ignoreMessage(QtDebugMsg, "WARNING: no static data available!");
    targets.setFrame(frame);
    Node *body = graph.find("6d_0");
    QCOMPARE(renderables(body), 3);
    QCOMPARE(renderables(graph.find("6df2_1")), 3);

    display.trackedBodyShowCOS = false;
    display.trackedMarker3DShowSphere = false;
    targets.setSettings(display);
    QVERIFY(targets.rebuildPending());
    QCOMPARE(graph.find("6d_0"), body);  // nothing happens before the next frame

    for (int i = 0; i < 2; ++i)
        QTest::ignoreMessage(QtDebugMsg, "WARNING: no static data available!");
    targets.setFrame(frame);
    QVERIFY(!targets.rebuildPending());
    QCOMPARE(renderables(graph.find("6d_0")), 0);
    QCOMPARE(renderables(graph.find("6df2_1")), 3);
    QCOMPARE(targets.markerCloud()->count(), 0);
    QVERIFY(!targets.markerCloud()->entity()->isEnabled());
    QCOMPARE(graph.find("TrackedTargets")->children().size(), size_t(2));
    CHECK_REGISTRY(graph);
}

void TestSceneContent::staticMarkers()
{
    FakeChannel channel;
    scriptStaticData(channel, 2, 1, 3, 0);
    StaticData data(&channel, nullptr);
    data.update();
    SceneGraph graph;
    DisplaySettingsData display;
    TrackedTargetBuilder targets(&graph, display);
    targets.setStaticData(&data);

    TrackedFrame frame;
    frame.insert(1, target(TrackedTarget::StandardBody, TrackedTarget::FullPose));
    frame.insert(5, target(TrackedTarget::StandardBody, TrackedTarget::FullPose));
    frame.insert(1000, target(TrackedTarget::Gripwand, TrackedTarget::FullPose));
    frame.insert(1002, target(TrackedTarget::Gripwand, TrackedTarget::FullPose));
    QTest::ignoreMessage(QtDebugMsg, "WARNING: no static data for body markers available! bodyId = 5 numBodies = 2");
    QTest::ignoreMessage(QtDebugMsg,
                         "WARNING: no static data for body markers available! gripwandId = 2 numGripwands = 1");
    targets.setFrame(frame);

    // Body id 1 draws the markers of body number 2, in its own coordinates.
    Node *calibration = graph.find("bodyCal_1");
    QVERIFY(calibration);
    QCOMPARE(calibration->parent(), graph.find("6d_1"));
    QCOMPARE(calibration->children().size(), size_t(3));
    Node *marker = graph.find("body_1_marker_2");
    QCOMPARE(marker->parent(), calibration);
    QCOMPARE(translation(marker), QVector3D(2, 3, 0));
    QCOMPARE(ownMaterial(marker), graph.material(Material::LightGrey));
    QVERIFY(graph.find("gripwand_0_marker_0"));
    QCOMPARE(ownMaterial(graph.find("gripwand_0_marker_0")), graph.material(Material::StandardGreen));
    // Without static data a target still gets its node.
    QVERIFY(graph.find("6d_5") && !graph.find("bodyCal_5"));
    QVERIFY(graph.find("6df2_2") && !graph.find("gripwandCal_2"));

    // Static data that failed half-way: body 2's marker count never came.
    channel.reply("quorix2 get body number_of_marker standard b02", "quorix2 err -3 \"busy\"");
    data.update();
    display.trackedGripwandShowMarkers = false;
    targets.setSettings(display);
    QTest::ignoreMessage(QtDebugMsg, "WARNING: no static data for body markers available! bodyId = 5 numBodies = 2");
    targets.setFrame(frame);
    QVERIFY(graph.find("bodyCal_1"));
    QCOMPARE(graph.find("bodyCal_1")->children().size(), size_t(0));
    QVERIFY(!graph.find("gripwandCal_0"));
    CHECK_REGISTRY(graph);
}

void TestSceneContent::toolsAndReferencesDrawnApart()
{
    SceneGraph graph;
    TrackedTargetBuilder targets(&graph);

    TrackedFrame frame;
    frame.insert(2005, target(TrackedTarget::MeasurementTool, TrackedTarget::FullPose, 1));
    frame.insert(3005, target(TrackedTarget::ToolReference, TrackedTarget::FullPose, 2));
    QTest::ignoreMessage(QtDebugMsg, "WARNING: no static data available!");
    QTest::ignoreMessage(QtDebugMsg, "WARNING: no static data available!");
    targets.setFrame(frame);
    QCOMPARE(graph.find("TrackedTargets")->children().size(), size_t(2));
    Node *tool = graph.find("6dmt_5");
    Node *reference = graph.find("6dmtr_5");
    QVERIFY(tool && reference && tool != reference);
    QCOMPARE(translation(tool), QVector3D(1, 0, 0));
    QCOMPARE(translation(reference), QVector3D(2, 0, 0));
    QCOMPARE(renderables(reference), 3);
    // The tool shows its tip: a sphere at its origin, and a shaft along +z.
    QCOMPARE(renderables(tool), 5);
    auto *tip = static_cast<RenderableNode *>(tool->children()[1].get());
    QCOMPARE(tip->mesh(), graph.mesh(Mesh::SmallSphere));
    QCOMPARE(tip->transform()->translation(), QVector3D());
    auto *shaft = static_cast<RenderableNode *>(tool->children()[2].get());
    QVERIFY((shaft->transform()->matrix().map(QVector3D(0, -0.5f, 0)) - QVector3D()).length() < 1e-3);
    QVERIFY((shaft->transform()->matrix().map(QVector3D(0, 0.5f, 0))
             - QVector3D(0, 0, SceneObjects::ToolShaftLength)).length() < 1e-3);

    // The tool leaves; the reference stays.
    frame.clear();
    frame.insert(3005, target(TrackedTarget::ToolReference, TrackedTarget::FullPose, 3));
    targets.setFrame(frame);
    QVERIFY(!graph.find("6dmt_5"));
    QCOMPARE(graph.find("6dmtr_5"), reference);
    QCOMPARE(translation(reference), QVector3D(3, 0, 0));
    CHECK_REGISTRY(graph);
}

void TestSceneContent::costFollowsTrackedTargets()
{
    // One line named body 999 once: the parser then holds 1000 body records,
    // and every later frame carries them all. Only tracked ones get nodes.
    SceneGraph graph;
    TrackedTargetBuilder targets(&graph);
    QtMessageHandler previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    TrackedFrame frame;
    for (int id = 0; id < 1000; ++id)
        frame.insert(id, target(TrackedTarget::StandardBody,
                                id < 20 || id == 999 ? TrackedTarget::FullPose : TrackedTarget::NotTracked));
    targets.setFrame(frame);
    QCOMPARE(targets.nodeCount(), 21);
    QCOMPARE(graph.find("TrackedTargets")->children().size(), size_t(21));

    // Body 999 is lost: its node stays, disabled; the others are untouched.
    frame.insert(999, target(TrackedTarget::StandardBody, TrackedTarget::NotTracked));
    targets.setFrame(frame);
    qInstallMessageHandler(previous);
    QCOMPARE(targets.nodeCount(), 21);
    QVERIFY(!graph.find("6d_999")->entity()->isEnabled());
    QVERIFY(!graph.find("6d_500"));
    CHECK_REGISTRY(graph);
}

void TestSceneContent::markerNodesReusedWhenIdsChurn()
{
    // With their labels on, markers get a node each.
    SceneGraph graph;
    DisplaySettingsData display;
    display.trackedMarker3DShowIDs = true;
    TrackedTargetBuilder targets(&graph, display);
    auto markers = [](int firstId, int count) {
        TrackedFrame frame;
        for (int i = 0; i < count; ++i)
            frame.insert(TrackedFrame::key(TrackedTarget::Marker, firstId + i),
                         target(TrackedTarget::Marker, TrackedTarget::PositionOnly, firstId + i));
        return frame;
    };
    targets.setFrame(markers(1, 200));
    std::set<Node *> made;
    for (const std::shared_ptr<Node> &child : graph.find("TrackedTargets")->children())
        made.insert(child.get());
    QCOMPARE(made.size(), size_t(200));

    // Every frame brings 200 ids never seen before: the same 200 nodes draw them.
    for (int round = 1; round <= 5; ++round) {
        targets.setFrame(markers(1 + 200 * round, 200));
        QCOMPARE(graph.find("TrackedTargets")->children().size(), size_t(200));
        Node *marker = graph.find(QStringLiteral("3d_%1").arg(200 * round + 17));
        QVERIFY(marker && made.count(marker));
        QVERIFY(marker->entity()->isEnabled());
        QCOMPARE(translation(marker), QVector3D(200 * round + 17, 0, 0));
        QVERIFY(!graph.find(QStringLiteral("3d_%1").arg(200 * (round - 1) + 17)));
        CHECK_REGISTRY(graph);
    }

    // Fewer markers: the rest wait disabled and unnamed.
    targets.setFrame(markers(5000, 50));
    QCOMPARE(targets.nodeCount(), 50);
    QCOMPARE(targets.spareMarkerCount(), 150);
    int enabled = 0;
    for (const std::shared_ptr<Node> &child : graph.find("TrackedTargets")->children())
        enabled += child->entity()->isEnabled() ? 1 : 0;
    QCOMPARE(enabled, 50);
    QCOMPARE(targets.markerCloud()->count(), 0);
    CHECK_REGISTRY(graph);
}

void TestSceneContent::markersDrawnTogether()
{
    SceneGraph graph;
    DisplaySettingsData display;
    TrackedTargetBuilder targets(&graph, display);
    const MarkerCloud *cloud = targets.markerCloud();
    const Qt3DRender::QBuffer *buffer = cloud->instanceBuffer();
    auto markers = [](int firstId, int count, int lost = -1) {
        TrackedFrame frame;
        for (int i = 0; i < count; ++i)
            frame.insert(TrackedFrame::key(TrackedTarget::Marker, firstId + i),
                         target(TrackedTarget::Marker, i == lost ? TrackedTarget::NotTracked
                                                                 : TrackedTarget::PositionOnly,
                                firstId + i));
        return frame;
    };
    QVERIFY(!cloud->entity()->isEnabled());

    // Ids never seen before every frame: one entity, one buffer, no nodes.
    for (int round = 0; round < 5; ++round) {
        targets.setFrame(markers(1 + 200 * round, 200));
        QCOMPARE(cloud->count(), 200);
        QCOMPARE(cloud->renderer()->instanceCount(), 200);
        QCOMPARE(cloud->instanceBuffer(), buffer);
        QCOMPARE(buffer->data().size(), int(200 * 3 * sizeof(float)));
        QCOMPARE(cloud->position(17), QVector3D(200 * round + 18, 0, 0));
        QVERIFY(cloud->entity()->isEnabled());
        QCOMPARE(targets.nodeCount(), 0);
        QVERIFY(graph.find("TrackedTargets")->children().empty());
    }

    // The instance attribute steps once per sphere and bounds them all.
    const auto *geometry = cloud->renderer()->geometry();
    Qt3DRender::QAttribute *instance = nullptr;
    for (Qt3DRender::QAttribute *attribute : geometry->attributes()) {
        if (attribute->name() == MarkerCloud::positionAttributeName())
            instance = attribute;
    }
    QVERIFY(instance);
    QCOMPARE(instance->divisor(), 1u);
    QCOMPARE(instance->count(), 200u);
    QCOMPARE(geometry->boundingVolumePositionAttribute(), instance);

    // A lost marker is left out; fewer markers, fewer instances.
    targets.setFrame(markers(5000, 50, 0));
    QCOMPARE(cloud->count(), 49);
    QCOMPARE(cloud->position(0), QVector3D(5001, 0, 0));
    QCOMPARE(instance->count(), 49u);
    targets.setFrame(TrackedFrame());
    QCOMPARE(cloud->count(), 0);
    QVERIFY(!cloud->entity()->isEnabled());

    // Labels on: the markers move to nodes of their own, and back.
    targets.setFrame(markers(1, 20));
    display.trackedMarker3DShowIDs = true;
    targets.setSettings(display);
    targets.setFrame(markers(1, 20));
    QCOMPARE(cloud->count(), 0);
    QVERIFY(graph.find("3d_5"));
    QVERIFY(graph.find("3d_5_label"));
    display.trackedMarker3DShowIDs = false;
    targets.setSettings(display);
    targets.setFrame(markers(1, 20));
    QCOMPARE(cloud->count(), 20);
    QVERIFY(!graph.find("3d_5"));
    QVERIFY(!graph.find("3d_5_label"));
    CHECK_REGISTRY(graph);
}

void TestSceneContent::labels()
{
    SceneGraph graph;
    DisplaySettingsData display;
    display.trackedBodyShowIDs = true;
    TrackedTargetBuilder targets(&graph, display);
    QtMessageHandler previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    TrackedFrame frame;
    frame.insert(3, target(TrackedTarget::StandardBody, TrackedTarget::FullPose, 100));
    frame.insert(1002, target(TrackedTarget::Gripwand, TrackedTarget::FullPose));
    frame.insert(4007, target(TrackedTarget::Marker, TrackedTarget::PositionOnly));
    targets.setFrame(frame);

    // Stored defaults: gripwand ids shown, marker ids not; bodies switched on here.
    auto *body = dynamic_cast<LabelNode *>(graph.find("6d_3_label"));
    QVERIFY(body);
    QCOMPARE(body->parent(), graph.find("TrackedTargetLabels"));
    QCOMPARE(body->text(), QString("3"));
    QVERIFY(translation(body).x() > 100);
    auto *gripwand = dynamic_cast<LabelNode *>(graph.find("6df2_2_label"));
    QVERIFY(gripwand);
    QCOMPARE(gripwand->text(), QString("G2"));
    QVERIFY(!graph.find("3d_7_label"));

    // A lost body hides its label with it.
    frame.insert(3, target(TrackedTarget::StandardBody, TrackedTarget::NotTracked));
    targets.setFrame(frame);
    QVERIFY(!body->entity()->isEnabled());

    display.trackedBodyShowIDs = false;
    display.trackedMarker3DShowIDs = true;
    targets.setSettings(display);
    targets.setFrame(frame);
    qInstallMessageHandler(previous);
    QVERIFY(!graph.find("6d_3_label"));
    QCOMPARE(dynamic_cast<LabelNode *>(graph.find("3d_7_label"))->text(), QString("7"));
    CHECK_REGISTRY(graph);
}

void TestSceneContent::labelsOutliveRebuilds()
{
    // A display switch rebuilds every target; the labels and their pictures
    // stay, so that switching often makes no textures for the renderer.
    SceneGraph graph;
    DisplaySettingsData display;
    display.trackedBodyShowIDs = true;
    TrackedTargetBuilder targets(&graph, display);
    QtMessageHandler previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    TrackedFrame frame;
    for (int id = 0; id < 20; ++id)
        frame.insert(TrackedFrame::key(TrackedTarget::StandardBody, id),
                     target(TrackedTarget::StandardBody, TrackedTarget::FullPose, id));
    targets.setFrame(frame);
    std::set<Node *> made;
    for (const std::shared_ptr<Node> &child : graph.find("TrackedTargetLabels")->children())
        made.insert(child.get());
    QCOMPARE(made.size(), size_t(20));

    for (int round = 0; round < 6; ++round) {
        display.trackedMarker3DShowSphere = !display.trackedMarker3DShowSphere;
        targets.setSettings(display);
        targets.setFrame(frame);
        QCOMPARE(graph.find("TrackedTargetLabels")->children().size(), size_t(20));
        auto *label = dynamic_cast<LabelNode *>(graph.find("6d_7_label"));
        QVERIFY(label && made.count(label));
        QVERIFY(label->entity()->isEnabled());
        QCOMPARE(label->text(), QString("7"));
        QCOMPARE(label->picture()->paintCount(), 1);
        CHECK_REGISTRY(graph);
    }

    // Labels switched off wait hidden; on again, they come back with their
    // new texts painted once.
    display.trackedBodyShowIDs = false;
    targets.setSettings(display);
    targets.setFrame(frame);
    QCOMPARE(targets.spareLabelCount(), 20);
    QVERIFY(!graph.find("6d_7_label"));
    display.trackedBodyShowIDs = true;
    targets.setSettings(display);
    frame.insert(TrackedFrame::key(TrackedTarget::StandardBody, 25),
                 target(TrackedTarget::StandardBody, TrackedTarget::FullPose, 25));
    targets.setFrame(frame);
    qInstallMessageHandler(previous);
    QCOMPARE(targets.spareLabelCount(), 0);
    QCOMPARE(graph.find("TrackedTargetLabels")->children().size(), size_t(21));
    auto *label = dynamic_cast<LabelNode *>(graph.find("6d_25_label"));
    QVERIFY(label && label->entity()->isEnabled());
    QCOMPARE(label->text(), QString("25"));
    QVERIFY(label->picture()->paintCount() <= 2);
    CHECK_REGISTRY(graph);
}

void TestSceneContent::handsAndInertialBodies()
{
    SceneGraph graph;
    DisplaySettingsData display;
    TrackedTargetBuilder targets(&graph, display);
    QtMessageHandler previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});

    TrackedFrame frame;
    Logic::TrackedHand hand;
    hand.id = 1;
    hand.tracked = true;
    hand.pose[0] = 500;
    hand.fingers = 3;
    hand.tips[2] = {510, 20, 30};
    frame.insertHand(hand);
    TrackedTarget inertial = target(TrackedTarget::StandardBody, TrackedTarget::OrientationOnly);
    inertial.inertial = true;
    frame.insert(4, inertial);
    frame.insert(5, target(TrackedTarget::StandardBody, TrackedTarget::FullPose));
    targets.setFrame(frame);

    QVERIFY(graph.find("gl_1"));
    QCOMPARE(translation(graph.find("gl_1_palm")), QVector3D(500, 0, 0));
    QCOMPARE(translation(graph.find("gl_1_finger_2")), QVector3D(510, 20, 30));
    QVERIFY(graph.find("gl_1_finger_2")->entity()->isEnabled());
    QVERIFY(!graph.find("gl_1_finger_3")->entity()->isEnabled());
    QCOMPARE(targets.handNodeName(1), QString("gl_1"));

    // The inertial body has a look of its own: axes in a wire cube.
    Node *sensor = graph.find("6di_4");
    QVERIFY(sensor && !graph.find("6d_4"));
    QCOMPARE(renderables(sensor), 4);
    QCOMPARE(static_cast<RenderableNode *>(sensor->children().back().get())->mesh(), graph.mesh(Mesh::WireCube));
    QCOMPARE(renderables(graph.find("6d_5")), 3);

    // The hand is lost, then both switches go off.
    hand.tracked = false;
    frame.insertHand(hand);
    targets.setFrame(frame);
    QVERIFY(!graph.find("gl_1_palm")->entity()->isEnabled());
    QVERIFY(!graph.find("gl_1_finger_2")->entity()->isEnabled());
    display.trackedHandShow = false;
    display.trackedInertialShow = false;
    targets.setSettings(display);
    targets.setFrame(frame);
    qInstallMessageHandler(previous);
    QVERIFY(!graph.find("gl_1"));
    QVERIFY(!graph.find("6di_4"));
    QVERIFY(graph.find("6d_5"));
    CHECK_REGISTRY(graph);
}

void TestSceneContent::churnKeepsRegistryInStep()
{
    FakeChannel channel;
    scriptStaticData(channel, 5, 2, 4, 2);
    StaticData data(&channel, nullptr);
    data.update();
    SceneGraph graph;
    WorldBuilder world(&graph);
    DisplaySettingsData display;
    world.setSettings(display, 0);
    CameraBuilder cameras(&graph, display);
    cameras.setStaticData(&data);
    auto targets = std::make_unique<TrackedTargetBuilder>(&graph, display);
    targets->setStaticData(&data);

    // Hundreds of targets of every kind, most appearing or vanishing each
    // frame, body ids far beyond the static data, switches flipping.
    QtMessageHandler previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    std::mt19937 random(7);
    for (int round = 0; round < 60; ++round) {
        TrackedFrame frame;
        const int n = std::uniform_int_distribution<int>(0, 400)(random);
        for (int i = 0; i < n; ++i) {
            const int kind = std::uniform_int_distribution<int>(0, 4)(random);
            const int id = std::uniform_int_distribution<int>(0, kind == TrackedTarget::Marker ? 5000 : 999)(random);
            frame.insert(TrackedFrame::key(kind, id), target(kind, std::uniform_int_distribution<int>(0, 3)(random)));
        }
        if (round % 7 == 3) {
            display.trackedBodyShowCOS = !display.trackedBodyShowCOS;
            display.trackedGripwandShowMarkers = !display.trackedGripwandShowMarkers;
            display.trackedMarker3DShowIDs = !display.trackedMarker3DShowIDs;
            targets->setSettings(display);
            cameras.setSettings(display);
        }
        if (round % 11 == 5) {
            // Static data failing mid-read: the second gripwand's markers are gone.
            channel.reply("quorix2 get body number_of_marker gripwand b02", "");
            data.update();
            targets->setStaticData(&data);
            cameras.setStaticData(&data);
        }
        targets->setFrame(frame);
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        // One node per key that was tracked some time, enabled while it is;
        // spare marker nodes are unnamed and disabled.
        int named = 0;
        int enabled = 0;
        for (const std::shared_ptr<Node> &child : graph.find("TrackedTargets")->children()) {
            named += child->name().isEmpty() ? 0 : 1;
            enabled += child->entity()->isEnabled() ? 1 : 0;
        }
        // Markers without labels are instances of the cloud instead.
        int tracked = 0;
        int instances = 0;
        for (const auto &entry : frame.targets()) {
            const bool isTracked = entry.second.state != TrackedTarget::NotTracked;
            if (entry.second.kind == TrackedTarget::Marker && !targets->markersAsNodes()) {
                instances += isTracked ? 1 : 0;
                continue;
            }
            const Node *node = graph.find(targets->nodeName(entry.first));
            tracked += isTracked ? 1 : 0;
            if (isTracked && !node)
                named = -1;
        }
        if (named != targets->nodeCount() || enabled != tracked || instances != targets->markerCloud()->count()
            || targets->nodeCount() > int(frame.targets().size())) {
            qInstallMessageHandler(previous);
            QFAIL(qPrintable(QStringLiteral("round %1: %2 nodes for %3 keys").arg(round)
                                 .arg(graph.find("TrackedTargets")->children().size())
                                 .arg(frame.targets().size())));
        }
        QString fault;
        if (!registryMatchesTree(graph, &fault)) {
            qInstallMessageHandler(previous);
            QFAIL(qPrintable(QStringLiteral("round %1: %2").arg(round).arg(fault)));
        }
    }
    qInstallMessageHandler(previous);

    targets.reset();
    QCOMPARE(graph.find("TrackedTargets"), nullptr);
    CHECK_REGISTRY(graph);
}

QTEST_MAIN(TestSceneContent)
#include "tst_SceneContent.moc"

// Qt3D's OpenGL renderer may still look a shader program up in the frame after
// its node went, and then crashes: labels, markers and rebuilds must come and
// go without ever making or dropping a shader program of their own.
void TestSceneContent::shadersLiveAsLongAsTheScene()
{
    QtMessageHandler previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    SceneGraph graph;
    auto programs = [&graph] {
        QList<QPointer<Qt3DRender::QShaderProgram>> all;
        for (auto *program : graph.root()->entity()->findChildren<Qt3DRender::QShaderProgram *>())
            all << program;
        return all;
    };
    const auto before = programs();
    QVERIFY(!before.isEmpty());

    DisplaySettingsData display;
    display.cameraShowIDs = display.trackedBodyShowIDs = display.trackedMarker3DShowIDs = true;
    TrackedFrame frame;
    frame.insert(3, target(TrackedTarget::StandardBody, TrackedTarget::FullPose, 100));
    frame.insert(4007, target(TrackedTarget::Marker, TrackedTarget::PositionOnly));
    for (int round = 0; round < 3; ++round) {
        CameraBuilder cameras(&graph, display);
        TrackedTargetBuilder targets(&graph, display);
        targets.setFrame(frame);
        QVERIFY(graph.find("6d_3_label"));
        QCOMPARE(programs().size(), before.size());
        display.trackedMarker3DShowIDs = !display.trackedMarker3DShowIDs;
        targets.setSettings(display);
        targets.setFrame(frame);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    qInstallMessageHandler(previous);
    const auto after = programs();
    QCOMPARE(after.size(), before.size());
    for (const auto &program : before)
        QVERIFY(program);
}
