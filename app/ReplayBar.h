#pragma once

#include <QToolBar>

class QComboBox;
class QLabel;
class QSlider;
class QTimer;
class QToolButton;
class ReplayChannel;

// The controls of a replay, under the window: play and pause, the speed, the
// position in the recording and the recording's own wall-clock time.
class ReplayBar : public QToolBar
{
    Q_OBJECT

public:
    static constexpr int SliderStepMs = 100;
    static constexpr int RefreshMs = 100;

    ReplayBar(ReplayChannel *channel, const QString &fileName, QWidget *parent = nullptr);

    // The recording's time at the position, local, to the tenth of a second.
    static QString clockText(qint64 us);
    // "mm:ss" of a span.
    static QString spanText(qint64 us);

    QToolButton *playButton() const { return m_play; }
    QComboBox *speedBox() const { return m_speed; }
    QSlider *positionSlider() const { return m_position; }
    QLabel *clockLabel() const { return m_clock; }

private:
    void togglePlaying();
    void refresh();
    void seekTo(int sliderValue);

    ReplayChannel *m_channel;
    QToolButton *m_play;
    QComboBox *m_speed;
    QSlider *m_position;
    QLabel *m_clock;
    QLabel *m_span;
    QTimer *m_refresh;
};
