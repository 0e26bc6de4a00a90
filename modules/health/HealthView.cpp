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
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QDateTimeAxis>
#include <QtCharts/QLegend>
#include <QtCharts/QLegendMarker>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include <algorithm>
#include <cmath>

using namespace QtCharts;

namespace Health {

namespace {

constexpr int PlotHeight = 90;
constexpr int TimeLabelHeight = 22;
constexpr int LegendHeight = 18;
// Half a value label stands above the top and below the bottom grid line.
constexpr int TopMargin = 10;
constexpr int BottomMargin = 10;
constexpr int LabelGap = 12;      // between the value labels and the plot area
constexpr int MostPoints = 600;   // per series; an hour is cut into buckets
// Samples further apart than this have a gap between them, not a line.
constexpr qint64 LongestStepMs = 2500;

enum Series { Frequency, Bodies, Markers, Lost, Dropped, Lines, SeriesCount };
const int plotOf[SeriesCount] = {0, 1, 1, 2, 2, 3};
const int indexIn[SeriesCount] = {0, 0, 1, 0, 1, 0};

// One value of a sample per series; negative: unknown, not drawn.
double valueOf(const HealthSample &s, int series)
{
    switch (series) {
    case Frequency: return s.frequency;
    case Bodies: return s.bodies;
    case Markers: return s.markers;
    case Lost: return double(s.framesLost);
    case Dropped: return double(s.framesDropped);
    case Lines: return s.dataLines;
    default: return -1;
    }
}

// Faults must not vanish into a bucket: losses keep the worst second, the
// rest the lowest.
bool keepsHighest(int series)
{
    return series == Lost || series == Dropped;
}

QColor seriesColour(int series)
{
    static const QColor colours[SeriesCount] = {QColor(52, 152, 219), QColor(46, 204, 113), QColor(26, 188, 156),
                                                QColor(231, 76, 60), QColor(243, 156, 18), QColor(155, 89, 182)};
    return colours[series];
}

QString clockTime(qint64 ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("hh:mm:ss"));
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
    // Once nothing is recorded the time still runs, so that the gap grows.
    m_clock = new QTimer(this);
    m_clock->setInterval(HealthMonitor::SampleIntervalMs);
    connect(m_clock, &QTimer::timeout, this, &HealthView::refresh);
    connect(m_monitor, &HealthMonitor::recordingEnded, m_clock, QOverload<>::of(&QTimer::start));
    connect(m_monitor, &HealthMonitor::recordingEnded, this, &HealthView::refresh);
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
    // A narrow dock breaks the line rather than growing for it or cutting
    // the last values off.
    m_readout->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_readout->setWordWrap(true);
    m_readout->setToolTip(tr("The second under the mouse, else the newest: the fewest bodies and markers the status "
                             "polls saw in it, the frames lost before this computer, the frames this computer "
                             "dropped, and the data lines received"));
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
    m_plots.append(makePlot(tr("Tracked"), {tr("Fewest bodies"), tr("Fewest markers")}, false));
    layout->addWidget(m_plots[0].view);
    layout->addWidget(m_plots[1].view);

    m_cameras = new CameraStrip(m_ring, this);
    m_cameras->setWhatsThis(tr("One row per camera, coloured by the rays it used: green as many as the busiest camera, "
                               "red none."));
    layout->addWidget(m_cameras);

    m_plots.append(makePlot(tr("Frames lost"), {tr("Frames lost by the Controller"), tr("Frames dropped here")},
                            false));
    m_plots.append(makePlot(tr("Data lines"), {tr("Data lines per second")}, true));
    layout->addWidget(m_plots[2].view);
    layout->addWidget(m_plots[3].view);
    layout->addStretch(1);
    for (int i = 0; i < m_plots.size(); ++i)
        m_plots[i].view->setObjectName(QStringLiteral("healthPlot%1").arg(i));

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
    // No margins: the plot area is set, and labels may use the whole chart.
    plot.chart->setMargins(QMargins());
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
    plot.timeLabels = timeLabels;
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
        plot.lines.append({series});
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
    return m_readoutText;
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
        for (const QVector<QLineSeries *> &stretches : qAsConst(plot.lines)) {
            QPen pen(seriesColour(colour++));
            pen.setWidthF(1.5);
            for (QLineSeries *series : stretches) {
                series->setPen(pen);
                series->setBrush(pen.color());
            }
        }
        plot.cursor->setPen(QPen(palette().color(QPalette::Highlight), 1));
    }
    refresh();
}

// The nth line of a value's stretches; made on first use, like the first.
QLineSeries *HealthView::stretchLine(Plot &plot, int value, int stretch)
{
    QVector<QLineSeries *> &stretches = plot.lines[value];
    while (stretches.size() <= stretch) {
        auto *series = new QLineSeries;
        series->setName(stretches.first()->name());
        series->setPen(stretches.first()->pen());
        series->setBrush(stretches.first()->brush());
        plot.chart->addSeries(series);
        series->attachAxis(plot.time);
        series->attachAxis(plot.values);
        for (QLegendMarker *marker : plot.chart->legend()->markers(series))
            marker->setVisible(false);
        stretches.append(series);
    }
    return stretches[stretch];
}

// Every plot gets the same plot area across, set rather than left to each
// chart's own layout: that one sizes itself by its own labels, later, and
// so differently from the others. The room on the left is that of the widest
// value label any plot has.
void HealthView::layOutPlots(const double *tops)
{
    const QFontMetrics values(m_plots.first().values->labelsFont());
    const QFontMetrics times(m_plots.first().time->labelsFont());
    int widest = 0;
    for (int p = 0; p < m_plots.size(); ++p)
        for (const double v : {tops[p], tops[p] / 2})
            widest = std::max(widest, values.horizontalAdvance(QString::number(v, 'f', 0)));
    // The first and the last time label stand half outside the plot area.
    const int halfTime = times.horizontalAdvance(QStringLiteral("00:00:00")) / 2 + 2;
    const int left = std::max(widest + LabelGap, halfTime);
    const int right = std::max(left + 10, m_plots.first().view->viewport()->width() - halfTime);
    for (Plot &plot : m_plots) {
        const int height = plot.view->viewport()->height();
        const int bottom = height - (plot.timeLabels ? TimeLabelHeight : BottomMargin);
        const QRectF area(left, TopMargin, right - left, std::max(10, bottom - TopMargin));
        if (plot.chart->plotArea() != area)
            plot.chart->setPlotArea(area);
        plot.chart->legend()->setGeometry(QRectF(area.left() + 2, area.top(), area.width() - 4, LegendHeight));
        plot.chart->legend()->update();
    }
    m_window.left = left;
    m_window.right = right;
}

// The strips lie elsewhere in the dock than the plots: the same pixel column,
// in their own coordinates.
TimeWindow HealthView::stripWindow(const QWidget *strip) const
{
    TimeWindow window = m_window;
    const int shift = m_plots.first().view->viewport()->mapTo(this, QPoint()).x() - strip->mapTo(this, QPoint()).x();
    window.left += shift;
    window.right += shift;
    return window;
}

void HealthView::refresh()
{
    // Hidden: nothing is drawn; the monitor records on.
    if (!isVisible() || m_plots.isEmpty())
        return;
    const qint64 span = rangeMs(range());
    if (!isPaused()) {
        qint64 newest = m_ring.samples().empty() ? QDateTime::currentMSecsSinceEpoch()
                                                 : m_ring.samples().back().msecsSinceEpoch;
        if (m_monitor->endedMs() >= 0)
            newest = std::max(newest, QDateTime::currentMSecsSinceEpoch());
        m_window.toMs = newest;
    }
    m_window.fromMs = m_window.toMs - span;
    const QString format = range() == OneHour ? QStringLiteral("hh:mm") : QStringLiteral("hh:mm:ss");
    for (Plot &plot : m_plots) {
        plot.time->setFormat(format);
        plot.time->setRange(QDateTime::fromMSecsSinceEpoch(m_window.fromMs), QDateTime::fromMSecsSinceEpoch(m_window.toMs));
    }
    fillSeries();
    m_events->setWindow(stripWindow(m_events));
    m_cameras->setWindow(stripWindow(m_cameras));
    m_cameras->refresh();
    placeCursor(m_hoverMs);
    updateReadout();
}

void HealthView::fillSeries()
{
    const auto range = m_ring.sampleRange(m_window.fromMs, m_window.toMs);
    const qint64 bucketMs = std::max<qint64>(1000, (m_window.toMs - m_window.fromMs) / MostPoints);
    double tops[4] = {10, 3, 5, 10};
    QVector<QVector<QPointF>> stretches[SeriesCount];
    for (int series = 0; series < SeriesCount; ++series) {
        QVector<QVector<QPointF>> &out = stretches[series];
        double highest = 0;
        qint64 lastMs = 0;
        qint64 bucket = -1;
        bool open = false;
        for (size_t i = range.first; i < range.second; ++i) {
            const HealthSample &s = m_ring.samples()[i];
            const double v = valueOf(s, series);
            if (v < 0 || !hasTrackingData(s)) {
                open = false;
                continue;
            }
            if (!open || s.msecsSinceEpoch - lastMs > LongestStepMs) {
                out.append(QVector<QPointF>());
                bucket = -1;
            }
            open = true;
            lastMs = s.msecsSinceEpoch;
            highest = std::max(highest, v);
            // The bucket's point is its worst second, at that second's time.
            const qint64 b = s.msecsSinceEpoch / bucketMs;
            QVector<QPointF> &points = out.last();
            if (b == bucket) {
                const double kept = points.last().y();
                if (keepsHighest(series) ? v > kept : v < kept)
                    points.last() = QPointF(double(s.msecsSinceEpoch), v);
                continue;
            }
            bucket = b;
            points.append(QPointF(double(s.msecsSinceEpoch), v));
        }
        double &top = tops[plotOf[series]];
        top = std::max(top, std::ceil(highest * 1.15));
    }
    layOutPlots(tops);
    for (int series = 0; series < SeriesCount; ++series) {
        Plot &plot = m_plots[plotOf[series]];
        const QVector<QVector<QPointF>> &out = stretches[series];
        const int used = std::max(1, out.size());
        for (int k = 0; k < used; ++k) {
            QLineSeries *line = stretchLine(plot, indexIn[series], k);
            const QVector<QPointF> points = k < out.size() ? out[k] : QVector<QPointF>();
            // A second alone between gaps has no line to be seen by.
            line->setPointsVisible(points.size() == 1);
            line->replace(points);
        }
        for (int k = used; k < plot.lines[indexIn[series]].size(); ++k)
            plot.lines[indexIn[series]][k]->clear();
    }
    for (int p = 0; p < m_plots.size(); ++p)
        m_plots[p].values->setRange(0, tops[p]);
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
    m_events->setCursorX(on ? int(std::lround(stripWindow(m_events).x(ms))) : -1);
    m_cameras->setCursorX(on ? int(std::lround(stripWindow(m_cameras).x(ms))) : -1);
}

QString HealthView::valuesText(const HealthSample &s)
{
    QStringList parts;
    parts << clockTime(s.msecsSinceEpoch);
    if (!hasTrackingData(s)) {
        parts << tr("no tracking data");
        return parts.join(QStringLiteral("  ·  "));
    }
    // Name and value, so that no count needs a plural. The counts are each
    // second's fewest, which the tool bar's current ones may exceed.
    const auto value = [](qint64 v) { return v >= 0 ? QString::number(v) : QStringLiteral("-"); };
    parts << (s.frequency >= 0 ? tr("%1 Hz").arg(QLocale().toString(s.frequency, 'f', 1)) : tr("- Hz"));
    parts << tr("fewest bodies %1").arg(value(s.bodies));
    parts << tr("fewest markers %1").arg(value(s.markers));
    parts << tr("lost by Controller %1").arg(value(s.framesLost));
    parts << tr("dropped here %1").arg(value(s.framesDropped));
    parts << tr("lines/s %1").arg(value(s.dataLines));
    return parts.join(QStringLiteral("  ·  "));
}

void HealthView::updateReadout()
{
    if (m_hoverMs >= 0) {
        const HealthSample *sample = m_ring.sampleFor(m_hoverMs);
        setReadout(sample ? valuesText(*sample) : tr("%1  ·  nothing recorded").arg(clockTime(m_hoverMs)));
        return;
    }
    // The last values would read as current ones: the end is said instead.
    if (m_monitor->endedMs() >= 0) {
        const QString at = clockTime(m_monitor->endedMs());
        setReadout(m_monitor->connectionLost() ? tr("%1  ·  connection to the Controller lost").arg(at)
                                               : tr("%1  ·  not connected").arg(at));
        return;
    }
    setReadout(m_ring.samples().empty() ? tr("Nothing recorded yet") : valuesText(m_ring.samples().back()));
}

// A narrow dock breaks the readout between its values, never inside one.
void HealthView::setReadout(const QString &text)
{
    m_readoutText = text;
    const QString separator = QStringLiteral("  ·  ");
    QStringList parts = text.split(separator);
    for (QString &part : parts)
        part.replace(QLatin1Char(' '), QChar(0x00a0));
    m_readout->setText(parts.join(separator));
}

} // namespace Health
