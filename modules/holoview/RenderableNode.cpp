#include "RenderableNode.h"

#include <Qt3DCore/QEntity>
#include <Qt3DCore/QTransform>
#include <Qt3DRender/QGeometryRenderer>
#include <Qt3DRender/QMaterial>

namespace Scenegraph {

RenderableNode::RenderableNode(Qt3DRender::QMaterial *material, Qt3DRender::QGeometryRenderer *mesh,
                               Qt3DCore::QTransform *transform)
    : m_material(material)
    , m_mesh(mesh)
    , m_transform(transform)
{
    // A missing library entry has already been reported; draw what there is.
    if (material)
        entity()->addComponent(material);
    if (mesh)
        entity()->addComponent(mesh);
    if (transform)
        entity()->addComponent(transform);
}

RenderableNode::~RenderableNode()
{
    if (m_transform)
        m_transform->deleteLater();
}

} // namespace Scenegraph
