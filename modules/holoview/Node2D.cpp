#include "Node2D.h"

namespace Scenegraph {

Node2D::Node2D(const QString &name)
    : Node(name)
{
}

} // namespace Scenegraph
