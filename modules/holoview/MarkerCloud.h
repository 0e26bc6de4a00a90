#pragma once

#include "Node.h"

#include <QByteArray>
#include <QColor>
#include <QPointer>
#include <QVector>
#include <QVector3D>

#include <Qt3DRender/QAttribute>
#include <Qt3DRender/QBuffer>
#include <Qt3DRender/QEffect>
#include <Qt3DRender/QGeometryRenderer>
#include <Qt3DRender/QMaterial>

namespace Scenegraph {

// Any number of equal spheres drawn by one entity: one square that faces the
// eye and is shaded as a ball, instanced once per position, the positions in
// one buffer that each update replaces.
// Markers come by the hundred and change ids every frame; one entity costs
// the renderer the same for 2 or 200 of them, where an entity each made
// Qt3D's per-entity work and the draw calls the bulk of the program's load.
// The node's entity is disabled while there is nothing to draw.
class MarkerCloud : public Node
{
public:
    // 'size' is the spheres' radius in scene units (millimetres); 'effect'
    // is the scene's one marker effect (SceneGraph::markerEffect).
    MarkerCloud(Qt3DRender::QEffect *effect, const QString &name, const QColor &colour, float size);
    ~MarkerCloud() override;

    // Three floats (x, y, z in room coordinates) per sphere, as the buffer
    // takes them; handed over rather than copied.
    void setPositions(QByteArray xyz);
    int count() const { return m_count; }
    // The sphere at 'index' as last set; for checks.
    QVector3D position(int index) const;
    float size() const { return m_size; }
    QColor colour() const { return m_colour; }

    Qt3DRender::QGeometryRenderer *renderer() const { return m_renderer; }
    Qt3DRender::QMaterial *material() const { return m_material; }
    Qt3DRender::QBuffer *instanceBuffer() const { return m_buffer; }

    // The effect that draws marker clouds; one serves a whole scene.
    static Qt3DRender::QEffect *createEffect();

    // The per-sphere attribute the shader offsets each instance by.
    static QString positionAttributeName() { return QStringLiteral("markerPosition"); }

private:
    void buildMaterial(Qt3DRender::QEffect *effect);

    QColor m_colour;
    float m_size;
    int m_count = 0;
    QByteArray m_data;
    QPointer<Qt3DRender::QGeometryRenderer> m_renderer;
    QPointer<Qt3DRender::QMaterial> m_material;
    QPointer<Qt3DRender::QBuffer> m_buffer;
    QPointer<Qt3DRender::QAttribute> m_attribute;
};

} // namespace Scenegraph
