// The tracking-health recorder, its dock and the plug-in object, against a
// scripted channel: what a second of polls and frame lines becomes, what goes
// to the day's file, and what the plots show for a range, a pause and a hover.
#include "CameraStrip.h"
#include "EventStrip.h"
#include "FakeChannel.h"
#include "HealthCsv.h"
#include "HealthLogFile.h"
#include "HealthModule.h"
#include "HealthMonitor.h"
#include "HealthView.h"
#include "TestHome.h"

#include <QDockWidget>
#include <QFile>
#include <QLabel>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtTest>

using namespace Health;

namespace {

constexpr qint64 T0 = 1796000000000;   // a fixed moment, so that the tests need no clock

void status(IOManager &channel, const char *text)
{
    channel.sendMessage(HealthMonitor::MessageChannel, "Quorix2", 1, text);
}

QVector<QPointF> points(const HealthView &view, int plot, int series = 0)
{
    auto *chartView = view.findChild<QtCharts::QChartView *>(QStringLiteral("healthPlot%1").arg(plot));
    auto *line = static_cast<QtCharts::QLineSeries *>(chartView->chart()->series().at(series));
    return line->pointsVector();
}

// Every line of one value: a value has one line per stretch of measurement.
QVector<QVector<QPointF>> stretches(const HealthView &view, int plot, const QString &name)
{
    auto *chartView = view.findChild<QtCharts::QChartView *>(QStringLiteral("healthPlot%1").arg(plot));
    QVector<QVector<QPointF>> out;
    for (QtCharts::QAbstractSeries *series : chartView->chart()->series()) {
        auto *line = static_cast<QtCharts::QLineSeries *>(series);
        if (line->name() == name && line->count() > 0)
            out.append(line->pointsVector());
    }
    return out;
}

QStringList eventTexts(const HealthMonitor &monitor)
{
    QStringList texts;
    for (const HealthEvent &e : monitor.ring().events())
        texts << e.text;
    return texts;
}

void frames(HealthMonitor &monitor, std::initializer_list<int> numbers)
{
    for (const int n : numbers)
        monitor.onData("fr", QByteArray("fr " + QByteArray::number(n)).constData());
}

// An hour of measuring at one sample a second, one bad second in the middle.
void fillHour(HealthMonitor &monitor, IOManager &channel)
{
    quint32 frame = 0;
    for (int s = 0; s < 3600; ++s) {
        status(channel, s == 1800 ? "active=mea;frequency=60.00;bodies=1;markers=6"
                                  : "active=mea;frequency=60.00;bodies=2;markers=6");
        for (int i = 0; i < 60; ++i)
            monitor.onData("fr", QByteArray("fr " + QByteArray::number(frame++)).constData());
        if (s == 1800)
            frame += 7;
        monitor.takeSample(T0 + s * 1000);
    }
}

} // namespace

class tst_HealthDisplay : public QObject
{
    Q_OBJECT

private slots:
    void aSecondOfPollsAndFramesBecomesOneSample();
    void theDayFileGetsMeasuringSecondsAndIdleMinutes();
    void onlyTheHostIsHeardAndNothingAfterDetaching();
    void plotsFollowRangePauseAndHoverOnlyWhileShown();
    void anHourKeepsItsWorstSecondInFewPoints();
    void stripsNameCamerasAndEvents();
    void moduleHandsOutOneDockInTheViewMenu();
    void framesThisComputerDroppedAreNotTheControllers();
    void everyPlotAndStripShareOneTimeAxisAcrossRanges();
    void timeWithoutMeasurementIsAGapWithMarkedEnds();
    void aLostConnectionShowsAndTheHourComesBack();
    void readoutAndToolTipNameTheSameSecond();
};

void tst_HealthDisplay::aSecondOfPollsAndFramesBecomesOneSample()
{
    FakeChannel channel;
    HealthMonitor monitor(&channel);
    QCOMPARE(channel.addedListeners(), QList<QByteArray>{"fr"});

    // A body that drops out for one poll shows in the second's sample.
    status(channel, "active=mea;frequency=59.94;bodies=2;markers=6;rays=12/10,5/2");
    status(channel, "active=mea;frequency=59.94;bodies=1;markers=6;rays=12/10,5/2");
    status(channel, "active=mea;frequency=59.94;bodies=2;markers=5;rays=11/9,5/1");
    for (const char *line : {"fr 10", "fr 11", "fr 14", "fr 15"})
        QCOMPARE(monitor.onData("fr", line), 0);
    QCOMPARE(monitor.onData("fr", "fr"), -2);
    monitor.takeSample(T0);

    QCOMPARE(monitor.ring().samples().size(), size_t(1));
    const HealthSample &s = monitor.ring().samples().back();
    QCOMPARE(s.msecsSinceEpoch, T0);
    QCOMPARE(s.state, QByteArray("mea"));
    QCOMPARE(s.frequency, 59.94);
    QCOMPARE(s.bodies, 1);
    QCOMPARE(s.markers, 5);
    QCOMPARE(s.dataLines, 4);
    QCOMPARE(s.framesLost, qint64(2));
    QCOMPARE(s.rays.size(), 2);
    QCOMPARE(s.rays[1].used, 1);

    // A second without polls and without frames knows nothing.
    monitor.takeSample(T0 + 1000);
    const HealthSample &quiet = monitor.ring().samples().back();
    QVERIFY(quiet.state.isEmpty());
    QCOMPARE(quiet.bodies, -1);
    QCOMPARE(quiet.framesLost, qint64(-1));
    QCOMPARE(quiet.dataLines, 0);

    // A new measurement is not compared with the last frame of the old one.
    monitor.onMeasurementStarted();
    monitor.onData("fr", "fr 1000");
    status(channel, "active=mea");
    monitor.takeSample(T0 + 2000);
    QCOMPARE(monitor.ring().samples().back().framesLost, qint64(0));
}

void tst_HealthDisplay::theDayFileGetsMeasuringSecondsAndIdleMinutes()
{
    TestHome home;
    const QString logs = home.path() + "/logs";
    FakeChannel channel;
    HealthMonitor monitor(&channel);
    channel.sendMessage(HealthMonitor::MessageChannel, "Quorix2", 3, QByteArray("logdir=" + logs.toUtf8() + "\nhost=sim").constData());

    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    for (int s = 0; s < 5; ++s) {
        status(channel, "active=mea;frequency=60.00;bodies=2;markers=6");
        monitor.takeSample(now + s * 1000);
    }
    for (int s = 5; s < 130; ++s) {
        status(channel, "active=none");
        monitor.takeSample(now + s * 1000);
    }
    channel.sendMessage(HealthMonitor::MessageChannel, "Quorix2", 2, "(QUORIX4) measurement stopped, \"by hand\"");

    QFile file(HealthLogFile::path(logs, "sim", QDateTime::fromMSecsSinceEpoch(now).date()));
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
    const QList<QByteArray> lines = file.readAll().split('\n');
    QCOMPARE(lines.first(), csvHeader().trimmed());
    // Five measuring seconds, the change to idle, then one idle row a minute, and the event.
    const auto rows = [&lines](const char *kind) {
        return std::count_if(lines.begin(), lines.end(), [kind](const QByteArray &l) { return l.contains(kind); });
    };
    QCOMPARE(rows(",sample,mea,"), 5);
    QCOMPARE(rows(",sample,none,"), 3);
    QVERIFY(lines.at(lines.size() - 2).endsWith(",event,,,,,,,,\"(QUORIX4) measurement stopped, \"\"by hand\"\"\","));
    QCOMPARE(int(file.permissions() & 0x0077), 0);
    QVERIFY(monitor.logError().isEmpty());
}

void tst_HealthDisplay::onlyTheHostIsHeardAndNothingAfterDetaching()
{
    FakeChannel channel;
    HealthMonitor monitor(&channel);
    channel.sendMessage(HealthMonitor::MessageChannel, "SomeModule", 1, "active=mea;bodies=9");
    channel.sendMessage(HealthMonitor::MessageChannel, "SomeModule", 2, "not an event of ours");
    monitor.takeSample(T0);
    QCOMPARE(monitor.ring().samples().back().bodies, -1);
    QVERIFY(monitor.ring().events().empty());

    monitor.detach();
    QCOMPARE(channel.removedListeners(), QList<QByteArray>{"fr"});
    channel.sendMessage(HealthMonitor::MessageChannel, "Quorix2", 2, "after detach");
    // Only the end itself, so that the record says why it stops.
    QCOMPARE(monitor.ring().events().size(), size_t(1));
    QVERIFY(monitor.ring().events().back().text.startsWith("Recording ended"));
    QVERIFY(!monitor.isRecording());
}

void tst_HealthDisplay::plotsFollowRangePauseAndHoverOnlyWhileShown()
{
    FakeChannel channel;
    HealthMonitor monitor(&channel);
    HealthView view(&monitor);
    view.resize(700, 500);
    for (int s = 0; s < 120; ++s) {
        status(channel, "active=mea;frequency=60.00;bodies=2;markers=6;rays=10/9,4/2");
        monitor.takeSample(T0 + s * 1000);
    }
    // Hidden: nothing drawn.
    QVERIFY(points(view, 0).isEmpty());

    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QCOMPARE(view.window().toMs, T0 + 119000);
    QCOMPARE(view.window().toMs - view.window().fromMs, qint64(60000));
    QCOMPARE(points(view, 0).size(), 61);
    view.setRange(HealthView::TenMinutes);
    QCOMPARE(points(view, 0).size(), 120);
    QCOMPARE(points(view, 1, 1).last().y(), 6.0);

    // Paused, the window stands while recording goes on; resumed, it catches up.
    view.setPaused(true);
    monitor.takeSample(T0 + 120000);
    QCOMPARE(view.window().toMs, T0 + 119000);
    view.setPaused(false);
    QCOMPARE(view.window().toMs, T0 + 120000);

    view.hoverAt(T0 + 30200);
    QVERIFY2(view.readout().contains("60.0 Hz") && view.readout().contains("bodies 2"), qPrintable(view.readout()));
    view.hoverAt(T0 - 100000);
    QVERIFY2(view.readout().contains("nothing recorded"), qPrintable(view.readout()));
    view.endHover();

    view.hide();
    for (int s = 121; s < 200; ++s)
        monitor.takeSample(T0 + s * 1000);
    QCOMPARE(view.window().toMs, T0 + 120000);
}

void tst_HealthDisplay::anHourKeepsItsWorstSecondInFewPoints()
{
    FakeChannel channel;
    HealthMonitor monitor(&channel);
    HealthView view(&monitor);
    view.resize(700, 500);
    view.setRange(HealthView::OneHour);
    fillHour(monitor, channel);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));

    const QVector<QPointF> lost = points(view, 2);
    QVERIFY2(lost.size() <= 602, qPrintable(QString::number(lost.size())));
    double worst = 0;
    for (const QPointF &p : lost)
        worst = std::max(worst, p.y());
    QCOMPARE(worst, 7.0);
    double fewestBodies = 99;
    for (const QPointF &p : points(view, 1, 0))
        fewestBodies = std::min(fewestBodies, p.y());
    QCOMPARE(fewestBodies, 1.0);
}

void tst_HealthDisplay::stripsNameCamerasAndEvents()
{
    QCOMPARE(CameraStrip::colourFor(-1, 10).isValid(), false);
    QVERIFY(CameraStrip::colourFor(0, 10).hueF() < 0.02);
    QVERIFY(qAbs(CameraStrip::colourFor(10, 10).hueF() - 1.0 / 3.0) < 0.02);

    HealthRing ring;
    HealthSample s;
    s.msecsSinceEpoch = T0;
    s.state = "mea";
    s.rays = {{12, 10}, {5, 1}};
    ring.add(s);
    ring.addEvent({T0 - 500, QStringLiteral("(Controller) camera c02 dirty")});
    TimeWindow window;
    window.fromMs = T0 - 60000;
    window.toMs = T0;
    window.left = 50;
    window.right = 650;

    CameraStrip cameras(ring);
    cameras.setWindow(window);
    cameras.refresh();
    QCOMPARE(cameras.cameraCount(), 2);
    const int x = int(window.x(T0 - 500));
    QVERIFY2(cameras.toolTipAt(QPoint(x, 1 + CameraStrip::RowHeight + 3)).contains("c02"),
             qPrintable(cameras.toolTipAt(QPoint(x, 1 + CameraStrip::RowHeight + 3))));
    QVERIFY(cameras.toolTipAt(QPoint(x, 1 + 5 * CameraStrip::RowHeight)).isEmpty());

    EventStrip events(ring);
    events.setWindow(window);
    QVERIFY(events.toolTipAt(QPoint(x, 5)).endsWith("(Controller) camera c02 dirty"));
    QVERIFY(events.toolTipAt(QPoint(window.left + 10, 5)).isEmpty());
}

void tst_HealthDisplay::moduleHandsOutOneDockInTheViewMenu()
{
    FakeChannel channel;
    QWidget parent;
    auto *module = new HealthModule;
    module->detachFromController();   // before any widget: nothing to do
    module->setModuleProperty("CommandManager", QVariant::fromValue<IOManager *>(&channel));
    module->setModuleProperty("ModuleParent", QVariant::fromValue<QObject *>(&parent));
    const QList<ModuleWidgetEntry *> first = module->moduleWidgets();
    const QList<ModuleWidgetEntry *> second = module->moduleWidgets();
    QCOMPARE(first.size(), 1);
    QCOMPARE(first, second);
    QCOMPARE(first[0]->menuName, QString("&View"));
    QCOMPARE(first[0]->actionPosition, 240);
    QCOMPARE(first[0]->availableWhileMeasuring, 1);
    auto *dock = qobject_cast<QDockWidget *>(first[0]->widget);
    QVERIFY(dock);
    QCOMPARE(dock->objectName(), QString("TrackingHealthDock"));
    QCOMPARE(first[0]->toggleAction, dock->toggleViewAction());
    QCOMPARE(channel.addedListeners(), QList<QByteArray>{"fr"});

    // As the host ends: detach, widgets, module; the channel outlives them.
    module->detachFromController();
    QCOMPARE(channel.removedListeners(), QList<QByteArray>{"fr"});
    module->destroyWidgets();
    QVERIFY(module->moduleWidgets().size() == 1);   // built anew on request
    module->destroyWidgets();
    delete module;
}

void tst_HealthDisplay::framesThisComputerDroppedAreNotTheControllers()
{
    FakeChannel channel;
    HealthMonitor monitor(&channel);
    status(channel, "active=mea;frames_dropped=0");
    frames(monitor, {1, 2, 3, 7});          // this computer skipped 4, 5, 6
    status(channel, "active=mea;frames_dropped=3");
    frames(monitor, {8, 10});               // 9 never came
    status(channel, "active=mea;frames_dropped=0");
    status(channel, "active=mea;frames_dropped=1");   // said before its gap shows
    frames(monitor, {12});
    status(channel, "active=mea;frames_dropped=0");
    frames(monitor, {14});                  // after the second's last round
    monitor.takeSample(T0);
    HealthSample s = monitor.ring().samples().back();
    QCOMPARE(s.framesLost, qint64(1));
    QCOMPARE(s.framesDropped, qint64(4));
    // That gap is the next round's, which names its drop.
    status(channel, "active=mea;frames_dropped=1");
    monitor.takeSample(T0 + 1000);
    s = monitor.ring().samples().back();
    QCOMPARE(s.framesLost, qint64(0));
    QCOMPARE(s.framesDropped, qint64(1));

    // A host without the count: every gap is as before.
    status(channel, "active=mea");
    frames(monitor, {20});
    monitor.takeSample(T0 + 2000);
    QCOMPARE(monitor.ring().samples().back().framesLost, qint64(5));
    QCOMPARE(monitor.ring().samples().back().framesDropped, qint64(-1));
}

void tst_HealthDisplay::everyPlotAndStripShareOneTimeAxisAcrossRanges()
{
    FakeChannel channel;
    HealthMonitor monitor(&channel);
    HealthView view(&monitor);
    view.resize(760, 560);
    for (int s = 0; s < 3600; ++s) {
        // Values of other widths in each plot: their labels differ.
        status(channel, "active=mea;frequency=1000.00;bodies=2;markers=6;rays=10/9,4/2");
        frames(monitor, {s * 5, s * 5 + 1, s * 5 + 4});
        monitor.takeSample(T0 + s * 1000);
    }
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const QList<QtCharts::QChartView *> plots = view.findChildren<QtCharts::QChartView *>();
    const QList<TimeStrip *> strips = view.findChildren<TimeStrip *>();
    QCOMPARE(plots.size(), 4);
    QCOMPARE(strips.size(), 2);
    for (const HealthView::Range range : {HealthView::OneHour, HealthView::OneMinute, HealthView::OneHour}) {
        view.setRange(range);
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
        const TimeWindow &w = view.window();
        const qint64 t = w.toMs - (w.toMs - w.fromMs) / 3;
        const double x = view.mapFromGlobal(plots[0]->viewport()->mapToGlobal(QPoint(int(std::lround(w.x(t))), 0))).x();
        for (QtCharts::QChartView *plot : plots) {
            QtCharts::QChart *chart = plot->chart();
            const QString where = chart->objectName() + QStringLiteral(" at range %1").arg(int(range));
            QVERIFY2(qAbs(chart->plotArea().left() - w.left) < 0.5 && qAbs(chart->plotArea().right() - w.right) < 0.5,
                     qPrintable(where));
            const QPointF at = chart->mapToPosition(QPointF(double(t), 0), chart->series().first());
            const QPoint inView = view.mapFromGlobal(plot->viewport()->mapToGlobal(at.toPoint()));
            QVERIFY2(qAbs(inView.x() - x) <= 1, qPrintable(where + QStringLiteral(": %1 vs %2").arg(inView.x()).arg(x)));
        }
        for (TimeStrip *strip : strips) {
            const QPoint inView = view.mapFromGlobal(strip->mapToGlobal(QPoint(int(std::lround(strip->window().x(t))), 0)));
            QVERIFY2(qAbs(inView.x() - x) <= 1, qPrintable(strip->metaObject()->className()));
        }
    }
}

void tst_HealthDisplay::timeWithoutMeasurementIsAGapWithMarkedEnds()
{
    FakeChannel channel;
    HealthMonitor monitor(&channel);
    HealthView view(&monitor);
    view.resize(700, 500);
    for (int s = 0; s < 45; ++s) {
        const bool stopped = s >= 10 && s < 32;
        // The Controller goes on naming its frequency while stopped.
        status(channel, stopped ? "active=none;frequency=60.00;bodies=0;markers=0"
                                : "active=mea;frequency=60.00;bodies=2;markers=6");
        if (!stopped)
            frames(monitor, {s * 60, s * 60 + 1});
        monitor.takeSample(T0 + s * 1000);
    }
    // And a second that no poll and no frame reached: a gap too.
    monitor.takeSample(T0 + 45000);
    for (int s = 46; s < 50; ++s) {
        status(channel, "active=mea;frequency=60.00;bodies=2;markers=6");
        frames(monitor, {s * 60});
        monitor.takeSample(T0 + s * 1000);
    }
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    for (const auto &value : {std::make_pair(0, QStringLiteral("Frequency (Hz)")), std::make_pair(1, QStringLiteral("Fewest bodies")),
                              std::make_pair(2, QStringLiteral("Frames lost by the Controller")),
                              std::make_pair(3, QStringLiteral("Data lines per second"))}) {
        const QVector<QVector<QPointF>> lines = stretches(view, value.first, value.second);
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[0].last().x(), double(T0 + 9000));
        QCOMPARE(lines[1].first().x(), double(T0 + 32000));
        QCOMPARE(lines[2].first().x(), double(T0 + 46000));
    }
    QCOMPARE(eventTexts(monitor), (QStringList{"Measurement stopped", "Measurement started"}));
    QCOMPARE(monitor.ring().events().front().msecsSinceEpoch, T0 + 10000);
    QCOMPARE(monitor.ring().events().back().msecsSinceEpoch, T0 + 32000);
}

void tst_HealthDisplay::aLostConnectionShowsAndTheHourComesBack()
{
    TestHome home;
    const QByteArray place = "logdir=" + (home.path() + "/logs").toUtf8() + "\nhost=sim";
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    {
        FakeChannel channel;
        HealthMonitor monitor(&channel);
        HealthView view(&monitor);
        channel.sendMessage(HealthMonitor::MessageChannel, "Quorix2", 3, place.constData());
        for (int s = 0; s < 30; ++s) {
            status(channel, "active=mea;frequency=60.00;bodies=2;markers=5");
            monitor.takeSample(now - 60000 + s * 1000);
        }
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        // As the host does it: the notice, then the modules are detached.
        channel.sendMessage(HealthMonitor::MessageChannel, "Quorix2", 4, "");
        monitor.detach();
        QVERIFY2(view.readout().contains("connection to the Controller lost") && !view.readout().contains("Hz"),
                 qPrintable(view.readout()));
        QCOMPARE(eventTexts(monitor), QStringList{"Connection to the Controller lost"});
    }
    // After the reconnect the program's modules are new: the hour is read back.
    FakeChannel channel;
    HealthMonitor monitor(&channel);
    status(channel, "active=mea;frequency=60.00;bodies=1;markers=5");
    monitor.takeSample(now + 5000);
    channel.sendMessage(HealthMonitor::MessageChannel, "Quorix2", 3, place.constData());
    QCOMPARE(monitor.ring().samples().size(), size_t(31));
    QCOMPARE(monitor.ring().samples().front().msecsSinceEpoch, now - 60000);
    QCOMPARE(monitor.ring().samples().back().bodies, 1);
    QCOMPARE(eventTexts(monitor), QStringList{"Connection to the Controller lost"});
    // A second announcement reads nothing twice.
    channel.sendMessage(HealthMonitor::MessageChannel, "Quorix2", 3, place.constData());
    QCOMPARE(monitor.ring().samples().size(), size_t(31));
}

void tst_HealthDisplay::readoutAndToolTipNameTheSameSecond()
{
    FakeChannel channel;
    HealthMonitor monitor(&channel);
    HealthView view(&monitor);
    view.resize(700, 500);
    for (int s = 0; s < 60; ++s) {
        status(channel, s == 20 ? "active=mea;frequency=60.00;bodies=1;markers=5;rays=10/9,4/2"
                                : "active=mea;frequency=60.00;bodies=2;markers=6;rays=10/9,4/2");
        monitor.takeSample(T0 + s * 1000);
    }
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    auto *cameras = view.findChild<CameraStrip *>();
    for (const qint64 ms : {T0 + 19500, T0 + 20000 - 100, T0 + 20100}) {
        const int x = int(std::lround(cameras->window().x(ms)));
        const qint64 hovered = cameras->window().ms(x);
        view.hoverAt(hovered);
        const QString tip = cameras->toolTipAt(QPoint(x, 2));
        const QString second = view.readout().left(8);
        QVERIFY2(tip.contains(" at " + second + ":"), qPrintable(tip + " / " + view.readout()));
    }
    view.hoverAt(T0 + 19500);
    QVERIFY2(view.readout().contains("fewest bodies 1"), qPrintable(view.readout()));
}

QTEST_MAIN(tst_HealthDisplay)
#include "tst_HealthDisplay.moc"
