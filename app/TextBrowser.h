#pragma once

#include <QTextEdit>

class QAction;

// Read-only event view whose context menu can clear it.
class TextBrowser : public QTextEdit
{
    Q_OBJECT

public:
    explicit TextBrowser(QWidget *parent = nullptr);

    QAction *clearAction() const { return m_clear; }
    QMenu *createContextMenu(const QPoint &position);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    QAction *m_clear;
};
