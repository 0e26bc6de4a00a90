#pragma once

#include "TimeWindow.h"

#include <QVector>
#include <QWidget>

class QComboBox;
class QLabel;
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
// the event messages as marks. Draws only while visible; recording goes on
// regardless in the monitor.
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
        QVector<QtCharts::QLineSeries *> series;
        QGraphicsLineItem *cursor = nullptr;
    };

    void createControls();
    void createPlots();
    Plot makePlot(const QString &title, const QStringList &seriesNames, bool timeLabels);
    void layOutPlots();
    void followPlotAreas();
    void fillSeries();
    void applyTheme();
    void placeCursor(qint64 ms);
    void updateReadout();

    HealthMonitor *m_monitor;
    const HealthRing &m_ring;
    QComboBox *m_range = nullptr;
    QToolButton *m_pause = nullptr;
    QLabel *m_readout = nullptr;
    QVector<Plot> m_plots;
    CameraStrip *m_cameras = nullptr;
    EventStrip *m_events = nullptr;
    TimeWindow m_window;
    qint64 m_hoverMs = -1;
    bool m_dark = false;
};

} // namespace Health
