#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class QAction;
class QMainWindow;
class QMenu;
class QWidget;
class QWindow;

// What the program shows and what a user does to it: the main window, its
// menus, the 3D view and its context menu, dialogs and boxes. Texts are named
// in English and found in the language the program speaks.
class UserActions
{
public:
    struct Hooks {
        std::function<void(const QString &)> note;
        std::function<void(const QString &)> fail;   // ends the process
        // The step is done: called before a click that opens a modal loop,
        // so that the next steps run inside it.
        std::function<void()> acted;
    };
    explicit UserActions(Hooks hooks);

    static QString plain(QString text);
    // Whether a text the program shows is the English 'wanted'.
    static bool shows(const QString &shown, const QString &wanted);

    // What the program shows.
    QMainWindow *mainWindow() const;
    QWindow *sceneWindow() const;
    QAction *startStopAction() const;
    bool measuring() const;
    QWidget *openDialog() const;
    QAction *findAction(const QList<QAction *> &actions, const QString &text) const;
    QMenu *openMenu();   // the pop-up menu open now, if any

    // What the user does.
    void pressKeys(const QString &sequence);
    void clickAction(QMenu *menu, QAction *action);
    bool clickMenuEntry(const QString &path);
    bool clickMenuEntry(int menuIndex, int entryIndex);
    void openContextMenu();
    QStringList expandMenus() const;
    bool closeDialog(const QString &how);
    bool answer(const QString &button);
    void dragInScene(int dx, int dy, bool shift);
    void wheelInScene(int delta);

private:
    [[noreturn]] void fail(const QString &why) const;

    Hooks m_hooks;
    int m_menusSeen = 0;   // pop-up menus found open by a step
};
