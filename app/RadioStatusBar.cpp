#include "RadioStatusBar.h"

#include "CommandChannel.h"
#include "IOManager.h"
#include "Theme.h"

#include <QIcon>
#include <QLabel>
#include <QTimer>

#include <cstring>

namespace {
const int BrokenConnection = -222;
}

RadioStatusBar::RadioStatusBar(IOManager *channel, const BackendVersions &versions, QWidget *parent)
    : QToolBar(tr("ZEL Radio Status"), parent)
    , m_channel(channel)
    , m_icon(new QLabel(this))
    , m_channelLabel(new QLabel(QStringLiteral("-"), this))
{
    setMinimumWidth(60);
    setWhatsThis(tr("Displays whether ZEL Radio is available and the channel number"));
    setToolTip(tr("Radio channel in use; \"-\": no radio available"));
    m_icon->setFixedSize(16, 16);
    m_icon->setMinimumWidth(25);
    m_icon->setEnabled(false);
    m_icon->setPixmap(QIcon(Theme::icon(this, QStringLiteral("radio_dis"))).pixmap(16, 16));
    m_channelLabel->setMinimumWidth(22);
    addWidget(m_icon);
    addWidget(m_channelLabel);

    // Older Controllers have no radio to ask about.
    if (versions.protocol.isAtLeast(1, 5)) {
        m_timer = new QTimer(this);
        m_timer->setInterval(3000);
        connect(m_timer, &QTimer::timeout, this, &RadioStatusBar::update_status);
        m_timer->start();
        QTimer::singleShot(150, this, &RadioStatusBar::update_status);
    }
}

bool RadioStatusBar::isPolling() const
{
    return m_timer && m_timer->isActive();
}

QString RadioStatusBar::channelText() const
{
    return m_channelLabel->text();
}

void RadioStatusBar::update_status()
{
    if (!isPolling() || m_channel->isBusy())
        return;
    const CommandChannel::PollScope polling(m_channel);
    char value[IOManager::BufferSize] = "";
    if (m_channel->getString(value, "zelwpan available") == BrokenConnection) {
        // The connection is gone: the radio's state is unknown now.
        m_timer->stop();
        m_icon->setEnabled(false);
        m_icon->setPixmap(QIcon(Theme::icon(this, QStringLiteral("radio_dis"))).pixmap(16, 16));
        m_channelLabel->setText(QStringLiteral("-"));
        m_available = false;
        m_radioChannel = 0;
        return;
    }
    bool available = false;
    int radioChannel = 0;
    if (std::strcmp(value, "yes") == 0) {
        char radio[IOManager::BufferSize] = "";
        available = m_channel->getString(radio, "zelwpan radio") == 0;
        if (!available)
            std::strcpy(radio, "0 0x0");
        bool isNumber = false;
        radioChannel = QString::fromLatin1(radio).section(QLatin1Char(' '), 0, 0).toInt(&isNumber, 10);
        if (!isNumber) {
            radioChannel = 0;
            available = false;
        }
    }
    if (available == m_available && radioChannel == m_radioChannel)
        return;
    const bool on = available && radioChannel >= 1;
    m_icon->setEnabled(on);
    m_icon->setPixmap(QIcon(Theme::icon(this, on ? QStringLiteral("radio_en") : QStringLiteral("radio_dis"))).pixmap(16, 16));
    m_channelLabel->setText(on ? QString::number(radioChannel) : QStringLiteral("-"));
    m_available = available;
    m_radioChannel = radioChannel;
}
