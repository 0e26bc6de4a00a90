#pragma once

#include "PoseTransformationNode.h"

#include <QString>
#include <QVector>

#include <memory>

namespace Qt3DRender {
class QGeometryRenderer;
}

namespace Scenegraph {

class SceneGraph;

// The small reusable objects the scene is made of. Each is a named
// PoseTransformationNode with unnamed renderable children that share the
// scene graph's meshes and materials; the node is returned detached.
class SceneObjects
{
public:
    // Three unit lines scaled by size: red along +x, green along +y, blue along +z.
    static std::shared_ptr<PoseTransformationNode> axes(SceneGraph &graph, const QString &name, float size);
    // The node that holds the lines of a target made by axes(), or null.
    static PoseTransformationNode *axesOf(const Node *node);
    static constexpr const char *AxesSuffix = "_axes";
    // A sphere of the given diameter, drawn by the node itself (no children).
    static std::shared_ptr<PoseTransformationNode> sphere(SceneGraph &graph, const QString &name,
                                                          int material, float size);
    // A measurement tool: axes, and its tip (the tool's origin) as a white
    // sphere with a shaft leaving it along +z.
    static std::shared_ptr<PoseTransformationNode> tool(SceneGraph &graph, const QString &name);
    // An inertial body: axes inside a wire cube, so that it cannot be taken
    // for an optical body.
    static std::shared_ptr<PoseTransformationNode> inertialBody(SceneGraph &graph, const QString &name);

    static constexpr float ToolTipSize = 10.0f;
    static constexpr float ToolShaftLength = 120.0f;
    static constexpr float InertialCubeSize = 80.0f;

    // The grey grid, 4000 wide: plane 0 in x–y, plane 1 turned about x, plane 2 about y.
    static std::shared_ptr<PoseTransformationNode> grid(SceneGraph &graph, const QString &name, int plane);
    // Three cylinders of the given length and radius, starting at the origin.
    static std::shared_ptr<PoseTransformationNode> coordinateSystem(SceneGraph &graph, const QString &name,
                                                                    float length, float radius);
    // A camera's viewing pyramid in yellow, apex at the origin, looking along -z.
    static std::shared_ptr<PoseTransformationNode> frustum(SceneGraph &graph, const QString &name);

    static constexpr float FrustumScale = 15.0f;
    static constexpr double FrustumAspect = 1.25;
    // 1 / (2 · tan(38.5)), the angle taken in radians.
    static double frustumDepth();
    // Apex, then the four far corners; eight segments as index pairs.
    static QVector<float> frustumVertices();
    static QVector<quint16> frustumIndices();
    // A mesh of its own for every frustum, without a Qt parent, so that the
    // entity drawing it takes it over.
    static Qt3DRender::QGeometryRenderer *createFrustumMesh();
};

} // namespace Scenegraph
