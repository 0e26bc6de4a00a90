#include "PoseTransformationNode.h"

#include <Qt3DCore/QEntity>
#include <Qt3DCore/QTransform>

#include <QGenericMatrix>
#include <QQuaternion>

namespace Scenegraph {

PoseTransformationNode::PoseTransformationNode(const QString &name)
    : Node(name)
    , m_transform(new Qt3DCore::QTransform(entity()))
{
    entity()->addComponent(m_transform);
}

PoseTransformationNode::~PoseTransformationNode()
{
    if (m_transform)
        m_transform->deleteLater();
}

void PoseTransformationNode::setPose(const Pose &values)
{
    if (!m_transform)
        return;
    QMatrix3x3 rotation;
    for (int column = 0; column < 3; ++column)
        for (int row = 0; row < 3; ++row)
            rotation(row, column) = static_cast<float>(values[static_cast<size_t>(3 + 3 * column + row)]);
    m_transform->setTranslation(QVector3D(static_cast<float>(values[0]), static_cast<float>(values[1]),
                                          static_cast<float>(values[2])));
    m_transform->setRotation(QQuaternion::fromRotationMatrix(rotation));
}

void PoseTransformationNode::setScale(float factor)
{
    if (m_transform)
        m_transform->setScale(factor);
}

} // namespace Scenegraph
