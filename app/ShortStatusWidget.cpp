#include "ShortStatusWidget.h"

#include "IOManager.h"
#include "Theme.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>

#include <cstring>

namespace {

QLabel *iconLabel(const QString &path, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setFixedSize(16, 16);
    // Through QIcon: on a high-density screen it picks the @2x drawing.
    label->setPixmap(QIcon(path).pixmap(label->size()));
    return label;
}

} // namespace

ShortStatusWidget::ShortStatusWidget(IOManager *channel, QWidget *parent)
    : QWidget(parent)
    , m_channel(channel)
    , m_bodies(new QLabel(this))
    , m_markers(new QLabel(this))
{
    m_bodyIcon = iconLabel(Theme::icon(this, QStringLiteral("body")), this);
    QLabel *bodyIcon = m_bodyIcon;
    QLabel *markerIcon = iconLabel(QStringLiteral(":/images/icons/marker.png"), this);
    m_bodies->setMinimumWidth(15);
    m_markers->setMinimumWidth(15);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(bodyIcon);
    layout->addWidget(m_bodies);
    layout->addWidget(markerIcon);
    layout->addWidget(m_markers);

    const QString bodyHelp = tr("This shows the number of currently tracked 6DOF bodies including all module bodies.");
    const QString markerHelp = tr("This shows the number of currently tracked 3DOF marker.");
    bodyIcon->setWhatsThis(bodyHelp);
    m_bodies->setWhatsThis(bodyHelp);
    markerIcon->setWhatsThis(markerHelp);
    m_markers->setWhatsThis(markerHelp);
    const QString bodyTip = tr("Bodies tracked now, those of modules included");
    const QString markerTip = tr("Single markers tracked now");
    bodyIcon->setToolTip(bodyTip);
    m_bodies->setToolTip(bodyTip);
    markerIcon->setToolTip(markerTip);
    m_markers->setToolTip(markerTip);
}

// The theme can change while the window stands: the icon follows it.
void ShortStatusWidget::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange && m_bodyIcon)
        m_bodyIcon->setPixmap(QIcon(Theme::icon(this, QStringLiteral("body"))).pixmap(16, 16));
    QWidget::changeEvent(event);
}

QString ShortStatusWidget::bodyText() const
{
    return m_bodies->text();
}

QString ShortStatusWidget::markerText() const
{
    return m_markers->text();
}

void ShortStatusWidget::update_status(const char *status)
{
    if (std::strcmp(status, "cal") != 0 && std::strcmp(status, "mea") != 0) {
        m_bodies->setText(QStringLiteral("-"));
        m_markers->setText(QStringLiteral("-"));
        m_bodyCount = m_markerCount = -1;
        return;
    }
    int bodies = -1;
    int markers = -1;
    if (m_channel->getInt(&bodies, "status number_of_bodies") != 0)
        bodies = -1;
    if (m_channel->getInt(&markers, "status number_of_marker") != 0)
        markers = -1;
    m_bodyCount = bodies;
    m_markerCount = markers;
    m_bodies->setText(QString::number(bodies));
    m_markers->setText(QString::number(markers));
}
