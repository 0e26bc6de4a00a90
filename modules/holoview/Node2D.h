#pragma once

#include "Node.h"

namespace Scenegraph {

// Marks a node of the 2D overlay drawn over the 3D view.
class Node2D : public Node
{
public:
    explicit Node2D(const QString &name = QString());
};

} // namespace Scenegraph
