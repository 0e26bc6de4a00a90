#pragma once

#include "Node.h"

#include <Qt3DCore/QTransform>

#include <array>

namespace Scenegraph {

// A node that places its subtree: translation and rotation from a 12-value
// pose (position, then the rotation matrix column by column) and a scale.
class PoseTransformationNode : public Node
{
public:
    using Pose = std::array<double, 12>;

    explicit PoseTransformationNode(const QString &name = QString());
    ~PoseTransformationNode() override;

    void setPose(const Pose &values);
    void setScale(float factor);

    Qt3DCore::QTransform *transform() const { return m_transform; }

private:
    QPointer<Qt3DCore::QTransform> m_transform;
};

} // namespace Scenegraph
