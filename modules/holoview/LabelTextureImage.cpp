#include "LabelTextureImage.h"

#include <Qt3DRender/QTextureImageData>
#include <Qt3DRender/QTextureImageDataGenerator>

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <atomic>
#include <cmath>

namespace Scenegraph {

namespace {

QFont labelFont()
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(LabelTextureImage::PictureHeight * 3 / 4);
    font.setBold(true);
    return font;
}

// Hands Qt3D one finished picture. The image is the generator's alone and
// const: the renderer's thread may copy it at any time, and the GUI thread
// never paints into it or frees it (a new text gets a new generator). Each
// generator is its own picture, so that the renderer uploads it once.
class LabelImageGenerator : public Qt3DRender::QTextureImageDataGenerator
{
public:
    explicit LabelImageGenerator(QImage image)
        : m_image(std::move(image))
        , m_serial(nextSerial())
    {
    }

    Qt3DRender::QTextureImageDataPtr operator()() override
    {
        auto data = Qt3DRender::QTextureImageDataPtr::create();
        data->setImage(m_image);
        return data;
    }

    bool operator==(const Qt3DRender::QTextureImageDataGenerator &other) const override
    {
        const auto *that = Qt3DRender::functor_cast<LabelImageGenerator>(&other);
        return that && that->m_serial == m_serial;
    }

    QT3D_FUNCTOR(LabelImageGenerator)

private:
    static quint64 nextSerial()
    {
        static std::atomic<quint64> serial{0};
        return ++serial;
    }

    const QImage m_image;
    const quint64 m_serial;
};

} // namespace

LabelTextureImage::LabelTextureImage(const QString &text, const QColor &color, Qt3DCore::QNode *parent)
    : Qt3DRender::QAbstractTextureImage(parent)
    , m_text(text)
    , m_color(color)
{
    repaint();
}

LabelTextureImage::~LabelTextureImage() = default;

void LabelTextureImage::setText(const QString &text)
{
    if (text == m_text)
        return;
    m_text = text;
    repaint();
}

QSize LabelTextureImage::pictureSize(const QString &text)
{
    const QFontMetricsF metrics(labelFont());
    const int width = static_cast<int>(std::ceil(metrics.horizontalAdvance(text))) + PictureHeight / 4;
    return QSize(qMax(width, PictureHeight / 2), PictureHeight);
}

QImage LabelTextureImage::paint(const QString &text, const QColor &color)
{
    QImage image(pictureSize(text), QImage::Format_RGBA8888);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QFont font = labelFont();
    const QFontMetricsF metrics(font);
    QPainterPath path;
    const qreal baseline = (image.height() + metrics.ascent() - metrics.descent()) / 2;
    path.addText(QPointF(PictureHeight / 8.0, baseline), font, text);
    painter.strokePath(path, QPen(QColor(0, 0, 0, 220), 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.fillPath(path, color);
    painter.end();
    return image;
}

void LabelTextureImage::repaint()
{
    QImage image = paint(m_text, m_color);
    m_size = image.size();
    ++m_paints;
    m_generator = QSharedPointer<LabelImageGenerator>::create(std::move(image));
    notifyDataGeneratorChanged();
}

Qt3DRender::QTextureImageDataGeneratorPtr LabelTextureImage::dataGenerator() const
{
    return m_generator;
}

} // namespace Scenegraph
