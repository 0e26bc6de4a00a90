#include "AppStatusBar.h"

#include "ElidingLabel.h"
#include "IOManager.h"

#include <QPainter>
#include <QStyleOption>

AppStatusBar::AppStatusBar(IOManager *channel, QWidget *parent)
    : QStatusBar(parent)
    , m_channel(channel)
    , m_message(new ElidingLabel(this))
    , m_configuration(new ElidingLabel(this))
{
    setStyleSheet(QStringLiteral("QStatusBar::item { border: 0px solid black }; "));
    // Permanent, so that a transient message never hides the configuration line.
    // Both shorten to the room there is: a long configuration description
    // must not make the window wider than the screen.
    addPermanentWidget(m_message, 1);
    addPermanentWidget(m_configuration, 0);
    connect(this, &QStatusBar::messageChanged, this, &AppStatusBar::newMessage);
    update_configuration();
}

QString AppStatusBar::messageText() const
{
    return m_message->fullText();
}

QString AppStatusBar::configurationText() const
{
    return m_configuration->fullText();
}

void AppStatusBar::newMessage(const QString &message)
{
    m_message->setFullText(message);
}

void AppStatusBar::update_configuration()
{
    char host[IOManager::BufferSize] = "";
    char description[IOManager::BufferSize] = "";
    m_channel->getString(host, "system hostname");
    m_channel->getString(description, "config desc");
    m_pattern = tr("Configuration '%1' on Controller '%2'%3")
                    .arg(QString::fromLatin1(description).remove(QLatin1Char('"')), QString::fromLatin1(host), QString());
}

void AppStatusBar::update_status()
{
    m_configuration->setFullText(m_pattern);
}

// The message label shows the transient messages; the bar must not draw them a second time.
void AppStatusBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QStyleOption option;
    option.initFrom(this);
    style()->drawPrimitive(QStyle::PE_PanelStatusBar, &option, &painter, this);
}
