#pragma once

#include <QLabel>

// A one-line plain-text label that never widens its window: a text longer than
// the room it gets ends in "…", and the whole text is its tool tip.
class ElidingLabel : public QLabel
{
    Q_OBJECT

public:
    explicit ElidingLabel(QWidget *parent = nullptr);

    void setFullText(const QString &text);
    QString fullText() const { return m_fullText; }

    // As wide as the whole text when there is room, down to a few characters when not.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void elide();

    QString m_fullText;
};
