#include "Node.h"

#include <Qt3DCore/QEntity>

namespace Scenegraph {

Node::Node(const QString &name)
    : m_name(name)
    , m_entity(new Qt3DCore::QEntity())
{
}

Node::~Node()
{
    if (m_entity)
        m_entity->deleteLater();
    // Children that nobody else holds go with us; their entities are queued
    // for deletion like ours.
    for (const std::shared_ptr<Node> &child : m_children)
        child->m_parent = nullptr;
    m_children.clear();
}

} // namespace Scenegraph
