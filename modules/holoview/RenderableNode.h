#pragma once

#include "Node.h"

#include <Qt3DCore/QTransform>
#include <Qt3DRender/QGeometryRenderer>
#include <Qt3DRender/QMaterial>

namespace Scenegraph {

// An unnamed leaf that draws one mesh with one material. Material and mesh
// usually come from the scene graph's shared libraries; the transform is the
// node's own. A mesh without a Qt parent is taken over by the entity.
class RenderableNode : public Node
{
public:
    RenderableNode(Qt3DRender::QMaterial *material, Qt3DRender::QGeometryRenderer *mesh,
                   Qt3DCore::QTransform *transform);
    ~RenderableNode() override;

    Qt3DRender::QMaterial *material() const { return m_material; }
    Qt3DRender::QGeometryRenderer *mesh() const { return m_mesh; }
    Qt3DCore::QTransform *transform() const { return m_transform; }

private:
    QPointer<Qt3DRender::QMaterial> m_material;
    QPointer<Qt3DRender::QGeometryRenderer> m_mesh;
    QPointer<Qt3DCore::QTransform> m_transform;
};

} // namespace Scenegraph
