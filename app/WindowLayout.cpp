#include "WindowLayout.h"

#include "LayoutStateReader.h"
#include "PrivateFiles.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QDockWidget>
#include <QFile>
#include <QGuiApplication>
#include <QMainWindow>
#include <QSaveFile>
#include <QScreen>
#include <QToolBar>

#include <map>

namespace {

const QLatin1String EventDockName("DisplayEvent");

// Window frames may stand this far beyond a screen's edge (frame borders,
// shadows) and still count as on it.
constexpr int Slack = 64;

} // namespace

WindowLayout::WindowLayout(QMainWindow *window, QList<QToolBar *> toolBars)
    : m_window(window)
    , m_toolBars(std::move(toolBars))
{
}

QString WindowLayout::save(const QString &path) const
{
    fitToScreens();
    const QByteArray content = joinFile(m_window->saveGeometry(), m_window->saveState(0));
    if (content.isEmpty())
        return QCoreApplication::translate("MainWindow", "Error writing to %1\n%2")
            .arg(path, QCoreApplication::translate("MainWindow", "The window arrangement cannot be stored."));
    // The old layout stays until the new one is written whole (a full disk
    // must not leave half a file). Unbuffered, so that a short write is seen
    // here rather than in a flush whose failure the commit would not notice.
    QSaveFile file(path);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return QCoreApplication::translate("MainWindow", "Unsuccessful to open %1\n%2").arg(path, file.errorString());
    for (qint64 done = 0; done < content.size();) {
        const qint64 n = file.write(content.constData() + done, content.size() - done);
        if (n <= 0)
            return QCoreApplication::translate("MainWindow", "Error writing to %1\n%2").arg(path, file.errorString());
        done += n;
    }
    if (!file.commit())
        return QCoreApplication::translate("MainWindow", "Error writing to %1\n%2").arg(path, file.errorString());
    PrivateFiles::restrictFile(path);
    return QString();
}

// A window that grew past its screens (a dock shown beside a wide view, with
// no window manager to hold it in) would be refused at the next start, and
// every dock with it: it is stored fitted to the screen it starts on.
void WindowLayout::fitToScreens() const
{
    const QList<QRect> screens = availableScreens();
    const QRect frame = m_window->frameGeometry();
    if (screens.isEmpty() || !m_window->isVisible() || m_window->isMaximized() || m_window->isFullScreen()
        || onScreens(frame, screens))
        return;
    QRect target = screens.first();
    for (const QRect &screen : screens)
        if (screen.contains(frame.topLeft()))
            target = screen;
    const QSize borders = frame.size() - m_window->size();
    m_window->resize(m_window->size().boundedTo(target.size() - borders));
    if (!target.contains(m_window->frameGeometry().topLeft()))
        m_window->move(target.topLeft());
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
    QByteArray geometry;
    QByteArray state;
    if (!splitFile(file.readAll(), &geometry, &state) || !LayoutStateReader::wellFormed(state, 0))
        return false;
    // Checked before anything is applied: the toolkit would put a window of
    // any size on screen, its docks and the event display out of reach.
    QRect frame;
    if (!geometryFrame(geometry, &frame) || !onScreens(frame, availableScreens()))
        return false;
    if (!m_window->restoreGeometry(geometry))
        return false;
    m_window->show();
    // Twice: the first pass places the docks, the second fixes sizes that
    // depend on the now known window geometry.
    return m_window->restoreState(state, 0) && m_window->restoreGeometry(geometry) && m_window->restoreState(state, 0)
        && restoredCleanly();
}

// A state block may be well formed and still leave the user without the
// event display, or with a floating dock nobody can reach.
bool WindowLayout::restoredCleanly() const
{
    const QList<QRect> screens = availableScreens();
    const QList<QDockWidget *> docks = m_window->findChildren<QDockWidget *>(QString(), Qt::FindDirectChildrenOnly);
    for (QDockWidget *dock : docks) {
        if (dock->objectName() == EventDockName && dock->isHidden())
            return false;
        if (dock->isFloating() && !dock->isHidden() && !onScreens(dock->frameGeometry(), screens))
            return false;
    }
    return onScreens(m_window->frameGeometry(), screens);
}

QByteArray WindowLayout::joinFile(const QByteArray &geometry, const QByteArray &state)
{
    // One byte holds the geometry block's length: a longer block could not be
    // told from the state block when read back.
    if (geometry.size() > 255 || state.isEmpty())
        return QByteArray();
    QByteArray content;
    content.append(char(quint8(geometry.size())));
    content.append(geometry);
    content.append(state);
    return content;
}

bool WindowLayout::splitFile(const QByteArray &content, QByteArray *geometry, QByteArray *state)
{
    if (content.isEmpty())
        return false;
    const int geometrySize = quint8(content.at(0));
    if (content.size() <= 1 + geometrySize)
        return false;   // a short geometry block, or no state block
    *geometry = content.mid(1, geometrySize);
    *state = content.mid(1 + geometrySize);
    return true;
}

bool WindowLayout::geometryFrame(const QByteArray &block, QRect *frame)
{
    QDataStream stream(block);
    stream.setVersion(QDataStream::Qt_4_0);
    quint32 magic = 0;
    quint16 major = 0;
    quint16 minor = 0;
    stream >> magic >> major >> minor;
    if (magic != 0x1D9D0CB || major < 1 || major > 3)
        return false;
    QRect frameGeometry;
    QRect normalGeometry;
    qint32 screen = 0;
    quint8 maximized = 0;
    quint8 fullScreen = 0;
    stream >> frameGeometry >> normalGeometry >> screen >> maximized >> fullScreen;
    if (stream.status() != QDataStream::Ok)
        return false;
    const QRect result = (maximized || fullScreen) ? normalGeometry : frameGeometry;
    if (!result.isValid())
        return false;
    if (frame)
        *frame = result;
    return true;
}

bool WindowLayout::onScreens(const QRect &frame, const QList<QRect> &screens)
{
    if (!frame.isValid())
        return false;
    QRect desktop;
    bool startsOnOne = false;
    bool showsOnOne = false;
    for (const QRect &screen : screens) {
        desktop = desktop.united(screen);
        if (screen.adjusted(-Slack, -Slack, Slack, Slack).contains(frame.topLeft()))
            startsOnOne = true;
        // The slack is for borders: a small frame lying wholly in it is off the screens.
        if (screen.intersects(frame))
            showsOnOne = true;
    }
    return startsOnOne && showsOnOne && desktop.adjusted(-Slack, -Slack, Slack, Slack).contains(frame);
}

QList<QRect> WindowLayout::availableScreens()
{
    QList<QRect> areas;
    const QList<QScreen *> screens = QGuiApplication::screens();
    for (QScreen *screen : screens)
        areas << screen->availableGeometry();
    return areas;
}

// Moves the window's frame onto the screen it is nearest to, as far as it fits.
void WindowLayout::keepOnScreen()
{
    const QRect frame = m_window->frameGeometry();
    const QList<QRect> screens = availableScreens();
    if (screens.isEmpty() || onScreens(frame, screens))
        return;
    QRect target = screens.first();
    if (QScreen *screen = QGuiApplication::screenAt(frame.center()))
        target = screen->availableGeometry();
    const int x = qMax(target.left(), qMin(frame.left(), target.right() + 1 - frame.width()));
    const int y = qMax(target.top(), qMin(frame.top(), target.bottom() + 1 - frame.height()));
    m_window->move(x, y);
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
        // A floating dock stays floating when added again; only a dock still
        // in the window can be docked.
        dock->setFloating(false);
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
    keepOnScreen();
}
