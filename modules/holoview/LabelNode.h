#pragma once

#include "LabelTextureImage.h"
#include "PoseTransformationNode.h"

#include <QColor>
#include <QPointer>
#include <QSizeF>
#include <QString>

namespace Qt3DRender {
class QEffect;
class QParameter;
}

namespace Scenegraph {

// A short text in the scene, such as a target's id or a camera's number: a
// square of the text's picture, anchored at its lower left corner, that always
// faces the viewer and stands upright on the screen, so that it reads the same
// from every angle. The picture is painted by us into a texture, and the
// turning to the viewer happens in the shader: nothing of the label depends on
// state that Qt3D keeps beyond the label's own entity.
class LabelNode : public PoseTransformationNode
{
public:
    // 'height' is the text's height in scene units (millimetres); 'effect'
    // is the scene's one label effect (SceneGraph::labelEffect).
    LabelNode(Qt3DRender::QEffect *effect, const QString &name, const QString &text, float height,
              const QColor &color);
    ~LabelNode() override;

    const QString &text() const { return m_text; }
    void setText(const QString &text);
    QColor color() const { return m_color; }
    // Width and height of the label in scene units.
    QSizeF size() const { return m_size; }
    void setPosition(double x, double y, double z);
    // Beside and above the point (x, y, z): half the offset along x, the whole
    // offset along the room's up axis for plane 0 (z up), 1 (y up) or 2 (x up).
    void placeAbove(double x, double y, double z, double offset, int plane);

    static constexpr int PictureHeight = LabelTextureImage::PictureHeight;
    // The texture image that holds the current picture.
    const LabelTextureImage *picture() const { return m_picture; }

    // The effect that draws labels; one serves a whole scene.
    static Qt3DRender::QEffect *createEffect();

private:
    void buildEntity(Qt3DRender::QEffect *effect);

    QString m_text;
    QColor m_color;
    float m_height;
    QSizeF m_size;
    QPointer<LabelTextureImage> m_picture;
    QPointer<Qt3DRender::QParameter> m_sizeParameter;
};

} // namespace Scenegraph
