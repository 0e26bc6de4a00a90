#pragma once

#include "PoseTransformationNode.h"

#include <QColor>
#include <QPointer>
#include <QString>

namespace Qt3DExtras {
class QText2DEntity;
}

namespace Scenegraph {

// A short text in the scene, such as a target's id or a camera's number. The
// text stands upright for the room's plane and is placed by translation only,
// so that it stays readable whichever way its target turns.
class LabelNode : public PoseTransformationNode
{
public:
    // 'height' is the text's height in scene units (millimetres).
    LabelNode(const QString &name, const QString &text, float height, const QColor &color);
    ~LabelNode() override;

    const QString &text() const { return m_text; }
    void setText(const QString &text);
    // Upright for plane 0 (z up), 1 (y up) or 2 (x up).
    void setPlane(int plane);
    void setPosition(double x, double y, double z);
    // Beside and above the point (x, y, z): half the offset along x, the whole
    // offset along the room's up axis for plane (as in setPlane).
    void placeAbove(double x, double y, double z, double offset, int plane);

private:
    QPointer<Qt3DExtras::QText2DEntity> m_textEntity;
    QString m_text;
    float m_height;
};

} // namespace Scenegraph
