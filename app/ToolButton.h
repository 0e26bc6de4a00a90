#pragma once

#include <QToolButton>

// A tool button that takes the keyboard focus when clicked, so that a
// following key press (M for Start/Stop) is not eaten by another widget.
class ToolButton : public QToolButton
{
    Q_OBJECT

public:
    explicit ToolButton(QWidget *parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent *event) override;
};
