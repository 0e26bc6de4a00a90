#include "MarkerCloud.h"

#include "ForwardEffect.h"

#include <Qt3DRender/QAttribute>
#include <Qt3DRender/QBuffer>
#include <Qt3DRender/QEffect>
#include <Qt3DRender/QGeometry>
#include <Qt3DRender/QGeometryRenderer>
#include <Qt3DRender/QMaterial>
#include <Qt3DRender/QParameter>

#include <cstring>
#include <utility>

namespace Scenegraph {

namespace {

// Each instance is a square facing the eye, as wide as the sphere, placed at
// its marker; the fragment shader cuts the disc out of it and shades it as a
// ball lit from the eye. A real sphere mesh costs a software renderer some
// hundred vertices per marker, all of which end in a few pixels.
// Seen from across the room a marker of a few millimetres would be a pixel
// or two: it is drawn at least 4 pixels across the radius.
const char VertexShader[] = R"(#version 150 core
in vec2 corner;
in vec3 markerPosition;
out vec2 disc;
uniform mat4 modelView;
uniform mat4 projectionMatrix;
uniform mat4 viewportMatrix;
uniform float markerSize;
uniform float pixelRatio;
void main()
{
    disc = corner;
    vec4 centre = modelView * vec4(markerPosition, 1.0);
    float pixels = markerSize * projectionMatrix[1][1] * viewportMatrix[1][1] / max(-centre.z, 1.0);
    float size = markerSize * max(1.0, 4.0 * pixelRatio / max(pixels, 0.001));
    gl_Position = projectionMatrix * (centre + vec4(corner * size, 0.0, 0.0));
}
)";

const char FragmentShader[] = R"(#version 150 core
in vec2 disc;
out vec4 fragColor;
uniform vec3 markerColour;
void main()
{
    float r2 = dot(disc, disc);
    if (r2 > 1.0)
        discard;
    float light = 0.45 + 0.55 * sqrt(1.0 - r2);
    fragColor = vec4(markerColour * light, 1.0);
}
)";

} // namespace

MarkerCloud::MarkerCloud(Qt3DRender::QEffect *effect, const QString &name, const QColor &colour, float size)
    : Node(name)
    , m_colour(colour)
    , m_size(size)
{
    m_renderer = new Qt3DRender::QGeometryRenderer(entity());
    auto *geometry = new Qt3DRender::QGeometry(m_renderer);
    const float corners[] = {-1, -1, 1, -1, -1, 1, 1, 1};
    auto *quad = new Qt3DRender::QBuffer(geometry);
    quad->setData(QByteArray(reinterpret_cast<const char *>(corners), sizeof corners));
    auto *corner = new Qt3DRender::QAttribute(geometry);
    corner->setName(QStringLiteral("corner"));
    corner->setAttributeType(Qt3DRender::QAttribute::VertexAttribute);
    corner->setVertexBaseType(Qt3DRender::QAttribute::Float);
    corner->setVertexSize(2);
    corner->setByteStride(2 * sizeof(float));
    corner->setCount(4);
    corner->setBuffer(quad);
    geometry->addAttribute(corner);

    m_buffer = new Qt3DRender::QBuffer(geometry);
    m_buffer->setUsage(Qt3DRender::QBuffer::DynamicDraw);
    m_attribute = new Qt3DRender::QAttribute(geometry);
    m_attribute->setName(positionAttributeName());
    m_attribute->setAttributeType(Qt3DRender::QAttribute::VertexAttribute);
    m_attribute->setVertexBaseType(Qt3DRender::QAttribute::Float);
    m_attribute->setVertexSize(3);
    m_attribute->setByteOffset(0);
    m_attribute->setByteStride(3 * sizeof(float));
    m_attribute->setDivisor(1);
    m_attribute->setBuffer(m_buffer);
    geometry->addAttribute(m_attribute);
    // The square's bounds say nothing of where the markers are; bound the
    // markers instead, or the renderer culls them with the room's origin.
    geometry->setBoundingVolumePositionAttribute(m_attribute);

    m_renderer->setGeometry(geometry);
    m_renderer->setPrimitiveType(Qt3DRender::QGeometryRenderer::TriangleStrip);
    m_renderer->setVertexCount(4);
    m_renderer->setInstanceCount(0);
    entity()->addComponent(m_renderer);

    buildMaterial(effect);
    entity()->addComponent(m_material);
    entity()->setEnabled(false);
}

MarkerCloud::~MarkerCloud() = default;

Qt3DRender::QEffect *MarkerCloud::createEffect()
{
    return createForwardEffect(VertexShader, FragmentShader);
}

void MarkerCloud::buildMaterial(Qt3DRender::QEffect *effect)
{
    m_material = new Qt3DRender::QMaterial(entity());
    m_material->setEffect(effect);
    m_material->addParameter(new Qt3DRender::QParameter(
        QStringLiteral("markerColour"),
        QVector3D(static_cast<float>(m_colour.redF()), static_cast<float>(m_colour.greenF()),
                  static_cast<float>(m_colour.blueF()))));
    m_material->addParameter(new Qt3DRender::QParameter(QStringLiteral("markerSize"), m_size));
}

void MarkerCloud::setPositions(QByteArray xyz)
{
    const int stride = 3 * static_cast<int>(sizeof(float));
    const int count = xyz.size() / stride;
    xyz.truncate(count * stride);
    // Markers standing still cost nothing: no upload, no change to sync.
    if (count == m_count && xyz == m_data)
        return;
    m_count = count;
    m_data = std::move(xyz);
    if (count > 0 && m_buffer && m_attribute && m_renderer) {
        m_buffer->setData(m_data);
        m_attribute->setCount(static_cast<uint>(count));
        m_renderer->setInstanceCount(count);
    }
    if (entity() && entity()->isEnabled() != (count > 0))
        entity()->setEnabled(count > 0);
}

QVector3D MarkerCloud::position(int index) const
{
    if (index < 0 || index >= m_count)
        return QVector3D();
    float xyz[3];
    std::memcpy(xyz, m_data.constData() + index * static_cast<int>(sizeof xyz), sizeof xyz);
    return QVector3D(xyz[0], xyz[1], xyz[2]);
}

} // namespace Scenegraph
