#include "ElidingLabel.h"

#include <QFontMetricsF>
#include <QResizeEvent>

#include <cmath>

ElidingLabel::ElidingLabel(QWidget *parent) : QLabel(parent)
{
    // Elision counts characters; markup would be cut in the middle.
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
}

void ElidingLabel::setFullText(const QString &text)
{
    if (text == m_fullText)
        return;
    m_fullText = text;
    updateGeometry();
    elide();
}

QSize ElidingLabel::sizeHint() const
{
    const QSize base = QLabel::minimumSizeHint();
    const int frame = contentsMargins().left() + contentsMargins().right() + 2 * margin();
    // The exact width, rounded up: elision measures with fractions, and a hint
    // a fraction short cut the whole text's end off.
    const int text = int(std::ceil(QFontMetricsF(font()).horizontalAdvance(m_fullText))) + 1;
    return QSize(text + frame, base.height());
}

QSize ElidingLabel::minimumSizeHint() const
{
    const int frame = contentsMargins().left() + contentsMargins().right() + 2 * margin();
    const int shortest = m_fullText.isEmpty() ? 0 : fontMetrics().horizontalAdvance(QStringLiteral("Wor…"));
    return QSize(shortest + frame, QLabel::minimumSizeHint().height());
}

void ElidingLabel::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    elide();
}

void ElidingLabel::elide()
{
    const QString shown = fontMetrics().elidedText(m_fullText, Qt::ElideRight, contentsRect().width() - 2 * margin());
    setText(shown);
    setToolTip(shown == m_fullText ? QString() : m_fullText);
}
