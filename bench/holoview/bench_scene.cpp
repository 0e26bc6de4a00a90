#include "DisplaySettingsData.h"
#include "FakeChannel.h"
#include "FrameText.h"
#include "QuorixParser.h"
#include "SceneGraph.h"
#include "StaticData.h"
#include "TrackedFrame.h"
#include "TrackedTargetBuilder.h"

#include <QCoreApplication>
#include <QMutex>
#include <QMutexLocker>

#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {


// A parser that has taken one frame: 20 bodies, 2 gripwands, 50 markers.
std::unique_ptr<QuorixParser> parsedFrame(unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<std::string> lines = {"ts 4711.123456"};
    std::string bodies = "6d 20";
    for (int b = 0; b < 20; ++b)
        bodies += " [" + std::to_string(b) + " 1.000]" + position(random) + rotation(random);
    lines.push_back(bodies);
    std::string gripwands = "6df2 2 2";
    for (int g = 0; g < 2; ++g)
        gripwands += " [" + std::to_string(g) + " 1.000 0 0]" + position(random) + rotation(random) + "[]";
    lines.push_back(gripwands);
    std::string markers = "3d 50";
    for (int m = 0; m < 50; ++m)
        markers += " [" + std::to_string(m + 1) + " 1.000]" + position(random);
    lines.push_back(markers);

    auto parser = std::make_unique<QuorixParser>();
    for (std::string &line : lines) {
        char *cursor = &line[0];
        parser->parseLine(&cursor);
    }
    return parser;
}

QByteArray twoDigits(int n)
{
    return QByteArray::number(n).rightJustified(2, '0');
}

// Four markers on every body and gripwand, as a typical target carries.
void scriptStaticData(FakeChannel &c)
{
    for (const QByteArray &family : {QByteArray("standard"), QByteArray("gripwand")}) {
        const int count = family == "standard" ? 20 : 2;
        c.reply("quorix2 get body number_of_bodies " + family,
                "quorix2 set body number_of_bodies " + family + " " + QByteArray::number(count));
        for (int b = 1; b <= count; ++b) {
            const QByteArray body = family + " b" + twoDigits(b);
            c.reply("quorix2 get body number_of_marker " + body, "quorix2 set body number_of_marker " + body + " 4");
            for (int m = 1; m <= 4; ++m) {
                const QByteArray command = "body marker " + body + " m" + twoDigits(m);
                c.reply("quorix2 get " + command, "quorix2 set " + command + " 10 20 30");
            }
        }
    }
}

void flushEvents()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// One 20 ms tick as the display runs it: the data thread digests the parser
// under the frame lock, the timer copies the frame and the builder moves the
// target nodes. Two frames alternate so that every pose really changes.
void sceneTick(benchmark::State &state, bool rebuild)
{
    std::unique_ptr<QuorixParser> parsers[] = {parsedFrame(1), parsedFrame(2)};
    FakeChannel channel;
    scriptStaticData(channel);
    Logic::StaticData staticData(&channel, nullptr);
    staticData.update();

    Scenegraph::SceneGraph graph;
    Configuration::DisplaySettingsData display;
    Scenegraph::TrackedTargetBuilder targets(&graph, display);
    targets.setStaticData(&staticData);

    flushEvents();

    QMutex mutex;
    Logic::TrackedFrame shared;
    bool consumed = true;
    size_t tick = 0;
    for (auto _ : state) {
        {
            QMutexLocker lock(&mutex);
            shared.digest(*parsers[tick++ % 2]);
            consumed = false;
        }
        Logic::TrackedFrame copy;
        {
            QMutexLocker lock(&mutex);
            copy = shared;
            consumed = true;
        }
        if (rebuild)
            targets.setSettings(display);
        targets.setFrame(std::move(copy));
        // What the event loop does between ticks: Qt3D's queued set-up calls
        // of new entities, and the deletion of replaced ones. Left to pile
        // up, they would make every later flush slower.
        if (rebuild)
            flushEvents();
    }
    benchmark::DoNotOptimize(consumed);
    state.counters["targets"] = static_cast<double>(targets.nodeCount());
}

void BM_SceneUpdate(benchmark::State &state)
{
    sceneTick(state, false);
}
BENCHMARK(BM_SceneUpdate)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly(true);

// The tick after a display switch changed: every target node is made anew.
void BM_SceneRebuild(benchmark::State &state)
{
    sceneTick(state, true);
}
BENCHMARK(BM_SceneRebuild)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly(true);

// A parser that has taken one frame of the given lines.
std::unique_ptr<QuorixParser> parsedLines(std::vector<std::string> lines)
{
    auto parser = std::make_unique<QuorixParser>();
    for (std::string &line : lines) {
        char *cursor = &line[0];
        parser->parseLine(&cursor);
    }
    return parser;
}

// Ticks through the frames in turn, flushing the event loop's work after each
// as the running program does, so that deleted or new entities cost here.
void frameTicks(benchmark::State &state, const std::vector<std::unique_ptr<QuorixParser>> &frames)
{
    Scenegraph::SceneGraph graph;
    Configuration::DisplaySettingsData display;
    Scenegraph::TrackedTargetBuilder targets(&graph, display);
    targets.setStaticData(nullptr);
    QtMessageHandler previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    Logic::TrackedFrame frame;
    size_t tick = 0;
    for (auto _ : state) {
        frame.digest(*frames[tick++ % frames.size()]);
        targets.setFrame(frame);
        flushEvents();
    }
    qInstallMessageHandler(previous);
    state.counters["targets"] = static_cast<double>(targets.nodeCount());
    state.counters["instanced"] = static_cast<double>(targets.markerCloud()->count());
}

// 200 markers; with churn every frame names them with ids never seen before,
// as a Controller that cannot match markers between frames does.
void BM_Markers(benchmark::State &state)
{
    const bool churn = state.range(0) != 0;
    std::mt19937 random(3);
    std::vector<std::unique_ptr<QuorixParser>> frames;
    for (int f = 0; f < 8; ++f) {
        std::string line = "3d 200";
        for (int m = 0; m < 200; ++m)
            line += " [" + std::to_string(1 + m + (churn ? 200 * f : 0)) + " 1.000]" + position(random);
        frames.push_back(parsedLines({line}));
    }
    frameTicks(state, frames);
}
BENCHMARK(BM_Markers)->ArgName("churn")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->Repetitions(5)
    ->ReportAggregatesOnly(true);

// 20 bodies with ids 0 … 19, or with the last one as 999: the high id must
// not make the other 980 possible bodies cost anything.
void BM_BodyIds(benchmark::State &state)
{
    const int lastId = static_cast<int>(state.range(0));
    std::mt19937 random(5);
    std::vector<std::unique_ptr<QuorixParser>> frames;
    for (int f = 0; f < 8; ++f) {
        std::string line = "6d 20";
        for (int b = 0; b < 20; ++b)
            line += " [" + std::to_string(b == 19 ? lastId : b) + " 1.000]" + position(random) + rotation(random);
        frames.push_back(parsedLines({line}));
    }
    frameTicks(state, frames);
}
BENCHMARK(BM_BodyIds)->ArgName("last_id")->Arg(19)->Arg(999)->Unit(benchmark::kMicrosecond)->Repetitions(5)
    ->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
