// The tracking-health recorder, its dock and the plug-in object, against a
// scripted channel: what a second of polls and frame lines becomes, what goes
// to the day's file, and what the plots show for a range, a pause and a hover.
#include "CameraStrip.h"
#include "EventStrip.h"
#include "HealthLogFile.h"
#include "HealthModule.h"
#include "HealthMonitor.h"
#include "HealthView.h"
#include "ScriptedChannel.h"
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
};

void tst_HealthDisplay::aSecondOfPollsAndFramesBecomesOneSample()
{
    ScriptedChannel channel;
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
    ScriptedChannel channel;
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
    QCOMPARE(lines.first(), QByteArray("time,kind,state,frequency_hz,bodies,markers,frames_lost,data_lines,rays,text"));
    // Five measuring seconds, the change to idle, then one idle row a minute, and the event.
    const auto rows = [&lines](const char *kind) {
        return std::count_if(lines.begin(), lines.end(), [kind](const QByteArray &l) { return l.contains(kind); });
    };
    QCOMPARE(rows(",sample,mea,"), 5);
    QCOMPARE(rows(",sample,none,"), 3);
    QVERIFY(lines.at(lines.size() - 2).endsWith(",event,,,,,,,,\"(QUORIX4) measurement stopped, \"\"by hand\"\"\""));
    QCOMPARE(int(file.permissions() & 0x0077), 0);
    QVERIFY(monitor.logError().isEmpty());
}

void tst_HealthDisplay::onlyTheHostIsHeardAndNothingAfterDetaching()
{
    ScriptedChannel channel;
    HealthMonitor monitor(&channel);
    channel.sendMessage(HealthMonitor::MessageChannel, "SomeModule", 1, "active=mea;bodies=9");
    channel.sendMessage(HealthMonitor::MessageChannel, "SomeModule", 2, "not an event of ours");
    monitor.takeSample(T0);
    QCOMPARE(monitor.ring().samples().back().bodies, -1);
    QVERIFY(monitor.ring().events().empty());

    monitor.detach();
    QCOMPARE(channel.removedListeners(), QList<QByteArray>{"fr"});
    channel.sendMessage(HealthMonitor::MessageChannel, "Quorix2", 2, "after detach");
    QVERIFY(monitor.ring().events().empty());
}

void tst_HealthDisplay::plotsFollowRangePauseAndHoverOnlyWhileShown()
{
    ScriptedChannel channel;
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
    ScriptedChannel channel;
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
    ScriptedChannel channel;
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

QTEST_MAIN(tst_HealthDisplay)
#include "tst_HealthDisplay.moc"
