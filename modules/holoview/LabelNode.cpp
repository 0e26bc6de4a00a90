#include "LabelNode.h"

#include <Qt3DCore/QEntity>
#include <Qt3DCore/QTransform>
#include <Qt3DExtras/QText2DEntity>

#include <QFont>
#include <QQuaternion>

namespace Scenegraph {

LabelNode::LabelNode(const QString &name, const QString &text, float height, const QColor &color)
    : PoseTransformationNode(name)
    , m_textEntity(new Qt3DExtras::QText2DEntity(entity()))
    , m_height(height)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(double(height));
    m_textEntity->setFont(font);
    m_textEntity->setColor(color);
    m_textEntity->setHeight(height * 1.5f);
    setText(text);
    setPlane(0);
}

LabelNode::~LabelNode()
{
    if (m_textEntity)
        m_textEntity->deleteLater();
}

void LabelNode::setText(const QString &text)
{
    if (text == m_text || !m_textEntity)
        return;
    m_text = text;
    m_textEntity->setText(text);
    // Wide enough for the text; the entity clips what does not fit.
    m_textEntity->setWidth(m_height * (1.0f + 0.75f * float(text.size())));
}

void LabelNode::setPlane(int plane)
{
    if (!transform())
        return;
    // The text lies in its x-y plane facing +z; turn it so that its up is the
    // room's up and it faces the default view.
    QQuaternion rotation;
    if (plane == 0)
        rotation = QQuaternion::fromAxisAndAngle(1, 0, 0, 90);
    else if (plane == 1)
        rotation = QQuaternion::fromAxisAndAngle(0, 1, 0, 180);
    else if (plane == 2)
        rotation = QQuaternion::fromAxisAndAngle(0, 0, 1, 90) * QQuaternion::fromAxisAndAngle(0, 1, 0, -90);
    transform()->setRotation(rotation);
}

void LabelNode::setPosition(double x, double y, double z)
{
    if (transform())
        transform()->setTranslation(QVector3D(float(x), float(y), float(z)));
}

void LabelNode::placeAbove(double x, double y, double z, double offset, int plane)
{
    double at[3] = {x + offset / 2, y, z};
    at[plane == 0 ? 2 : plane == 1 ? 1 : 0] += offset;
    setPosition(at[0], at[1], at[2]);
}

} // namespace Scenegraph
