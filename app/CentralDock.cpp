#include "CentralDock.h"

#include <QAction>
#include <QDockWidget>
#include <QMainWindow>
#include <QScreen>
#include <QScopedValueRollback>

namespace {

// Where the hidden dock stands while its content is the middle: the area is
// the one thing a saved layout keeps of a hidden dock.
constexpr Qt::DockWidgetArea ShownArea = Qt::TopDockWidgetArea;
constexpr Qt::DockWidgetArea HiddenArea = Qt::LeftDockWidgetArea;

// A window floated from the middle opens this far below and right of it, so
// that it is seen to be a window of its own.
constexpr int FloatOffset = 32;

} // namespace

CentralDock::CentralDock(QMainWindow *window, QDockWidget *dock)
    : QObject(window)
    , m_window(window)
    , m_dock(dock)
    , m_content(dock->widget())
    , m_view(new QAction(dock))
    , m_float(new QAction(dock))
{
    // The dock's own entry would show it docked: a bare title bar.
    QAction *own = dock->toggleViewAction();
    own->setVisible(false);
    m_view->setText(own->text());
    m_view->setStatusTip(own->statusTip());
    m_view->setWhatsThis(own->whatsThis());
    m_view->setCheckable(true);
    m_float->setText(tr("%1 in Own Window").arg(own->text()));
    m_float->setStatusTip(tr("Show %1 in a window of its own, to move it to another screen").arg(own->text()));
    m_float->setWhatsThis(m_float->statusTip());
    m_float->setCheckable(true);

    dock->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    // Floating, it docks back into the middle only; the sides are the other docks'.
    dock->setAllowedAreas(Qt::NoDockWidgetArea);
    window->setCentralWidget(m_content);
    window->addDockWidget(ShownArea, dock);
    dock->hide();

    connect(m_view, &QAction::triggered, this, &CentralDock::setShown);
    connect(m_float, &QAction::triggered, this, &CentralDock::setFloating);
    connect(dock, &QDockWidget::topLevelChanged, this, &CentralDock::settle);
    connect(dock, &QDockWidget::visibilityChanged, this, &CentralDock::syncActions);
    syncActions();
}

bool CentralDock::isFloating() const
{
    return m_dock && m_dock->isFloating();
}

bool CentralDock::isShown() const
{
    if (!m_dock)
        return false;
    return m_dock->isFloating() ? !m_dock->isHidden() : m_window->dockWidgetArea(m_dock) != HiddenArea;
}

void CentralDock::settle()
{
    if (!m_dock || !m_content || m_settling)
        return;
    const QScopedValueRollback<bool> guard(m_settling, true);
    if (m_dock->isFloating()) {
        if (m_dock->widget() != m_content) {
            // Moved straight into the dock, whose layout takes it out of the
            // window's. Taking the central widget first would make it a window
            // of its own for a moment, created at no height (the X server
            // refuses that one); replacing it would delete it.
            m_dock->setWidget(m_content);
            m_content->show();
        }
    } else {
        m_dock->hide();
        if (m_window->centralWidget() != m_content) {
            if (m_dock->widget() == m_content)
                m_dock->setWidget(nullptr);
            m_window->setCentralWidget(m_content);
        }
        m_content->setVisible(isShown());
    }
    const bool middleShown = m_window->centralWidget() == m_content && isShown();
    if (middleShown && !m_middleShown)
        restoreDockSizes();
    m_middleShown = middleShown;
    syncActions();
}

void CentralDock::setShown(bool shown)
{
    if (!m_dock || !m_content)
        return;
    if (m_dock->isFloating()) {
        m_dock->setVisible(shown);
    } else {
        const Qt::DockWidgetArea area = shown ? ShownArea : HiddenArea;
        if (!shown && m_middleShown)
            rememberDockSizes();
        if (m_window->dockWidgetArea(m_dock) != area)
            m_window->addDockWidget(area, m_dock);
        settle();
    }
    syncActions();
}

// Floating shows it, even from hidden: the user asked for a window. Docked
// back it stays as shown or hidden as it was.
void CentralDock::setFloating(bool floating)
{
    if (!m_dock || !m_content || floating == m_dock->isFloating()) {
        syncActions();
        return;
    }
    if (floating) {
        const QRect middle(m_content->mapToGlobal(QPoint(0, 0)), m_content->size().expandedTo(QSize(400, 300)));
        if (m_middleShown)
            rememberDockSizes();
        // It docks back into the middle shown.
        if (m_window->dockWidgetArea(m_dock) != ShownArea)
            m_window->addDockWidget(ShownArea, m_dock);
        m_dock->setFloating(true);
        m_dock->setGeometry(onScreen(middle.translated(FloatOffset, FloatOffset)));
        m_dock->show();
    } else {
        const bool shown = isShown();
        m_dock->setFloating(false);
        if (!shown)
            setShown(false);
    }
    syncActions();
}

// Within the screen the window is on, so that all of it can be reached and
// the layout that keeps it is not refused at the next start.
QRect CentralDock::onScreen(QRect rect) const
{
    const QScreen *screen = m_window->screen();
    if (!screen)
        return rect;
    const QRect room = screen->availableGeometry();
    rect.setSize(rect.size().boundedTo(room.size()));
    rect.moveRight(qMin(rect.right(), room.right()));
    rect.moveBottom(qMin(rect.bottom(), room.bottom()));
    rect.moveLeft(qMax(rect.left(), room.left()));
    rect.moveTop(qMax(rect.top(), room.top()));
    return rect;
}

void CentralDock::syncActions()
{
    if (!m_dock)
        return;   // the actions went with it
    m_view->setChecked(isShown());
    m_float->setChecked(isFloating());
}

QList<CentralDock::DockSize> CentralDock::dockSizes(int maxHeight, int maxWidth) const
{
    QList<DockSize> sizes;
    for (QDockWidget *dock : m_window->findChildren<QDockWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (dock == m_dock || dock->isHidden() || dock->isFloating())
            continue;
        const Qt::DockWidgetArea area = m_window->dockWidgetArea(dock);
        if (area == Qt::TopDockWidgetArea || area == Qt::BottomDockWidgetArea)
            sizes.append({dock, qMin(dock->height(), maxHeight), Qt::Vertical});
        else if (area == Qt::LeftDockWidgetArea || area == Qt::RightDockWidgetArea)
            sizes.append({dock, qMin(dock->width(), maxWidth), Qt::Horizontal});
    }
    return sizes;
}

void CentralDock::rememberDockSizes()
{
    m_dockSizes = dockSizes(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
}

// Without sizes from before (a session that began with the middle empty),
// the docks above and below get a fifth of the window's height at most and
// those beside it a third of its width, as in the fixed arrangement.
void CentralDock::restoreDockSizes()
{
    if (m_dockSizes.isEmpty())
        m_dockSizes = dockSizes(m_window->height() / 5, m_window->width() / 3);
    for (const Qt::Orientation orientation : {Qt::Vertical, Qt::Horizontal}) {
        QList<QDockWidget *> docks;
        QList<int> sizes;
        for (const DockSize &entry : qAsConst(m_dockSizes)) {
            if (entry.dock && entry.orientation == orientation && !entry.dock->isHidden() && !entry.dock->isFloating()) {
                docks << entry.dock;
                sizes << entry.size;
            }
        }
        if (!docks.isEmpty())
            m_window->resizeDocks(docks, sizes, orientation);
    }
    m_dockSizes.clear();
}
