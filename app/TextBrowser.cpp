#include "TextBrowser.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>

TextBrowser::TextBrowser(QWidget *parent)
    : QTextEdit(parent)
    , m_clear(new QAction(tr("Clear"), this))
{
    setReadOnly(true);
    connect(m_clear, &QAction::triggered, this, &QTextEdit::clear);
}

QMenu *TextBrowser::createContextMenu(const QPoint &position)
{
    QMenu *menu = createStandardContextMenu(position);
    menu->addSeparator();
    m_clear->setEnabled(!document()->isEmpty());
    menu->addAction(m_clear);
    return menu;
}

void TextBrowser::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = createContextMenu(event->pos());
    menu->exec(event->globalPos());
    delete menu;
}
