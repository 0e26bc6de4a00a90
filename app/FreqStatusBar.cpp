#include "FreqStatusBar.h"

#include "CommandChannel.h"
#include "IOManager.h"
#include "StatusValueField.h"

#include <QLabel>
#include <QLineEdit>
#include <QTimer>

#include <cstring>

namespace {
const char NoValue[] = " - ";
}

FreqStatusBar::FreqStatusBar(IOManager *channel, const BackendVersions &versions, QWidget *parent)
    : QToolBar(tr("Sync Status"), parent)
    , m_channel(channel)
    , m_field(new StatusValueField(QString::fromLatin1(NoValue), this))
    , m_timer(new QTimer(this))
    , m_frequencySupported(versions.protocol.isAtLeast(0, 17))
    , m_lostFramesSupported(versions.protocol.isAtLeast(1, 8))
{
    auto *label = new QLabel(tr("  sync  "), this);
    const QString help = tr("Tracking frequency");
    label->setWhatsThis(help);
    m_field->setWhatsThis(help);
    m_field->setFixedSize(80, 16);
    m_field->setAlignment(Qt::AlignCenter);
    const QString tip = tr("Tracking frequency: measurements per second. \"waiting...\": the Controller waits for its "
                           "sync signal. Red, orange or khaki: frames were lost.");
    label->setToolTip(tip);
    m_field->setToolTip(tip);
    addWidget(label);
    addWidget(m_field);

    m_timer->setInterval(1000);
    connect(m_timer, &QTimer::timeout, this, &FreqStatusBar::showFrequency);
    m_channel->addRequester(this);
}

FreqStatusBar::~FreqStatusBar()
{
    detach();
}

void FreqStatusBar::detach()
{
    m_timer->stop();
    if (!m_attached)
        return;
    // Detached, the bar no longer knows: its last frequency must not stand as current.
    m_field->setText(QString::fromLatin1(NoValue));
    m_field->setStyleSheet(QString());
    m_hertz = -1.0;
    m_framesLost = -1;
    m_attached = false;
    m_channel->removeRequester(this);
}

bool FreqStatusBar::isTimerActive() const
{
    return m_timer->isActive();
}

// 59.44 Hz reads 59, 59.45 Hz reads 60: the Controller's own rounding.
QString FreqStatusBar::frequencyText(double hertz)
{
    if (hertz < 0)
        return QString::fromLatin1(NoValue);
    return QStringLiteral("%1 Hz").arg(static_cast<long long>(hertz + 0.55));
}

QString FreqStatusBar::lostFramesStyle(bool queried, int lostFrames)
{
    if (!queried || lostFrames >= 4)
        return QStringLiteral("QLineEdit { background-color: red; }");
    if (lostFrames == 3)
        return QStringLiteral("QLineEdit { background-color: orange; }");
    if (lostFrames == 2)
        return QStringLiteral("QLineEdit { background-color: khaki; }");
    return QString();
}

int FreqStatusBar::onData(const char *, const char *)
{
    return 0;
}

void FreqStatusBar::onMeasurementStarted()
{
    if (!m_attached)
        return;
    m_timer->start();
    QTimer::singleShot(200, this, &FreqStatusBar::showFrequency);
}

void FreqStatusBar::onMeasurementStopped()
{
    m_timer->stop();
    m_hertz = -1.0;
    m_field->setText(QString::fromLatin1(NoValue));
}

void FreqStatusBar::showFrequency()
{
    if (!m_attached || m_waiting || !m_frequencySupported || m_channel->isBusy())
        return;
    const CommandChannel::PollScope polling(m_channel);
    double hertz = -1.0;
    if (m_channel->getDouble(&hertz, "status output_frequency") != 0)
        hertz = -1.0;
    m_hertz = hertz;
    m_field->setText(frequencyText(hertz));
}

void FreqStatusBar::update_status(const char *status)
{
    m_framesLost = -1;
    if (!m_attached || !isVisible())
        return;
    m_waiting = std::strcmp(status, "wait") == 0;
    if (m_waiting)
        m_field->setText(tr("waiting..."));
    QString style;
    if (m_lostFramesSupported) {
        int lost = 0;
        const bool queried = m_channel->getInt(&lost, "status frames_lost") == 0;
        m_framesLost = queried ? lost : -1;
        style = lostFramesStyle(queried, lost);
    }
    if (m_field->styleSheet() != style)
        m_field->setStyleSheet(style);
}
