#include "TrackingStatusBar.h"

#include "IOManager.h"
#include "ShortStatusWidget.h"

#include <cstring>

TrackingStatusBar::TrackingStatusBar(IOManager *channel, QWidget *parent)
    : QToolBar(tr("Tracking Status"), parent)
    , m_channel(channel)
    , m_widget(new ShortStatusWidget(channel, this))
{
    addWidget(m_widget);
    m_widget->update_status("none");
    m_channel->addRequester(this);
}

TrackingStatusBar::~TrackingStatusBar()
{
    detach();
}

void TrackingStatusBar::detach()
{
    if (!m_attached)
        return;
    m_attached = false;
    // Detached, the bar no longer knows: its last counts must not stand as current.
    m_widget->update_status("none");
    m_channel->removeRequester(this);
}

void TrackingStatusBar::update_status(const char *status)
{
    m_read = false;
    if (!m_attached || !isVisible())
        return;
    if (std::strcmp(status, "cal") == 0 || std::strcmp(status, "mea") == 0) {
        m_widget->update_status(status);
        m_read = true;
    }
}

int TrackingStatusBar::readBodies() const
{
    return m_read ? m_widget->bodies() : -1;
}

int TrackingStatusBar::readMarkers() const
{
    return m_read ? m_widget->markers() : -1;
}

int TrackingStatusBar::onData(const char *, const char *)
{
    return 0;
}

void TrackingStatusBar::onMeasurementStarted()
{
}

void TrackingStatusBar::onMeasurementStopped()
{
    m_widget->update_status("none");
}
