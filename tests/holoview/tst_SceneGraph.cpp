#include "Node2D.h"
#include "PoseTransformationNode.h"
#include "RenderableNode.h"
#include "SceneGraph.h"

#include <Qt3DCore/QEntity>
#include <Qt3DCore/QTransform>
#include <Qt3DExtras/QPhongMaterial>
#include <Qt3DExtras/QSphereMesh>
#include <Qt3DRender/QAttribute>
#include <Qt3DRender/QBuffer>
#include <Qt3DRender/QGeometry>
#include <Qt3DRender/QGeometryRenderer>

#include <QtTest>

#include <cstring>

using namespace Scenegraph;

namespace {

std::shared_ptr<Node> node(const QString &name)
{
    return std::make_shared<Node>(name);
}

void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

Qt3DRender::QAttribute *attribute(Qt3DRender::QGeometryRenderer *mesh, Qt3DRender::QAttribute::AttributeType type)
{
    for (Qt3DRender::QAttribute *a : mesh->geometry()->attributes()) {
        if (a->attributeType() == type)
            return a;
    }
    return nullptr;
}

} // namespace

class TestSceneGraph : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { flushDeletes(); }
    void appendRegistersSubtreeAndMirrorsEntities();
    void appendRefusesNodesWithParentOrCycles();
    void duplicateNamesStopRegistration();
    void detachUnregistersAndDrops();
    void detachRefusals();
    void enablingReachesDescendants();
    void librariesHoldEveryType();
    void poseFromTwelveValues();
    void renderableTakesItsComponents();
    void nodesSurviveTheirEntities();
    void renameMovesTheRegistryEntry();
};

void TestSceneGraph::appendRegistersSubtreeAndMirrorsEntities()
{
    SceneGraph graph;
    QVERIFY(graph.root());
    QCOMPARE(graph.root()->name(), QString("root"));
    QCOMPARE(graph.root()->sceneGraph(), &graph);

    // A subtree built while detached is registered when it joins the tree.
    auto body = std::make_shared<PoseTransformationNode>("6d_1");
    auto markers = node("bodyCal_1");
    auto unnamed = std::make_shared<Node2D>();
    graph.appendChild(body.get(), markers);
    graph.appendChild(markers.get(), unnamed);
    QVERIFY(!graph.find("bodyCal_1"));
    QCOMPARE(markers->parent(), body.get());
    QVERIFY(!markers->sceneGraph());

    graph.appendChild(graph.root(), body);
    QCOMPARE(graph.find("6d_1"), body.get());
    QCOMPARE(graph.find("bodyCal_1"), markers.get());
    QCOMPARE(unnamed->sceneGraph(), &graph);
    QVERIFY(!graph.find(QString()));
    QVERIFY(!graph.find("nothing"));

    QCOMPARE(body->entity()->parent(), graph.root()->entity());
    QCOMPARE(markers->entity()->parent(), body->entity());
    QCOMPARE(unnamed->entity()->parent(), markers->entity());
    QCOMPARE(graph.root()->children().size(), size_t(1));
}

void TestSceneGraph::appendRefusesNodesWithParentOrCycles()
{
    SceneGraph graph;
    auto a = node("a");
    auto b = node("b");
    auto c = node("c");
    graph.appendChild(graph.root(), a);
    graph.appendChild(graph.root(), b);

    QTest::ignoreMessage(QtDebugMsg, "WARNING: Node a already has parent, not appending it to any parent");
    graph.appendChild(b.get(), a);
    QCOMPARE(a->parent(), graph.root());
    QVERIFY(b->children().empty());
    QCOMPARE(a->entity()->parent(), graph.root()->entity());

    // A detached node may not go below its own descendant.
    graph.appendChild(c.get(), node("d"));
    Node *d = c->children().front().get();
    QTest::ignoreMessage(QtDebugMsg, "WARNING: Node c is an ancestor of its new parent, not appending it");
    graph.appendChild(d, c);
    QVERIFY(!c->parent());
}

void TestSceneGraph::duplicateNamesStopRegistration()
{
    SceneGraph graph;
    auto first = node("camera_0");
    graph.appendChild(graph.root(), first);

    auto second = node("camera_0");
    auto child = node("camera_0_frustum");
    graph.appendChild(second.get(), child);
    QTest::ignoreMessage(QtDebugMsg, "node id \"camera_0\" already exists");
    graph.appendChild(graph.root(), second);
    // Marked as belonging, but not by name, and its children not at all.
    QCOMPARE(second->sceneGraph(), &graph);
    QCOMPARE(graph.find("camera_0"), first.get());
    QVERIFY(!child->sceneGraph());
    QVERIFY(!graph.find("camera_0_frustum"));

    // Dropping the refused one keeps the other findable.
    QTest::ignoreMessage(QtDebugMsg, "node \"camera_0_frustum\" not in scenegraph");
    graph.detachFromParent(second.get());
    QCOMPARE(graph.find("camera_0"), first.get());

    QTest::ignoreMessage(QtDebugMsg, "node \"camera_0\" already in scene graph");
    graph.registerNode(first.get());
    SceneGraph other;
    QTest::ignoreMessage(QtDebugMsg, "node \"camera_0\" not in scenegraph");
    other.unregisterNode(first.get());
    QCOMPARE(graph.find("camera_0"), first.get());
}

void TestSceneGraph::detachUnregistersAndDrops()
{
    SceneGraph graph;
    QPointer<Qt3DCore::QEntity> entity;
    QPointer<Qt3DCore::QEntity> childEntity;
    std::weak_ptr<Node> watch;
    {
        auto target = std::make_shared<PoseTransformationNode>("3d_7");
        auto child = node("marker");
        graph.appendChild(target.get(), child);
        graph.appendChild(graph.root(), target);
        entity = target->entity();
        childEntity = child->entity();
        watch = target;
    }
    Node *target = graph.find("3d_7");
    QVERIFY(target);
    graph.detachFromParent(target);
    // The parent's list held the last reference.
    QVERIFY(watch.expired());
    QVERIFY(!graph.find("3d_7"));
    QVERIFY(!graph.find("marker"));
    QVERIFY(graph.root()->children().empty());
    QVERIFY(entity);
    QVERIFY(!entity->parent());  // out of the rendered scene at once
    flushDeletes();
    QVERIFY(!entity);
    QVERIFY(!childEntity);

    // A detached node that is still held can join again under a new name's parent.
    auto kept = node("kept");
    graph.appendChild(graph.root(), kept);
    graph.detachFromParent(kept.get());
    QVERIFY(!kept->parent());
    QVERIFY(!kept->sceneGraph());
    auto holder = node("holder");
    graph.appendChild(graph.root(), holder);
    graph.appendChild(holder.get(), kept);
    QCOMPARE(graph.find("kept"), kept.get());
    QCOMPARE(kept->entity()->parent(), holder->entity());
}

void TestSceneGraph::detachRefusals()
{
    SceneGraph graph;
    auto child = node("child");
    graph.appendChild(graph.root(), child);

    QTest::ignoreMessage(QtDebugMsg, "Can't remove root node, aborting detachFromParent()");
    graph.detachFromParent(graph.root());
    QCOMPARE(graph.find("root"), graph.root());
    QCOMPARE(graph.root()->children().size(), size_t(1));

    // Outside any graph: detaching from a plain parent, and from nothing.
    auto loose = node("loose");
    auto leaf = node("leaf");
    graph.appendChild(loose.get(), leaf);
    graph.detachFromParent(leaf.get());
    QVERIFY(!leaf->parent());
    QVERIFY(loose->children().empty());
    graph.detachFromParent(leaf.get());
    graph.detachFromParent(nullptr);
}

void TestSceneGraph::enablingReachesDescendants()
{
    SceneGraph graph;
    auto top = node("top");
    auto middle = node("middle");
    auto bottom = std::make_shared<Node2D>("RoomCalibrationWarning");
    graph.appendChild(graph.root(), top);
    graph.appendChild(top.get(), middle);
    graph.appendChild(middle.get(), bottom);

    graph.setEnabled(top.get(), false);
    QVERIFY(!top->entity()->isEnabled());
    QVERIFY(!middle->entity()->isEnabled());
    QVERIFY(!bottom->entity()->isEnabled());
    QVERIFY(graph.root()->entity()->isEnabled());
    graph.setEnabled(middle.get(), true);
    QVERIFY(!top->entity()->isEnabled());
    QVERIFY(bottom->entity()->isEnabled());
}

void TestSceneGraph::librariesHoldEveryType()
{
    SceneGraph graph;
    for (int type = Mesh::Grid; type <= Mesh::SmallSphere; ++type)
        QVERIFY(graph.mesh(type));
    for (int type = Material::Grey; type <= Material::Yellow; ++type) {
        QVERIFY(graph.material(type));
        QCOMPARE(graph.material(type)->parent(), graph.root()->entity());
    }
    QCOMPARE(graph.material(Material::Red)->ambient(), QColor::fromRgbF(0.8, 0.03, 0.12, 1.0));
    QCOMPARE(graph.material(Material::Yellow)->ambient(), QColor(Qt::yellow));

    QTest::ignoreMessage(QtDebugMsg, "Material::Type 9 is not intialized!");
    QVERIFY(!graph.material(9));
    QTest::ignoreMessage(QtDebugMsg, "Mesh::Type -1 is not intialized!");
    QVERIFY(!graph.mesh(-1));

    // Grid: 60 vertices in pairs, covering -1 ... +1 in the z = 0 plane.
    Qt3DRender::QGeometryRenderer *grid = graph.mesh(Mesh::Grid);
    QCOMPARE(grid->primitiveType(), Qt3DRender::QGeometryRenderer::Lines);
    QCOMPARE(grid->instanceCount(), 1);
    Qt3DRender::QAttribute *position = attribute(grid, Qt3DRender::QAttribute::VertexAttribute);
    QVERIFY(position);
    QCOMPARE(position->name(), Qt3DRender::QAttribute::defaultPositionAttributeName());
    QCOMPARE(position->count(), 60u);
    QVERIFY(!attribute(grid, Qt3DRender::QAttribute::IndexAttribute));
    const QByteArray data = position->buffer()->data();
    QCOMPARE(data.size(), 180 * int(sizeof(float)));
    float v[180];
    std::memcpy(v, data.constData(), sizeof v);
    QCOMPARE(v[0], -1.0f);  // first line from (-1, -1, 0) to (-1, 1, 0)
    QCOMPARE(v[4], 1.0f);
    QCOMPARE(v[14 * 6], 1.0f);       // the last t is +1
    for (int i = 0; i < 60; ++i)
        QCOMPARE(v[i * 3 + 2], 0.0f);

    Qt3DRender::QAttribute *index = attribute(graph.mesh(Mesh::WireCube), Qt3DRender::QAttribute::IndexAttribute);
    QVERIFY(index);
    QCOMPARE(index->vertexBaseType(), Qt3DRender::QAttribute::UnsignedShort);
    QCOMPARE(index->count(), 24u);

    Qt3DRender::QAttribute *line = attribute(graph.mesh(Mesh::UnitLine), Qt3DRender::QAttribute::VertexAttribute);
    QCOMPARE(line->count(), 2u);
    QVERIFY(qobject_cast<Qt3DExtras::QSphereMesh *>(graph.mesh(Mesh::Sphere)));
}

void TestSceneGraph::poseFromTwelveValues()
{
    PoseTransformationNode node("pose");
    QCOMPARE(node.entity()->components().size(), 1);
    QCOMPARE(node.entity()->components().front(), node.transform());

    // Rotation of 90 degrees about z: columns (0 1 0), (-1 0 0), (0 0 1).
    node.setPose({10, 20, 30, 0, 1, 0, -1, 0, 0, 0, 0, 1});
    QCOMPARE(node.transform()->translation(), QVector3D(10, 20, 30));
    const QVector3D x = node.transform()->rotation().rotatedVector(QVector3D(1, 0, 0));
    QVERIFY(qFuzzyIsNull(x.x()));
    QVERIFY(qFuzzyCompare(x.y(), 1.0f));
    node.setScale(15);
    QCOMPARE(node.transform()->scale(), 15.0f);
}

void TestSceneGraph::renderableTakesItsComponents()
{
    SceneGraph graph;
    auto *transform = new Qt3DCore::QTransform;
    auto *frustum = SceneGraph::createLineMesh({0, 0, 0, 1, 0, 0}, {0, 1});
    QPointer<Qt3DCore::QTransform> watchTransform(transform);
    QPointer<Qt3DRender::QGeometryRenderer> watchFrustum(frustum);
    {
        RenderableNode renderable(graph.material(Material::Yellow), frustum, transform);
        QVERIFY(renderable.name().isEmpty());
        const Qt3DCore::QComponentVector components = renderable.entity()->components();
        QCOMPARE(components.size(), 3);
        QCOMPARE(components[0], graph.material(Material::Yellow));
        QCOMPARE(components[1], frustum);
        QCOMPARE(components[2], transform);
        QCOMPARE(frustum->parent(), renderable.entity());
    }
    flushDeletes();
    QVERIFY(!watchTransform);
    QVERIFY(!watchFrustum);
    // Library components stay for the next user.
    QVERIFY(graph.material(Material::Yellow));
}

void TestSceneGraph::nodesSurviveTheirEntities()
{
    // A node held elsewhere whose entity Qt deleted with an ancestor's must
    // not touch the dead entity, and a graph gone first leaves no stale mark.
    auto survivor = std::make_shared<PoseTransformationNode>("survivor");
    {
        SceneGraph graph;
        auto parent = node("parent");
        graph.appendChild(graph.root(), parent);
        graph.appendChild(parent.get(), survivor);
        delete parent->entity();
        QVERIFY(!survivor->entity());
        QVERIFY(!survivor->transform());
        survivor->setPose({1, 2, 3, 1, 0, 0, 0, 1, 0, 0, 0, 1});
        graph.setEnabled(parent.get(), false);
    }
    QVERIFY(!survivor->sceneGraph());
    SceneGraph next;
    next.detachFromParent(survivor.get());
    QVERIFY(!survivor->parent());
}

void TestSceneGraph::renameMovesTheRegistryEntry()
{
    SceneGraph graph;
    auto a = std::make_shared<Node>("a");
    auto b = std::make_shared<Node>("b");
    graph.appendChild(graph.root(), a);
    graph.appendChild(graph.root(), b);

    QVERIFY(graph.renameNode(a.get(), "c"));
    QCOMPARE(graph.find("c"), a.get());
    QVERIFY(!graph.find("a"));
    // A taken name is refused and changes nothing; the root keeps its name.
    QVERIFY(!graph.renameNode(a.get(), "b"));
    QCOMPARE(a->name(), QString("c"));
    QVERIFY(!graph.renameNode(graph.root(), "top"));
    // Unnamed, the node stays in the tree without a registry entry.
    QVERIFY(graph.renameNode(a.get(), QString()));
    QVERIFY(!graph.find("c"));
    QCOMPARE(a->parent(), graph.root());
    QCOMPARE(graph.registeredNames().size(), 2);
    QVERIFY(graph.renameNode(a.get(), "a"));
    QCOMPARE(graph.find("a"), a.get());

    // A detached node is renamed without touching the registry.
    auto loose = std::make_shared<Node>("b");
    QVERIFY(graph.renameNode(loose.get(), "a"));
    QCOMPARE(graph.find("a"), a.get());
}

QTEST_MAIN(TestSceneGraph)
#include "tst_SceneGraph.moc"
