#pragma once

#include <Qt3DRender/QAbstractTextureImage>

#include <QColor>
#include <QSize>
#include <QString>

namespace Scenegraph {

// A label's picture as a texture image: the text in its colour with a dark
// outline. Every text is painted once, on the GUI thread, into an image of
// its own that is then handed to Qt3D and never touched again: the renderer
// reads it on its own thread whenever it uploads, so nothing it reads may be
// repainted or freed under it. A new text makes a new image; the old one
// lives as long as the renderer still holds it.
class LabelTextureImage : public Qt3DRender::QAbstractTextureImage
{
public:
    LabelTextureImage(const QString &text, const QColor &color, Qt3DCore::QNode *parent = nullptr);
    ~LabelTextureImage() override;

    const QString &text() const { return m_text; }
    // Paints and hands over a new picture when the text differs.
    void setText(const QString &text);
    // The size of the current picture, in pixels.
    QSize size() const { return m_size; }
    // How many pictures have been painted so far; for checks.
    int paintCount() const { return m_paints; }

    // The picture's height in pixels; labels are some ten to fifty pixels
    // high on screen, and a texture of this height stays sharp at that.
    static constexpr int PictureHeight = 48;
    static QSize pictureSize(const QString &text);
    static QImage paint(const QString &text, const QColor &color);

protected:
    Qt3DRender::QTextureImageDataGeneratorPtr dataGenerator() const override;

private:
    void repaint();

    QString m_text;
    QColor m_color;
    QSize m_size;
    int m_paints = 0;
    Qt3DRender::QTextureImageDataGeneratorPtr m_generator;
};

} // namespace Scenegraph
