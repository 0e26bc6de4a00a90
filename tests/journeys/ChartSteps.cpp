#include "ChartSteps.h"

#include <QApplication>
#include <QDateTime>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QDateTimeAxis>
#include <QtCharts/QLineSeries>

using namespace QtCharts;

namespace ChartSteps {

namespace {

QList<QChartView *> views(const QString &prefix)
{
    QList<QChartView *> found;
    for (QWidget *widget : QApplication::allWidgets()) {
        auto *view = qobject_cast<QChartView *>(widget);
        if (view && view->isVisible() && view->objectName().startsWith(prefix) && view->chart())
            found.append(view);
    }
    return found;
}

QDateTimeAxis *timeAxis(QChart *chart)
{
    const QList<QAbstractAxis *> axes = chart->axes(Qt::Horizontal);
    return axes.isEmpty() ? nullptr : qobject_cast<QDateTimeAxis *>(axes.first());
}

} // namespace

QString misaligned(const QString &prefix)
{
    const QList<QChartView *> all = views(prefix);
    if (all.size() < 2)
        return QStringLiteral("fewer than two charts %1* are shown").arg(prefix);
    QChart *first = all[0]->chart();
    QDateTimeAxis *axis = timeAxis(first);
    if (!axis)
        return QStringLiteral("%1 has no time axis").arg(all[0]->objectName());
    for (QChartView *view : all) {
        QChart *chart = view->chart();
        QDateTimeAxis *other = timeAxis(chart);
        if (!other || other->min() != axis->min() || other->max() != axis->max())
            return QStringLiteral("%1 shows another stretch of time than %2")
                .arg(view->objectName(), all[0]->objectName());
        const QRectF a = first->plotArea();
        const QRectF b = chart->plotArea();
        if (qAbs(a.left() - b.left()) > 0.5 || qAbs(a.right() - b.right()) > 0.5)
            return QStringLiteral("%1 spans x %2..%3, %4 %5..%6")
                .arg(view->objectName()).arg(b.left()).arg(b.right())
                .arg(all[0]->objectName()).arg(a.left()).arg(a.right());
    }
    return QString();
}

QString lineOverGap(const QString &prefix, qint64 gapMs)
{
    for (QChartView *view : views(prefix)) {
        for (QAbstractSeries *abstract : view->chart()->series()) {
            auto *series = qobject_cast<QLineSeries *>(abstract);
            if (!series)
                continue;
            const QVector<QPointF> points = series->pointsVector();
            for (int i = 1; i < points.size(); ++i)
                if (points[i].x() - points[i - 1].x() > double(gapMs))
                    return QStringLiteral("a line of %1 runs over %2 s without data")
                        .arg(view->objectName())
                        .arg((points[i].x() - points[i - 1].x()) / 1000.0, 0, 'f', 1);
        }
    }
    return QString();
}

bool anyValue(const QString &view, int series, bool below, double value)
{
    for (QChartView *chart : views(view)) {
        if (chart->objectName() != view)
            continue;
        const QList<QAbstractSeries *> all = chart->chart()->series();
        auto *line = series < all.size() ? qobject_cast<QLineSeries *>(all[series]) : nullptr;
        if (!line)
            return false;
        for (const QPointF &p : line->pointsVector())
            if (below ? p.y() < value : p.y() > value)
                return true;
    }
    return false;
}

} // namespace ChartSteps
