#include "ReplayBar.h"

#include "RecordingIndex.h"
#include "ReplayChannel.h"

#include <QComboBox>
#include <QDateTime>
#include <QFileInfo>
#include <QLabel>
#include <QSlider>
#include <QStyle>
#include <QTimer>
#include <QToolButton>

#include <algorithm>

ReplayBar::ReplayBar(ReplayChannel *channel, const QString &fileName, QWidget *parent)
    : QToolBar(tr("Replay"), parent)
    , m_channel(channel)
{
    setObjectName(QStringLiteral("ReplayBar"));
    setMovable(false);

    auto *title = new QLabel(tr("Replay of %1").arg(QFileInfo(fileName).fileName()), this);
    title->setToolTip(fileName);
    title->setContentsMargins(4, 0, 8, 0);
    addWidget(title);

    m_play = new QToolButton(this);
    m_play->setObjectName(QStringLiteral("ReplayPlay"));
    m_play->setAutoRaise(true);
    connect(m_play, &QToolButton::clicked, this, &ReplayBar::togglePlaying);
    addWidget(m_play);

    m_speed = new QComboBox(this);
    m_speed->setObjectName(QStringLiteral("ReplaySpeed"));
    m_speed->setToolTip(tr("Replay speed"));
    for (double s : {0.25, 0.5, 1.0, 2.0, 4.0})
        m_speed->addItem(QStringLiteral("%1\u00d7").arg(QLocale().toString(s)), s);
    m_speed->setCurrentIndex(2);
    connect(m_speed, qOverload<int>(&QComboBox::currentIndexChanged), this,
            [this](int) { m_channel->setSpeed(m_speed->currentData().toDouble()); });
    addWidget(m_speed);

    const RecordingIndex &recording = channel->recording();
    m_position = new QSlider(Qt::Horizontal, this);
    m_position->setObjectName(QStringLiteral("ReplayPosition"));
    m_position->setToolTip(tr("Position in the recording"));
    m_position->setRange(0, int(std::max<qint64>(recording.endUs() - recording.startUs(), 0) / 1000 / SliderStepMs));
    m_position->setPageStep(10000 / SliderStepMs);
    m_position->setMinimumWidth(200);
    connect(m_position, &QSlider::sliderMoved, this, &ReplayBar::seekTo);
    connect(m_position, &QSlider::actionTriggered, this, [this](int action) {
        if (action != QAbstractSlider::SliderMove)
            QTimer::singleShot(0, this, [this] { seekTo(m_position->value()); });
    });
    addWidget(m_position);

    m_clock = new QLabel(this);
    m_clock->setObjectName(QStringLiteral("ReplayClock"));
    m_clock->setToolTip(tr("The recording's time at this position"));
    m_clock->setContentsMargins(8, 0, 4, 0);
    addWidget(m_clock);
    m_span = new QLabel(this);
    m_span->setContentsMargins(4, 0, 4, 0);
    addWidget(m_span);

    m_refresh = new QTimer(this);
    connect(m_refresh, &QTimer::timeout, this, &ReplayBar::refresh);
    m_refresh->start(RefreshMs);
    refresh();
}

QString ReplayBar::clockText(qint64 us)
{
    const QDateTime at = QDateTime::fromMSecsSinceEpoch(us / 1000);
    return QLocale().toString(at.date(), QLocale::ShortFormat) + QLatin1Char(' ')
        + at.time().toString(QStringLiteral("HH:mm:ss.")) + QString::number(at.time().msec() / 100);
}

QString ReplayBar::spanText(qint64 us)
{
    const qint64 s = std::max<qint64>(us, 0) / 1000000;
    return QStringLiteral("%1:%2").arg(s / 60, 2, 10, QLatin1Char('0')).arg(s % 60, 2, 10, QLatin1Char('0'));
}

void ReplayBar::togglePlaying()
{
    if (m_channel->isPlaying())
        m_channel->pause();
    else
        m_channel->play();
    refresh();
}

void ReplayBar::seekTo(int sliderValue)
{
    m_channel->seek(m_channel->recording().startUs() + qint64(sliderValue) * SliderStepMs * 1000);
    refresh();
}

void ReplayBar::refresh()
{
    const bool playing = m_channel->isPlaying();
    m_play->setIcon(style()->standardIcon(playing ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
    m_play->setText(playing ? tr("Pause") : tr("Play"));
    m_play->setToolTip(playing ? tr("Pause the replay") : tr("Play the recording"));
    const RecordingIndex &recording = m_channel->recording();
    const qint64 position = m_channel->positionUs();
    if (!m_position->isSliderDown())
        m_position->setValue(int((position - recording.startUs()) / 1000 / SliderStepMs));
    m_clock->setText(clockText(position));
    m_span->setText(QStringLiteral("%1 / %2").arg(spanText(position - recording.startUs()),
                                                  spanText(recording.endUs() - recording.startUs())));
}
