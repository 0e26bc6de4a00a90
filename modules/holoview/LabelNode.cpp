#include "LabelNode.h"

#include "ForwardEffect.h"
#include "LabelTextureImage.h"

#include <Qt3DCore/QEntity>
#include <Qt3DCore/QTransform>
#include <Qt3DRender/QAttribute>
#include <Qt3DRender/QBuffer>
#include <Qt3DRender/QGeometry>
#include <Qt3DRender/QGeometryRenderer>
#include <Qt3DRender/QMaterial>
#include <Qt3DRender/QParameter>
#include <Qt3DRender/QTexture>

#include <QVector2D>

namespace Scenegraph {

namespace {

// The square spans 0..1 in both directions from the anchor; the vertex shader
// stretches it to the label's size in eye space, where x is the screen's right
// and y its up, so it faces the viewer whatever the camera's orbit.
// Readable at every distance: the label keeps its size in the room while
// that is between 13 and 26 pixels high on the screen, and stays at the
// nearer bound beyond them, so that it neither fills the view close up nor
// vanishes far away. viewportMatrix[1][1] is half the viewport's height.
const char VertexShader[] = R"(#version 150 core
in vec3 corner;
out vec2 texCoord;
uniform mat4 modelView;
uniform mat4 projectionMatrix;
uniform mat4 viewportMatrix;
uniform vec2 labelSize;
uniform float pixelRatio;
void main()
{
    texCoord = vec2(corner.x, 1.0 - corner.y);
    vec4 anchor = modelView * vec4(0.0, 0.0, 0.0, 1.0);
    float pixels = labelSize.y * projectionMatrix[1][1] * viewportMatrix[1][1] / max(-anchor.z, 1.0);
    float wanted = clamp(pixels, 13.0 * pixelRatio, 26.0 * pixelRatio);
    vec2 size = labelSize * (wanted / max(pixels, 0.001));
    gl_Position = projectionMatrix * (anchor + vec4(corner.xy * size, 0.0, 0.0));
}
)";

// Pixels the text leaves transparent are cut away rather than blended, so the
// labels need no sorting against each other or the scene.
const char FragmentShader[] = R"(#version 150 core
in vec2 texCoord;
out vec4 fragColor;
uniform sampler2D labelTexture;
void main()
{
    vec4 colour = texture(labelTexture, texCoord);
    if (colour.a < 0.5)
        discard;
    fragColor = vec4(colour.rgb / colour.a, 1.0);
}
)";

} // namespace

LabelNode::LabelNode(Qt3DRender::QEffect *effect, const QString &name, const QString &text, float height,
                     const QColor &color)
    : PoseTransformationNode(name)
    , m_text(text)
    , m_color(color)
    , m_height(height)
{
    buildEntity(effect);
}

Qt3DRender::QEffect *LabelNode::createEffect()
{
    return createForwardEffect(VertexShader, FragmentShader);
}

LabelNode::~LabelNode() = default;

void LabelNode::buildEntity(Qt3DRender::QEffect *effect)
{
    auto *renderer = new Qt3DRender::QGeometryRenderer(entity());
    auto *geometry = new Qt3DRender::QGeometry(renderer);
    // Three floats a corner, so that the renderer can bound the label by them.
    const float corners[] = {0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0};
    auto *buffer = new Qt3DRender::QBuffer(geometry);
    buffer->setData(QByteArray(reinterpret_cast<const char *>(corners), sizeof corners));
    auto *corner = new Qt3DRender::QAttribute(geometry);
    corner->setName(QStringLiteral("corner"));
    corner->setAttributeType(Qt3DRender::QAttribute::VertexAttribute);
    corner->setVertexBaseType(Qt3DRender::QAttribute::Float);
    corner->setVertexSize(3);
    corner->setByteStride(3 * sizeof(float));
    corner->setCount(4);
    corner->setBuffer(buffer);
    geometry->addAttribute(corner);
    geometry->setBoundingVolumePositionAttribute(corner);
    renderer->setGeometry(geometry);
    renderer->setPrimitiveType(Qt3DRender::QGeometryRenderer::TriangleStrip);
    renderer->setVertexCount(4);
    entity()->addComponent(renderer);

    auto *material = new Qt3DRender::QMaterial(entity());
    material->setEffect(effect);
    auto *texture = new Qt3DRender::QTexture2D(material);
    texture->setMinificationFilter(Qt3DRender::QAbstractTexture::Linear);
    texture->setMagnificationFilter(Qt3DRender::QAbstractTexture::Linear);
    m_picture = new LabelTextureImage(m_text, m_color, texture);
    texture->addTextureImage(m_picture);
    material->addParameter(new Qt3DRender::QParameter(QStringLiteral("labelTexture"), texture));
    m_sizeParameter = new Qt3DRender::QParameter(QStringLiteral("labelSize"), QVector2D());
    material->addParameter(m_sizeParameter);
    entity()->addComponent(material);
    setText(m_text);
}

void LabelNode::setText(const QString &text)
{
    m_text = text;
    if (m_picture)
        m_picture->setText(text);
    const QSize picture = m_picture ? m_picture->size() : LabelTextureImage::pictureSize(text);
    m_size = QSizeF(double(m_height) * picture.width() / picture.height(), double(m_height));
    if (m_sizeParameter)
        m_sizeParameter->setValue(QVector2D(float(m_size.width()), float(m_size.height())));
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
