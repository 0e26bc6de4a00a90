#pragma once

#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QString>

class QAction;
class QDockWidget;
class QMainWindow;
class QMenu;

// The main window's menus and where things go in them. Every menu has an
// order key and nine separators at step, 2·step, … 9·step; every action has
// a key in its data and stands before the first action with a greater one.
// Menus are found by their title, which the modules name.
class MenuRegistry : public QObject
{
    Q_OBJECT

public:
    explicit MenuRegistry(QMainWindow *window);

    QMenu *addMenu(const QString &title, int key, int step);
    QMenu *menu(const QString &title) const { return m_byTitle.value(title); }
    void insertAction(QMenu *menu, QAction *action, int key);

    // Every menu with actions of its own, in key order.
    void fillMenuBar();
    void setMenusEnabled(bool enabled, const QString &exceptTitle);

    // The window's context menu: its docks sorted by their action keys (a
    // separator above 1000), a separator, then its tool bars.
    QMenu *createToggleMenu() const;
    // A dock listed there by these entries instead of its own toggle.
    void setDockEntries(QDockWidget *dock, const QList<QAction *> &actions);

public slots:
    // A refresh hook for the modules' menus: each action's data is set again.
    void onMenuAboutToShow_update();

private:
    QMainWindow *m_window;
    QMap<int, QMenu *> m_byKey;
    QMap<QString, QMenu *> m_byTitle;
    QMap<const QDockWidget *, QList<QPointer<QAction>>> m_dockEntries;
};
