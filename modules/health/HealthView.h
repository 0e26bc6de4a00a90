#pragma once

#include "TimeWindow.h"

#include <QVector>
#include <QWidget>

class QComboBox;
class QLabel;
class QTimer;
class QToolButton;

namespace QtCharts {
class QChart;
class QChartView;
class QDateTimeAxis;
class QLineSeries;
class QValueAxis;
} // namespace QtCharts

class QGraphicsLineItem;

namespace Health {

class CameraStrip;
class EventStrip;
class HealthMonitor;
class HealthRing;
struct HealthSample;

// The dock's content: stacked time plots on one time axis (frequency, bodies
// and markers, frames lost, data lines), a strip of the cameras' used rays and
// the event messages as marks. Every plot has the same plot area across, and
// the strips take its edges, so that one time is one pixel column everywhere.
// A time without measurement is a gap in every plot. Draws only while
// visible; recording goes on regardless in the monitor.
class HealthView : public QWidget
{
    Q_OBJECT

public:
    enum Range { OneMinute, TenMinutes, OneHour };

    explicit HealthView(HealthMonitor *monitor, QWidget *parent = nullptr);

    void setRange(Range range);
    Range range() const;
    void setPaused(bool paused);
    bool isPaused() const;
    // The time on show and its pixels, in the plots' coordinates.
    const TimeWindow &window() const { return m_window; }
    // The readout above the plots: the values at the hovered time, else the newest.
    QString readout() const;
    void hoverAt(qint64 ms);
    void endHover();

    static qint64 rangeMs(Range range);
    static QString valuesText(const HealthSample &sample);

public slots:
    void refresh();

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Plot
    {
        QtCharts::QChartView *view = nullptr;
        QtCharts::QChart *chart = nullptr;
        QtCharts::QDateTimeAxis *time = nullptr;
        QtCharts::QValueAxis *values = nullptr;
        // Per value drawn, one line per stretch of measurement: a line
        // cannot break. The first of each carries the legend's entry.
        QVector<QVector<QtCharts::QLineSeries *>> lines;
        QGraphicsLineItem *cursor = nullptr;
        bool timeLabels = false;
    };

    void createControls();
    void createPlots();
    Plot makePlot(const QString &title, const QStringList &seriesNames, bool timeLabels);
    QtCharts::QLineSeries *stretchLine(Plot &plot, int value, int stretch);
    void layOutPlots(const double *tops);
    TimeWindow stripWindow(const QWidget *strip) const;
    void fillSeries();
    void applyTheme();
    void placeCursor(qint64 ms);
    void updateReadout();
    void setReadout(const QString &text);

    HealthMonitor *m_monitor;
    const HealthRing &m_ring;
    QComboBox *m_range = nullptr;
    QToolButton *m_pause = nullptr;
    QLabel *m_readout = nullptr;
    QString m_readoutText;
    QVector<Plot> m_plots;
    CameraStrip *m_cameras = nullptr;
    EventStrip *m_events = nullptr;
    TimeWindow m_window;
    QTimer *m_clock = nullptr;   // moves the window on once nothing is recorded
    qint64 m_hoverMs = -1;
    bool m_dark = false;
};

} // namespace Health
