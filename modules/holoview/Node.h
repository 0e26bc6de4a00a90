#pragma once

#include <Qt3DCore/QEntity>

#include <QPointer>
#include <QString>

#include <memory>
#include <vector>

namespace Scenegraph {

class SceneGraph;

// A named node of the 3D monitor's scene. A node owns its children and one
// Qt3D entity; the entity tree mirrors the node tree. Nodes are always held by
// shared pointers: the creator's and the parent's list entry share ownership.
// Tree changes go through SceneGraph, which keeps the name registry in step.
class Node
{
public:
    explicit Node(const QString &name = QString());
    virtual ~Node();

    Node(const Node &) = delete;
    Node &operator=(const Node &) = delete;

    const QString &name() const { return m_name; }
    Node *parent() const { return m_parent; }
    SceneGraph *sceneGraph() const { return m_sceneGraph; }
    const std::vector<std::shared_ptr<Node>> &children() const { return m_children; }
    // Null once Qt has deleted the entity, e.g. together with an ancestor's.
    Qt3DCore::QEntity *entity() const { return m_entity; }

private:
    friend class SceneGraph;

    QString m_name;
    Node *m_parent = nullptr;
    SceneGraph *m_sceneGraph = nullptr;
    std::vector<std::shared_ptr<Node>> m_children;
    QPointer<Qt3DCore::QEntity> m_entity;
};

} // namespace Scenegraph
