#pragma once

#include <QLineEdit>

// A live value in a status tool bar. Drawn like any text, not in the grey of
// a disabled field, yet nothing to type into, select or focus.
class StatusValueField : public QLineEdit
{
    Q_OBJECT

public:
    explicit StatusValueField(const QString &text = QString(), QWidget *parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
};
