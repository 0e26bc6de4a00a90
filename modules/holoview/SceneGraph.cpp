#include "SceneGraph.h"

#include "LabelNode.h"
#include "MarkerCloud.h"

#include <Qt3DCore/QEntity>
#include <Qt3DExtras/QCylinderMesh>
#include <Qt3DExtras/QPhongMaterial>
#include <Qt3DExtras/QSphereMesh>
#include <Qt3DRender/QAttribute>
#include <Qt3DRender/QBuffer>
#include <Qt3DRender/QGeometry>
#include <Qt3DRender/QGeometryRenderer>
#include <Qt3DRender/QParameter>

#include <QColor>
#include <QDebug>

#include <algorithm>

namespace Scenegraph {

namespace {

void debugLine(const QString &text)
{
    qDebug().noquote() << text;
}

} // namespace

SceneGraph::SceneGraph()
    : m_root(std::make_shared<Node>(QStringLiteral("root")))
{
    registerNode(m_root.get());
    buildMeshes();
    buildMaterials();
    m_labelEffect = LabelNode::createEffect();
    m_labelEffect->setParent(m_root->entity());
    m_markerEffect = MarkerCloud::createEffect();
    m_markerEffect->setParent(m_root->entity());
    m_pixelRatio = new Qt3DRender::QParameter(QStringLiteral("pixelRatio"), 1.0f, m_root->entity());
    m_labelEffect->addParameter(m_pixelRatio);
    m_markerEffect->addParameter(m_pixelRatio);
}

void SceneGraph::setPixelRatio(qreal ratio)
{
    if (m_pixelRatio)
        m_pixelRatio->setValue(float(std::max(ratio, 1.0)));
}

SceneGraph::~SceneGraph()
{
    // Nodes may outlive us in other hands; they must not point back here.
    // The libraries hang below the root's entity and go with it.
    unregisterNode(m_root.get());
    m_registry.clear();
}

Node *SceneGraph::find(const QString &name) const
{
    if (name.isEmpty())
        return nullptr;
    return m_registry.value(name, nullptr);
}

void SceneGraph::appendChild(Node *parent, const std::shared_ptr<Node> &child)
{
    if (!parent || !child || parent == child.get())
        return;
    if (child->m_parent) {
        debugLine(QStringLiteral("WARNING: Node %1 already has parent, not appending it to any parent")
                      .arg(child->name()));
        return;
    }
    // A node below its own descendant would make a cycle that owns itself.
    for (Node *ancestor = parent; ancestor; ancestor = ancestor->m_parent) {
        if (ancestor == child.get()) {
            debugLine(QStringLiteral("WARNING: Node %1 is an ancestor of its new parent, not appending it")
                          .arg(child->name()));
            return;
        }
    }
    if (parent->m_sceneGraph)
        parent->m_sceneGraph->registerNode(child.get());
    if (child->entity())
        child->entity()->setParent(parent->entity());
    child->m_parent = parent;
    parent->m_children.push_back(child);
}

void SceneGraph::detachFromParent(Node *node)
{
    if (!node)
        return;
    if (node->m_sceneGraph) {
        if (!node->m_parent) {
            debugLine(QStringLiteral("Can't remove root node, aborting detachFromParent()"));
            return;
        }
        node->m_sceneGraph->unregisterNode(node);
    }
    Node *parent = node->m_parent;
    if (!parent)
        return;
    auto it = std::find_if(parent->m_children.begin(), parent->m_children.end(),
                           [node](const std::shared_ptr<Node> &child) { return child.get() == node; });
    if (it == parent->m_children.end()) {
        debugLine(QStringLiteral("WARNING: could remove remove from parent's children list"));
        return;
    }
    // Keep the node alive until it is fully detached: the list entry may be
    // its last owner.
    const std::shared_ptr<Node> keep = *it;
    parent->m_children.erase(it);
    node->m_parent = nullptr;
    // A detached subtree leaves the rendered scene at once, and can no longer
    // be deleted by Qt together with its former parent's entity.
    if (node->entity())
        node->entity()->setParent(static_cast<Qt3DCore::QNode *>(nullptr));
}

void SceneGraph::setEnabled(Node *node, bool on)
{
    if (!node)
        return;
    if (node->entity())
        node->entity()->setEnabled(on);
    for (const std::shared_ptr<Node> &child : node->m_children)
        setEnabled(child.get(), on);
}

bool SceneGraph::renameNode(Node *node, const QString &name)
{
    if (!node || node == m_root.get())
        return false;
    if (node->m_name == name)
        return true;
    const bool registered = node->m_sceneGraph == this;
    if (registered && !name.isEmpty() && m_registry.contains(name))
        return false;
    if (registered && !node->m_name.isEmpty() && m_registry.value(node->m_name) == node)
        m_registry.remove(node->m_name);
    node->m_name = name;
    if (registered && !name.isEmpty())
        m_registry.insert(name, node);
    return true;
}

void SceneGraph::registerNode(Node *node)
{
    if (!node)
        return;
    if (node->m_sceneGraph) {
        debugLine(QStringLiteral("node \"%1\" already in scene graph").arg(node->name()));
        return;
    }
    node->m_sceneGraph = this;
    if (!node->name().isEmpty()) {
        if (m_registry.contains(node->name())) {
            debugLine(QStringLiteral("node id \"%1\" already exists").arg(node->name()));
            return;
        }
        m_registry.insert(node->name(), node);
    }
    for (const std::shared_ptr<Node> &child : node->m_children)
        registerNode(child.get());
}

void SceneGraph::unregisterNode(Node *node)
{
    if (!node)
        return;
    if (node->m_sceneGraph != this) {
        debugLine(QStringLiteral("node \"%1\" not in scenegraph").arg(node->name()));
        return;
    }
    node->m_sceneGraph = nullptr;
    // Only our own entry: a node whose name was refused as a duplicate must not
    // take the other node's entry with it.
    auto it = m_registry.find(node->name());
    if (!node->name().isEmpty() && it != m_registry.end() && it.value() == node)
        m_registry.erase(it);
    for (const std::shared_ptr<Node> &child : node->m_children)
        unregisterNode(child.get());
}

Qt3DRender::QGeometryRenderer *SceneGraph::mesh(int type) const
{
    auto it = m_meshes.find(type);
    if (it == m_meshes.end() || !it.value()) {
        debugLine(QStringLiteral("Mesh::Type %1 is not intialized!").arg(type));
        return nullptr;
    }
    return it.value();
}

Qt3DExtras::QPhongMaterial *SceneGraph::material(int type) const
{
    auto it = m_materials.find(type);
    if (it == m_materials.end() || !it.value()) {
        debugLine(QStringLiteral("Material::Type %1 is not intialized!").arg(type));
        return nullptr;
    }
    return it.value();
}

Qt3DRender::QGeometryRenderer *SceneGraph::createLineMesh(const QVector<float> &vertices,
                                                          const QVector<quint16> &indices,
                                                          Qt3DCore::QNode *parent)
{
    auto *renderer = new Qt3DRender::QGeometryRenderer(parent);
    auto *geometry = new Qt3DRender::QGeometry(renderer);

    auto *vertexBuffer = new Qt3DRender::QBuffer(geometry);
    vertexBuffer->setData(QByteArray(reinterpret_cast<const char *>(vertices.constData()),
                                     vertices.size() * static_cast<int>(sizeof(float))));
    auto *position = new Qt3DRender::QAttribute(geometry);
    position->setName(Qt3DRender::QAttribute::defaultPositionAttributeName());
    position->setAttributeType(Qt3DRender::QAttribute::VertexAttribute);
    position->setVertexBaseType(Qt3DRender::QAttribute::Float);
    position->setVertexSize(3);
    position->setByteOffset(0);
    position->setByteStride(3 * sizeof(float));
    position->setCount(static_cast<uint>(vertices.size() / 3));
    position->setBuffer(vertexBuffer);
    geometry->addAttribute(position);

    if (!indices.isEmpty()) {
        auto *indexBuffer = new Qt3DRender::QBuffer(geometry);
        indexBuffer->setData(QByteArray(reinterpret_cast<const char *>(indices.constData()),
                                        indices.size() * static_cast<int>(sizeof(quint16))));
        auto *index = new Qt3DRender::QAttribute(geometry);
        index->setAttributeType(Qt3DRender::QAttribute::IndexAttribute);
        index->setVertexBaseType(Qt3DRender::QAttribute::UnsignedShort);
        index->setCount(static_cast<uint>(indices.size()));
        index->setBuffer(indexBuffer);
        geometry->addAttribute(index);
    }

    renderer->setGeometry(geometry);
    renderer->setPrimitiveType(Qt3DRender::QGeometryRenderer::Lines);
    renderer->setInstanceCount(1);
    return renderer;
}

void SceneGraph::buildMeshes()
{
    Qt3DCore::QEntity *owner = m_root->entity();

    QVector<float> grid;
    grid.reserve(60 * 3);
    for (int i = 0; i < 15; ++i) {
        const float t = static_cast<float>(i) * 2.0f / 14.0f - 1.0f;
        grid << t << -1.0f << 0.0f << t << 1.0f << 0.0f;
    }
    for (int i = 0; i < 15; ++i) {
        const float t = static_cast<float>(i) * 2.0f / 14.0f - 1.0f;
        grid << -1.0f << t << 0.0f << 1.0f << t << 0.0f;
    }
    m_meshes.insert(Mesh::Grid, createLineMesh(grid, {}, owner));

    // Corner k has x from bit 0, y from bit 1, z from bit 2.
    QVector<float> corners;
    for (int k = 0; k < 8; ++k)
        corners << ((k & 1) ? 0.5f : -0.5f) << ((k & 2) ? 0.5f : -0.5f) << ((k & 4) ? 0.5f : -0.5f);
    const QVector<quint16> edges = {0, 1, 2, 3, 4, 5, 6, 7,   // along x
                                    0, 2, 1, 3, 4, 6, 5, 7,   // along y
                                    0, 4, 1, 5, 2, 6, 3, 7};  // along z
    m_meshes.insert(Mesh::WireCube, createLineMesh(corners, edges, owner));

    m_meshes.insert(Mesh::UnitLine, createLineMesh({0, 0, 0, 0, 0, 1}, {}, owner));
    m_meshes.insert(Mesh::Cylinder, new Qt3DExtras::QCylinderMesh(owner));
    m_meshes.insert(Mesh::Sphere, new Qt3DExtras::QSphereMesh(owner));
    // Markers and tips are a few pixels across, and there may be hundreds:
    // a quarter of the default sphere's triangles looks the same at that size
    // and spares a software renderer most of its work.
    auto *small = new Qt3DExtras::QSphereMesh(owner);
    small->setRings(8);
    small->setSlices(8);
    m_meshes.insert(Mesh::SmallSphere, small);
}

void SceneGraph::buildMaterials()
{
    const QColor ambient[] = {
        QColor::fromRgbF(0.4, 0.4, 0.4, 1.0),
        QColor::fromRgbF(0.8, 0.03, 0.12, 1.0),
        QColor::fromRgbF(0.16, 0.71, 0.24, 1.0),
        QColor::fromRgbF(0.09, 0.42, 0.89, 1.0),
        QColor::fromRgbF(0.9, 0.9, 0.9, 1.0),
        QColor::fromRgbF(0.0, 0.75, 1.0, 1.0),
        QColor(Qt::lightGray),
        QColor(Qt::green),
        QColor(Qt::yellow),
    };
    int type = 0;
    for (const QColor &colour : ambient) {
        auto *material = new Qt3DExtras::QPhongMaterial(m_root->entity());
        material->setAmbient(colour);
        m_materials.insert(type++, material);
    }
}

} // namespace Scenegraph
