#include "HealthView.h"

#include "CameraStrip.h"
#include "EventStrip.h"
#include "HealthMonitor.h"
#include "HealthRing.h"

#include <QComboBox>
#include <QDateTime>
#include <QLocale>
#include <QGraphicsLayout>
#include <QGraphicsLineItem>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QDateTimeAxis>
#include <QtCharts/QLegend>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include <algorithm>
#include <cmath>

using namespace QtCharts;

namespace Health {

namespace {

constexpr int PlotHeight = 78;
constexpr int TimeLabelHeight = 22;
constexpr int LegendHeight = 18;
constexpr int MostPoints = 600;   // per series; an hour is cut into buckets

enum Series { Frequency, Bodies, Markers, Lost, Lines, SeriesCount };

// One value of a sample per series; negative: unknown, not drawn.
double valueOf(const HealthSample &s, int series)
{
    switch (series) {
    case Frequency: return s.frequency;
    case Bodies: return s.bodies;
    case Markers: return s.markers;
    case Lost: return double(s.framesLost);
    case Lines: return s.dataLines;
    default: return -1;
    }
}

// Faults must not vanish into a bucket: losses keep the worst second, the
// rest the lowest.
bool keepsHighest(int series)
{
    return series == Lost;
}

QColor seriesColour(int series)
{
    static const QColor colours[SeriesCount] = {QColor(52, 152, 219), QColor(46, 204, 113), QColor(26, 188, 156),
                                                QColor(231, 76, 60), QColor(155, 89, 182)};
    return colours[series];
}

} // namespace

HealthView::HealthView(HealthMonitor *monitor, QWidget *parent)
    : QWidget(parent)
    , m_monitor(monitor)
    , m_ring(monitor->ring())
{
    setObjectName(QStringLiteral("TrackingHealthView"));
    createControls();
    createPlots();
    applyTheme();
    connect(m_monitor, &HealthMonitor::sampleAdded, this, &HealthView::refresh);
    connect(m_monitor, &HealthMonitor::eventAdded, this, &HealthView::refresh);
}

void HealthView::createControls()
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(0);

    auto *controls = new QHBoxLayout;
    auto *rangeLabel = new QLabel(tr("&Range:"), this);
    m_range = new QComboBox(this);
    m_range->setObjectName(QStringLiteral("healthRange"));
    m_range->addItems({tr("1 minute"), tr("10 minutes"), tr("1 hour")});
    m_range->setToolTip(tr("How much of the past the plots show"));
    rangeLabel->setBuddy(m_range);
    m_pause = new QToolButton(this);
    m_pause->setObjectName(QStringLiteral("healthPause"));
    m_pause->setCheckable(true);
    m_pause->setText(tr("&Pause"));
    m_pause->setToolTip(tr("Hold the plots still; recording goes on"));
    m_readout = new QLabel(this);
    m_readout->setObjectName(QStringLiteral("healthReadout"));
    m_readout->setTextInteractionFlags(Qt::TextSelectableByMouse);
    controls->addWidget(rangeLabel);
    controls->addWidget(m_range);
    controls->addWidget(m_pause);
    controls->addSpacing(12);
    controls->addWidget(m_readout, 1);
    layout->addLayout(controls);

    connect(m_range, QOverload<int>::of(&QComboBox::currentIndexChanged), this, [this] { refresh(); });
    connect(m_pause, &QToolButton::toggled, this, [this](bool paused) {
        m_pause->setText(paused ? tr("&Resume") : tr("&Pause"));
        refresh();
    });
}

void HealthView::createPlots()
{
    auto *layout = static_cast<QVBoxLayout *>(this->layout());
    m_events = new EventStrip(m_ring, this);
    m_events->setToolTip(QString());
    m_events->setWhatsThis(tr("Event messages of the Controller and of QUORIX4; hover a mark to read them."));
    layout->addWidget(m_events);

    m_plots.append(makePlot(tr("Frequency (Hz)"), {tr("Frequency (Hz)")}, false));
    m_plots.append(makePlot(tr("Tracked"), {tr("Bodies"), tr("Markers")}, false));
    layout->addWidget(m_plots[0].view);
    layout->addWidget(m_plots[1].view);

    m_cameras = new CameraStrip(m_ring, this);
    m_cameras->setWhatsThis(tr("One row per camera, coloured by the rays it used: green as many as the busiest camera, "
                               "red none."));
    layout->addWidget(m_cameras);

    m_plots.append(makePlot(tr("Frames lost"), {tr("Frames lost per second")}, false));
    m_plots.append(makePlot(tr("Data lines"), {tr("Data lines per second")}, true));
    layout->addWidget(m_plots[2].view);
    layout->addWidget(m_plots[3].view);
    layout->addStretch(1);
    for (int i = 0; i < m_plots.size(); ++i) {
        m_plots[i].view->setObjectName(QStringLiteral("healthPlot%1").arg(i));
        // A plot laid out anew moves the common edges; the strips follow.
        connect(m_plots[i].chart, &QChart::plotAreaChanged, this, &HealthView::followPlotAreas, Qt::QueuedConnection);
    }

    for (TimeStrip *strip : {static_cast<TimeStrip *>(m_events), static_cast<TimeStrip *>(m_cameras)}) {
        connect(strip, &TimeStrip::hovered, this, &HealthView::hoverAt);
        connect(strip, &TimeStrip::left, this, &HealthView::endHover);
    }
}

HealthView::Plot HealthView::makePlot(const QString &title, const QStringList &seriesNames, bool timeLabels)
{
    Plot plot;
    plot.chart = new QChart;
    plot.chart->setObjectName(title);
    plot.chart->setMargins(QMargins(0, 4, 6, 2));
    plot.chart->layout()->setContentsMargins(0, 0, 0, 0);
    plot.chart->setBackgroundRoundness(0);
    // The names sit inside the plot's top left corner: a legend of its own
    // row would take the little height each plot has.
    plot.chart->legend()->detachFromChart();
    plot.chart->legend()->setBackgroundVisible(false);
    plot.chart->legend()->setAlignment(Qt::AlignLeft);
    plot.time = new QDateTimeAxis;
    plot.time->setTickCount(5);
    plot.time->setLabelsVisible(timeLabels);
    plot.values = new QValueAxis;
    plot.values->setTickCount(3);
    plot.values->setLabelFormat(QStringLiteral("%.0f"));
    plot.chart->addAxis(plot.time, Qt::AlignBottom);
    plot.chart->addAxis(plot.values, Qt::AlignLeft);
    for (const QString &name : seriesNames) {
        auto *series = new QLineSeries;
        series->setName(name);
        plot.chart->addSeries(series);
        series->attachAxis(plot.time);
        series->attachAxis(plot.values);
        plot.series.append(series);
    }
    plot.view = new QChartView(plot.chart, this);
    plot.view->setRenderHint(QPainter::Antialiasing, false);
    plot.view->setFixedHeight(PlotHeight + (timeLabels ? TimeLabelHeight : 0));
    plot.view->setMouseTracking(true);
    plot.view->viewport()->installEventFilter(this);
    plot.view->setFrameShape(QFrame::NoFrame);
    plot.cursor = new QGraphicsLineItem;
    plot.cursor->setVisible(false);
    plot.cursor->setZValue(10);
    plot.chart->scene()->addItem(plot.cursor);
    return plot;
}

qint64 HealthView::rangeMs(Range range)
{
    switch (range) {
    case OneMinute: return 60 * 1000;
    case TenMinutes: return 10 * 60 * 1000;
    case OneHour: return 60 * 60 * 1000;
    }
    return 60 * 1000;
}

void HealthView::setRange(Range range)
{
    m_range->setCurrentIndex(int(range));
}

HealthView::Range HealthView::range() const
{
    return Range(std::clamp(m_range->currentIndex(), 0, int(OneHour)));
}

void HealthView::setPaused(bool paused)
{
    m_pause->setChecked(paused);
}

bool HealthView::isPaused() const
{
    return m_pause->isChecked();
}

QString HealthView::readout() const
{
    return m_readout->text();
}

void HealthView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    refresh();
}

void HealthView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    refresh();
}

void HealthView::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange)
        applyTheme();
    QWidget::changeEvent(event);
}

void HealthView::applyTheme()
{
    const bool dark = palette().color(QPalette::Window).lightnessF() < 0.5;
    m_dark = dark;
    const QColor text = palette().color(QPalette::WindowText);
    const QColor base = palette().color(QPalette::Window);
    const QColor grid = dark ? QColor(255, 255, 255, 40) : QColor(0, 0, 0, 35);
    int colour = 0;
    for (Plot &plot : m_plots) {
        plot.chart->setTheme(dark ? QChart::ChartThemeDark : QChart::ChartThemeLight);
        plot.chart->setBackgroundBrush(base);
        plot.chart->setBackgroundPen(Qt::NoPen);
        plot.chart->legend()->setLabelColor(text);
        QFont small = font();
        small.setPointSizeF(small.pointSizeF() * 0.85);
        plot.chart->legend()->setFont(small);
        for (QAbstractAxis *axis : {static_cast<QAbstractAxis *>(plot.time), static_cast<QAbstractAxis *>(plot.values)}) {
            axis->setLabelsColor(text);
            axis->setLabelsFont(small);
            axis->setGridLineColor(grid);
            axis->setLinePenColor(grid);
        }
        for (QLineSeries *series : qAsConst(plot.series)) {
            QPen pen(seriesColour(colour++));
            pen.setWidthF(1.5);
            series->setPen(pen);
        }
        plot.cursor->setPen(QPen(palette().color(QPalette::Highlight), 1));
    }
    refresh();
}

// The plots line up under one another: each gets as much room on the left as
// the one with the widest value labels needs. Takes effect at the next layout,
// which is also when the strips follow.
void HealthView::layOutPlots()
{
    qreal widest = 0;
    for (const Plot &plot : qAsConst(m_plots))
        widest = std::max(widest, plot.chart->plotArea().left() - plot.chart->margins().left());
    qreal right = 1e9;
    for (Plot &plot : m_plots) {
        QMargins margins = plot.chart->margins();
        const int extra = int(std::lround(widest - (plot.chart->plotArea().left() - margins.left())));
        if (extra != margins.left()) {
            margins.setLeft(extra);
            plot.chart->setMargins(margins);
        }
        const QRectF area = plot.chart->plotArea();
        right = std::min(right, area.right());
        plot.chart->legend()->setGeometry(QRectF(area.left() + 2, area.top(), area.width() - 4, LegendHeight));
        plot.chart->legend()->update();
    }
    m_window.left = int(std::lround(widest + 0.5));
    m_window.right = std::max(m_window.left + 10, int(right));
}

void HealthView::followPlotAreas()
{
    if (!isVisible())
        return;
    layOutPlots();
    m_events->setWindow(m_window);
    m_cameras->setWindow(m_window);
    placeCursor(m_hoverMs);
}

void HealthView::refresh()
{
    // Hidden: nothing is drawn; the monitor records on.
    if (!isVisible() || m_plots.isEmpty())
        return;
    const qint64 span = rangeMs(range());
    if (!isPaused()) {
        const qint64 newest = m_ring.samples().empty() ? QDateTime::currentMSecsSinceEpoch()
                                                       : m_ring.samples().back().msecsSinceEpoch;
        m_window.toMs = newest;
    }
    m_window.fromMs = m_window.toMs - span;
    layOutPlots();
    fillSeries();
    const QString format = range() == OneHour ? QStringLiteral("hh:mm") : QStringLiteral("hh:mm:ss");
    for (Plot &plot : m_plots) {
        plot.time->setFormat(format);
        plot.time->setRange(QDateTime::fromMSecsSinceEpoch(m_window.fromMs), QDateTime::fromMSecsSinceEpoch(m_window.toMs));
    }
    m_events->setWindow(m_window);
    m_cameras->setWindow(m_window);
    m_cameras->refresh();
    placeCursor(m_hoverMs);
    updateReadout();
}

void HealthView::fillSeries()
{
    const auto range = m_ring.sampleRange(m_window.fromMs, m_window.toMs);
    const qint64 bucketMs = std::max<qint64>(1000, (m_window.toMs - m_window.fromMs) / MostPoints);
    QVector<QPointF> points[SeriesCount];
    double highest[SeriesCount] = {};
    for (int series = 0; series < SeriesCount; ++series) {
        points[series].reserve(int(std::min<size_t>(range.second - range.first, MostPoints + 2)));
        qint64 bucket = -1;
        for (size_t i = range.first; i < range.second; ++i) {
            const HealthSample &s = m_ring.samples()[i];
            const double v = valueOf(s, series);
            if (v < 0)
                continue;
            highest[series] = std::max(highest[series], v);
            const qint64 b = s.msecsSinceEpoch / bucketMs;
            if (b == bucket && !points[series].isEmpty()) {
                double &kept = points[series].last().ry();
                kept = keepsHighest(series) ? std::max(kept, v) : std::min(kept, v);
                continue;
            }
            bucket = b;
            points[series].append(QPointF(double(s.msecsSinceEpoch), v));
        }
    }
    const int plotOf[SeriesCount] = {0, 1, 1, 2, 3};
    const int indexIn[SeriesCount] = {0, 0, 1, 0, 0};
    double top[4] = {10, 3, 5, 10};
    for (int series = 0; series < SeriesCount; ++series) {
        m_plots[plotOf[series]].series[indexIn[series]]->replace(points[series]);
        top[plotOf[series]] = std::max(top[plotOf[series]], std::ceil(highest[series] * 1.15));
    }
    for (int p = 0; p < m_plots.size(); ++p)
        m_plots[p].values->setRange(0, top[p]);
}

bool HealthView::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseMove) {
        const int x = static_cast<QMouseEvent *>(event)->pos().x();
        if (x >= m_window.left && x <= m_window.right)
            hoverAt(m_window.ms(x));
        else
            endHover();
    } else if (event->type() == QEvent::Leave) {
        endHover();
    }
    return QWidget::eventFilter(watched, event);
}

void HealthView::hoverAt(qint64 ms)
{
    m_hoverMs = ms;
    placeCursor(ms);
    updateReadout();
}

void HealthView::endHover()
{
    m_hoverMs = -1;
    placeCursor(-1);
    updateReadout();
}

void HealthView::placeCursor(qint64 ms)
{
    const bool on = ms >= m_window.fromMs && ms <= m_window.toMs;
    const int x = on ? int(std::lround(m_window.x(ms))) : -1;
    for (Plot &plot : m_plots) {
        plot.cursor->setVisible(on);
        const QRectF area = plot.chart->plotArea();
        if (on)
            plot.cursor->setLine(x, area.top(), x, area.bottom());
    }
    m_events->setCursorX(x);
    m_cameras->setCursorX(x);
}

QString HealthView::valuesText(const HealthSample &s)
{
    QStringList parts;
    parts << QDateTime::fromMSecsSinceEpoch(s.msecsSinceEpoch).toString(QStringLiteral("hh:mm:ss"));
    // Name and value, so that no count needs a plural.
    const auto value = [](qint64 v) { return v >= 0 ? QString::number(v) : QStringLiteral("-"); };
    parts << (s.frequency >= 0 ? tr("%1 Hz").arg(QLocale().toString(s.frequency, 'f', 1)) : tr("- Hz"));
    parts << tr("bodies %1").arg(value(s.bodies));
    parts << tr("markers %1").arg(value(s.markers));
    parts << tr("frames lost %1").arg(value(s.framesLost));
    parts << tr("lines/s %1").arg(value(s.dataLines));
    return parts.join(QStringLiteral("  ·  "));
}

void HealthView::updateReadout()
{
    if (m_hoverMs >= 0) {
        const HealthSample *sample = m_ring.nearest(m_hoverMs, 1500);
        m_readout->setText(sample ? valuesText(*sample)
                                  : tr("%1  ·  nothing recorded")
                                        .arg(QDateTime::fromMSecsSinceEpoch(m_hoverMs).toString(QStringLiteral("hh:mm:ss"))));
        return;
    }
    m_readout->setText(m_ring.samples().empty() ? tr("Nothing recorded yet") : valuesText(m_ring.samples().back()));
}

} // namespace Health
