#include "SceneObjects.h"

#include "RenderableNode.h"
#include "SceneGraph.h"

#include <Qt3DCore/QEntity>
#include <Qt3DCore/QTransform>
#include <Qt3DRender/QGeometryRenderer>

#include <QQuaternion>
#include <QVector3D>

#include <cmath>

namespace Scenegraph {

namespace {

std::shared_ptr<RenderableNode> renderable(SceneGraph &graph, int mesh, int material, Qt3DCore::QTransform *transform)
{
    return std::make_shared<RenderableNode>(graph.material(material), graph.mesh(mesh), transform);
}

Qt3DCore::QTransform *transform(const QVector3D &scale, const QQuaternion &rotation = QQuaternion(),
                                const QVector3D &translation = QVector3D())
{
    auto *t = new Qt3DCore::QTransform();
    t->setScale3D(scale);
    t->setRotation(rotation);
    t->setTranslation(translation);
    return t;
}

} // namespace

std::shared_ptr<PoseTransformationNode> SceneObjects::axes(SceneGraph &graph, const QString &name, float size)
{
    auto node = std::make_shared<PoseTransformationNode>(name);
    // The lines hang below a node of their own, which a far view scales up
    // without spreading the target's markers.
    auto cross = std::make_shared<PoseTransformationNode>(name + AxesSuffix);
    graph.appendChild(node.get(), cross);
    const QVector3D scale(size, size, size);
    // The unit line points along +z; turn copies of it onto x and y.
    graph.appendChild(cross.get(), renderable(graph, Mesh::UnitLine, Material::Red,
                                              transform(scale, QQuaternion::fromAxisAndAngle(0, 1, 0, 90))));
    graph.appendChild(cross.get(), renderable(graph, Mesh::UnitLine, Material::Green,
                                              transform(scale, QQuaternion::fromAxisAndAngle(1, 0, 0, -90))));
    graph.appendChild(cross.get(), renderable(graph, Mesh::UnitLine, Material::Blue, transform(scale)));
    return node;
}

PoseTransformationNode *SceneObjects::axesOf(const Node *node)
{
    if (!node)
        return nullptr;
    for (const std::shared_ptr<Node> &child : node->children())
        if (child->name().endsWith(AxesSuffix))
            return dynamic_cast<PoseTransformationNode *>(child.get());
    return nullptr;
}

std::shared_ptr<PoseTransformationNode> SceneObjects::sphere(SceneGraph &graph, const QString &name, int material,
                                                             float size)
{
    // Drawn by the node's own entity: markers come by the hundred, and each
    // entity costs the renderer every frame. Poses leave the scale alone.
    auto node = std::make_shared<PoseTransformationNode>(name);
    node->setScale(size);
    if (Qt3DExtras::QPhongMaterial *m = graph.material(material))
        node->entity()->addComponent(m);
    if (Qt3DRender::QGeometryRenderer *mesh = graph.mesh(Mesh::SmallSphere))
        node->entity()->addComponent(mesh);
    return node;
}

std::shared_ptr<PoseTransformationNode> SceneObjects::tool(SceneGraph &graph, const QString &name)
{
    auto node = axes(graph, name, 100.0f);
    graph.appendChild(node.get(), renderable(graph, Mesh::SmallSphere, Material::NearWhite,
                                             transform(QVector3D(ToolTipSize, ToolTipSize, ToolTipSize))));
    // The cylinder stands along y; lay it onto +z, starting at the tip.
    graph.appendChild(node.get(),
                      renderable(graph, Mesh::Cylinder, Material::NearWhite,
                                 transform(QVector3D(3.0f, ToolShaftLength, 3.0f),
                                           QQuaternion::fromAxisAndAngle(1, 0, 0, 90),
                                           QVector3D(0.0f, 0.0f, ToolShaftLength / 2.0f))));
    return node;
}

std::shared_ptr<PoseTransformationNode> SceneObjects::inertialBody(SceneGraph &graph, const QString &name)
{
    auto node = axes(graph, name, 100.0f);
    graph.appendChild(node.get(), renderable(graph, Mesh::WireCube, Material::Yellow,
                                             transform(QVector3D(InertialCubeSize, InertialCubeSize,
                                                                 InertialCubeSize))));
    return node;
}

std::shared_ptr<PoseTransformationNode> SceneObjects::grid(SceneGraph &graph, const QString &name, int plane)
{
    auto node = std::make_shared<PoseTransformationNode>(name);
    QQuaternion rotation;
    if (plane == 1)
        rotation = QQuaternion::fromAxisAndAngle(1, 0, 0, -90);
    else if (plane == 2)
        rotation = QQuaternion::fromAxisAndAngle(0, 1, 0, -90);
    graph.appendChild(node.get(), renderable(graph, Mesh::Grid, Material::Grey,
                                             transform(QVector3D(2000, 2000, 1), rotation)));
    return node;
}

std::shared_ptr<PoseTransformationNode> SceneObjects::coordinateSystem(SceneGraph &graph, const QString &name,
                                                                       float length, float radius)
{
    auto node = std::make_shared<PoseTransformationNode>(name);
    const QVector3D scale(radius, length, radius);
    const float half = length / 2;
    // The cylinder stands along y, centred on the origin.
    graph.appendChild(node.get(), renderable(graph, Mesh::Cylinder, Material::Red,
                                             transform(scale, QQuaternion::fromAxisAndAngle(0, 0, -1, 90),
                                                       QVector3D(half, 0, 0))));
    graph.appendChild(node.get(), renderable(graph, Mesh::Cylinder, Material::Green,
                                             transform(scale, QQuaternion(), QVector3D(0, half, 0))));
    graph.appendChild(node.get(), renderable(graph, Mesh::Cylinder, Material::Blue,
                                             transform(scale, QQuaternion::fromAxisAndAngle(1, 0, 0, 90),
                                                       QVector3D(0, 0, half))));
    return node;
}

std::shared_ptr<PoseTransformationNode> SceneObjects::frustum(SceneGraph &graph, const QString &name)
{
    auto node = std::make_shared<PoseTransformationNode>(name);
    node->setScale(FrustumScale);
    graph.appendChild(node.get(), std::make_shared<RenderableNode>(
                                      graph.material(Material::Yellow), createFrustumMesh(),
                                      transform(QVector3D(FrustumScale, FrustumScale, FrustumScale))));
    return node;
}

double SceneObjects::frustumDepth()
{
    return 1.0 / (2.0 * std::tan(77.0 / 2.0));
}

QVector<float> SceneObjects::frustumVertices()
{
    const float a = static_cast<float>(FrustumAspect);
    const float d = static_cast<float>(frustumDepth());
    return {0, 0, 0,
            -a / 2, -0.5f, -d,
            a / 2, -0.5f, -d,
            a / 2, 0.5f, -d,
            -a / 2, 0.5f, -d};
}

QVector<quint16> SceneObjects::frustumIndices()
{
    return {0, 1, 0, 2, 0, 3, 0, 4,
            1, 2, 2, 3, 3, 4, 4, 1};
}

Qt3DRender::QGeometryRenderer *SceneObjects::createFrustumMesh()
{
    return SceneGraph::createLineMesh(frustumVertices(), frustumIndices());
}

} // namespace Scenegraph
