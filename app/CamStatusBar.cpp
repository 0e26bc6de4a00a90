#include "CamStatusBar.h"

#include "CamStatusWidget.h"
#include "IOManager.h"

#include <cstring>

int CamStatusBar::s_calls = 0;

namespace {
const char ReceiverChannel[] = "CamStatusBar";
}

CamStatusBar::CamStatusBar(IOManager *channel, QWidget *mainWindow)
    : QToolBar(tr("Camera Status"), mainWindow)
    , m_channel(channel)
    , m_mainWindow(mainWindow)
{
    m_channel->addRequester(this);
    m_channel->addMessageReceiver(ReceiverChannel, this);
    queryCameraCount();
}

CamStatusBar::~CamStatusBar()
{
    detach();
}

void CamStatusBar::detach()
{
    if (!m_attached)
        return;
    m_attached = false;
    m_channel->removeMessageReceiver(ReceiverChannel, this);
    m_channel->removeRequester(this);
    // Detached, the bar no longer knows: its last counts must not stand as current.
    for (CamStatusWidget *widget : qAsConst(m_widgets))
        widget->showCounts(-1, -1);
    m_cameras = -1;
    m_widgets.clear();
}

void CamStatusBar::queryCameraCount()
{
    int cameras = 0;
    if (m_channel->getInt(&cameras, "camera number_of_cameras") == 0)
        build(cameras);
}

void CamStatusBar::build(int cameras)
{
    if (cameras == m_cameras)
        return;
    qDeleteAll(m_widgets);
    m_widgets.clear();
    clear();
    m_cameras = cameras;
    for (int i = 0; i < cameras; ++i) {
        auto *widget = new CamStatusWidget(m_channel, i, this);
        m_widgets.append(widget);
        addWidget(widget)->setVisible(true);
    }
}

void CamStatusBar::update_status(const char *status)
{
    if (!m_attached)
        return;
    ++s_calls;
    m_refreshed = false;
    const bool measuring = std::strcmp(status, "cal") == 0 || std::strcmp(status, "mea") == 0;
    if (!measuring) {
        // Idle: the camera count is looked at every 2 s only.
        if (s_calls % 10 == 0 && !m_channel->isBusy())
            queryCameraCount();
        return;
    }
    if (!isVisible())
        return;
    int cameras = 0;
    if (m_channel->getInt(&cameras, "camera number_of_cameras") != 0)
        return;
    build(cameras);
    for (CamStatusWidget *widget : qAsConst(m_widgets))
        widget->refresh();
    m_refreshed = true;
}

QVector<QPair<int, int>> CamStatusBar::readRays() const
{
    QVector<QPair<int, int>> rays;
    if (!m_refreshed)
        return rays;
    for (const CamStatusWidget *widget : m_widgets)
        rays.append({widget->detected(), widget->used()});
    return rays;
}

int CamStatusBar::onData(const char *, const char *)
{
    return 0;
}

void CamStatusBar::onMeasurementStarted()
{
}

void CamStatusBar::onMeasurementStopped()
{
    for (CamStatusWidget *widget : qAsConst(m_widgets))
        widget->showCounts(-1, -1);
}

// The 2D monitor may put its own texts into the fields, one per camera, ';'-separated.
int CamStatusBar::receive(int type, const char *sender, const char *text)
{
    if (std::strcmp(sender, "Monitor2dModule") != 0)
        return 1;
    if (type != 1)
        return 0;
    const QStringList pieces = QString::fromLatin1(text).split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (int i = 0; i < pieces.size() && i < m_cameras && i < m_widgets.size(); ++i)
        m_widgets[i]->setOverride(pieces[i]);
    return 0;
}
