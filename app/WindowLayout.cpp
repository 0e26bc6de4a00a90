#include "WindowLayout.h"

#include <QCoreApplication>
#include <QDockWidget>
#include <QFile>
#include <QMainWindow>
#include <QToolBar>

#include <map>

WindowLayout::WindowLayout(QMainWindow *window, QList<QToolBar *> toolBars)
    : m_window(window)
    , m_toolBars(std::move(toolBars))
{
}

QString WindowLayout::save(const QString &path) const
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return QCoreApplication::translate("MainWindow", "Unsuccessful to open %1\n%2").arg(path, file.errorString());
    const QByteArray geometry = m_window->saveGeometry();
    const QByteArray state = m_window->saveState(0);
    QByteArray content;
    content.append(char(quint8(geometry.size() & 0xff)));
    content.append(geometry);
    content.append(state);
    if (file.write(content) != content.size() || !file.flush())
        return QCoreApplication::translate("MainWindow", "Error writing to %1\n%2").arg(path, file.errorString());
    return QString();
}

void WindowLayout::load(const QString &path)
{
    if (!restore(path))
        applyFixedArrangement();
}

bool WindowLayout::restore(const QString &path)
{
    QFile file(path);
    if (!file.exists() || !file.open(QIODevice::ReadOnly))
        return false;
    char length = 0;
    if (!file.getChar(&length))
        return false;
    const int geometrySize = quint8(length);
    const QByteArray geometry = file.read(geometrySize);
    if (geometry.size() < geometrySize)
        return false;
    const QByteArray state = file.readAll();
    if (state.isEmpty())
        return false;
    if (!m_window->restoreGeometry(geometry))
        return false;
    m_window->show();
    // Twice: the first pass places the docks, the second fixes sizes that
    // depend on the now known window geometry.
    return m_window->restoreState(state, 0) && m_window->restoreGeometry(geometry) && m_window->restoreState(state, 0);
}

QString WindowLayout::dockKey(const QString &objectName, int dockCount, int *others)
{
    const QString name = objectName.toLower();
    if (name.contains(QLatin1String("displaytab 01")))
        return QStringLiteral("01");
    if (name.contains(QLatin1String("data")))
        return QStringLiteral("02");
    if (name.contains(QLatin1String("gripwand")))
        return QStringLiteral("03");
    if (name.contains(QLatin1String("event")))
        return QStringLiteral("%1").arg(dockCount, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1").arg(4 + (*others)++, 2, 10, QLatin1Char('0'));
}

void WindowLayout::applyFixedArrangement()
{
    if (m_window->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))
        m_window->showNormal();
    for (QToolBar *bar : qAsConst(m_toolBars))
        if (bar && bar->isHidden())
            bar->show();

    const QList<QDockWidget *> docks = m_window->findChildren<QDockWidget *>(QString(), Qt::FindDirectChildrenOnly);
    // Equal keys keep every dock, in the order found: a dock dropped here
    // would be lost from the window until the next start.
    std::multimap<QString, QDockWidget *> sorted;
    int others = 0;
    for (QDockWidget *dock : docks) {
        dock->hide();
        m_window->removeDockWidget(dock);
        sorted.emplace(dockKey(dock->objectName(), docks.size(), &others), dock);
    }

    QList<QDockWidget *> sized;
    QList<int> heights;
    const int fifth = m_window->height() / 5;
    for (const auto &entry : sorted) {
        QDockWidget *dock = entry.second;
        const QString name = dock->objectName().toLower();
        Qt::DockWidgetArea area = Qt::RightDockWidgetArea;
        bool visible = false;
        if (name.contains(QLatin1String("displaytab 01"))) {
            area = Qt::TopDockWidgetArea;
            visible = true;
            sized << dock;
            heights << fifth * 3;
        } else if (name.contains(QLatin1String("data"))) {
            visible = true;
            sized << dock;
            heights << fifth;
        } else if (name.contains(QLatin1String("gripwand"))) {
            visible = false;
        } else if (name.contains(QLatin1String("event"))) {
            area = Qt::BottomDockWidgetArea;
            visible = true;
            sized << dock;
            heights << fifth;
        }
        m_window->addDockWidget(area, dock);
        dock->setVisible(visible);
    }
    m_window->resizeDocks(sized, heights, Qt::Vertical);

    if (QWidget *central = m_window->centralWidget())
        central->setMinimumWidth(300);
    m_window->resize(FixedWidth, FixedHeight);
}
