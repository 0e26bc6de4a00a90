#pragma once

#include "Node.h"

#include <QHash>
#include <QMap>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVector>

#include <memory>

#include <Qt3DExtras/QPhongMaterial>
#include <Qt3DRender/QEffect>
#include <Qt3DRender/QGeometryRenderer>

namespace Scenegraph {

namespace Mesh {
enum Type { Grid = 0, WireCube = 1, UnitLine = 2, Cylinder = 3, Sphere = 4, SmallSphere = 5 };
}

namespace Material {
enum Type { Grey = 0, Red = 1, Green = 2, Blue = 3, NearWhite = 4, SkyBlue = 5,
            LightGrey = 6, StandardGreen = 7, Yellow = 8 };
}

// The 3D monitor's scene: a root node, a registry that finds nodes by name,
// and libraries of meshes and materials shared by all nodes, so that hundreds
// of markers use a handful of Qt3D components. GUI thread only.
class SceneGraph
{
public:
    SceneGraph();
    ~SceneGraph();

    SceneGraph(const SceneGraph &) = delete;
    SceneGraph &operator=(const SceneGraph &) = delete;

    Node *root() const { return find(QStringLiteral("root")); }
    std::shared_ptr<Node> rootNode() const { return m_root; }
    Node *find(const QString &name) const;
    // The names the registry holds, for checks that it matches the tree.
    QStringList registeredNames() const { return m_registry.keys(); }

    void appendChild(Node *parent, const std::shared_ptr<Node> &child);
    void detachFromParent(Node *node);
    void setEnabled(Node *node, bool on);
    // Gives a node another name and moves its registry entry along, so that
    // a node can be reused for another target instead of being rebuilt. An
    // empty name leaves it unregistered; a taken name is refused (false).
    bool renameNode(Node *node, const QString &name);

    void registerNode(Node *node);
    void unregisterNode(Node *node);

    Qt3DRender::QGeometryRenderer *mesh(int type) const;
    Qt3DExtras::QPhongMaterial *material(int type) const;
    // The effects of our own shaders, made once and kept as long as the
    // scene: Qt3D's OpenGL renderer may still look up a shader program in the
    // frame after its node went, and crashes when it finds it gone. Every
    // label and every marker cloud uses these.
    Qt3DRender::QEffect *labelEffect() const { return m_labelEffect; }
    Qt3DRender::QEffect *markerEffect() const { return m_markerEffect; }
    // The screen's device pixels per logical pixel: labels and markers keep
    // their least size in logical pixels.
    void setPixelRatio(qreal ratio);

    // Lines from three floats per vertex, either taken in pairs or, with
    // indices, as pairs of 16-bit vertex indices.
    static Qt3DRender::QGeometryRenderer *createLineMesh(const QVector<float> &vertices,
                                                         const QVector<quint16> &indices = {},
                                                         Qt3DCore::QNode *parent = nullptr);

private:
    void buildMeshes();
    void buildMaterials();

    std::shared_ptr<Node> m_root;
    QHash<QString, Node *> m_registry;
    QMap<int, QPointer<Qt3DRender::QGeometryRenderer>> m_meshes;
    QMap<int, QPointer<Qt3DExtras::QPhongMaterial>> m_materials;
    QPointer<Qt3DRender::QEffect> m_labelEffect;
    QPointer<Qt3DRender::QEffect> m_markerEffect;
    QPointer<Qt3DRender::QParameter> m_pixelRatio;
};

} // namespace Scenegraph
