#include "MenuRegistry.h"

#include <QAction>
#include <QDockWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include <algorithm>

MenuRegistry::MenuRegistry(QMainWindow *window)
    : QObject(window)
    , m_window(window)
{
}

QMenu *MenuRegistry::addMenu(const QString &title, int key, int step)
{
    auto *menu = new QMenu(title, m_window);
    for (int i = 1; i <= 9; ++i) {
        QAction *separator = menu->addSeparator();
        separator->setData(step * i);
    }
    m_byKey.insert(key, menu);
    m_byTitle.insert(title, menu);
    connect(menu, &QMenu::aboutToShow, this, &MenuRegistry::onMenuAboutToShow_update);
    return menu;
}

void MenuRegistry::insertAction(QMenu *menu, QAction *action, int key)
{
    action->setData(key);
    for (QAction *existing : menu->actions()) {
        if (existing->data().toInt() > key) {
            menu->insertAction(existing, action);
            return;
        }
    }
    menu->addAction(action);
}

void MenuRegistry::fillMenuBar()
{
    for (QMenu *menu : qAsConst(m_byKey))
        if (menu->actions().size() > 9)
            m_window->menuBar()->addMenu(menu);
}

void MenuRegistry::setMenusEnabled(bool enabled, const QString &exceptTitle)
{
    for (auto it = m_byTitle.cbegin(); it != m_byTitle.cend(); ++it)
        if (it.key() != exceptTitle)
            it.value()->setEnabled(enabled);
}

QMenu *MenuRegistry::createToggleMenu() const
{
    auto *menu = new QMenu(m_window);
    QList<QDockWidget *> docks = m_window->findChildren<QDockWidget *>(QString(), Qt::FindDirectChildrenOnly);
    std::stable_sort(docks.begin(), docks.end(), [](QDockWidget *a, QDockWidget *b) {
        return a->toggleViewAction()->data().toInt() < b->toggleViewAction()->data().toInt();
    });
    bool separated = false;
    for (QDockWidget *dock : qAsConst(docks)) {
        if (!separated && dock->toggleViewAction()->data().toInt() > 1000) {
            menu->addSeparator();
            separated = true;
        }
        if (!m_dockEntries.contains(dock)) {
            menu->addAction(dock->toggleViewAction());
            continue;
        }
        for (QAction *action : m_dockEntries.value(dock))
            if (action)
                menu->addAction(action);
    }
    menu->addSeparator();
    for (QToolBar *bar : m_window->findChildren<QToolBar *>(QString(), Qt::FindDirectChildrenOnly))
        menu->addAction(bar->toggleViewAction());
    return menu;
}

void MenuRegistry::setDockEntries(QDockWidget *dock, const QList<QAction *> &actions)
{
    QList<QPointer<QAction>> &entries = m_dockEntries[dock];
    entries.clear();
    for (QAction *action : actions)
        entries << action;
}

void MenuRegistry::onMenuAboutToShow_update()
{
    auto *menu = qobject_cast<QMenu *>(sender());
    if (!menu)
        return;
    for (QAction *action : menu->actions())
        action->setData(action->data());
}
