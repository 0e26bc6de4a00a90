#include "AppStatusBar.h"

#include "IOManager.h"

#include <QLabel>
#include <QPainter>
#include <QStyleOption>

AppStatusBar::AppStatusBar(IOManager *channel, QWidget *parent)
    : QStatusBar(parent)
    , m_channel(channel)
    , m_message(new QLabel(this))
    , m_configuration(new QLabel(this))
{
    setStyleSheet(QStringLiteral("QStatusBar::item { border: 0px solid black }; "));
    // Plain text: messages and the configuration line carry the Controller's
    // host name and configuration description, which are never markup.
    m_message->setTextFormat(Qt::PlainText);
    m_configuration->setTextFormat(Qt::PlainText);
    // Permanent, so that a transient message never hides the configuration line.
    addPermanentWidget(m_message, 1);
    addPermanentWidget(m_configuration, 0);
    connect(this, &QStatusBar::messageChanged, this, &AppStatusBar::newMessage);
    update_configuration();
}

QString AppStatusBar::messageText() const
{
    return m_message->text();
}

QString AppStatusBar::configurationText() const
{
    return m_configuration->text();
}

void AppStatusBar::newMessage(const QString &message)
{
    m_message->setText(message);
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
    m_configuration->setText(m_pattern);
}

// The message label shows the transient messages; the bar must not draw them a second time.
void AppStatusBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QStyleOption option;
    option.initFrom(this);
    style()->drawPrimitive(QStyle::PE_PanelStatusBar, &option, &painter, this);
}
