// What the flight recorder costs: 20 bodies at 60 Hz and the usual status
// queries, one iteration per second of recorded time. The baseline is the
// same loop through the channel's own delivery of the data lines without a
// tap; "core_percent" is the CPU time of one recorded second as a share of a
// core. BM_TenMinutes fills the ring with ten minutes of that load and says
// what it holds.
#include "FlightRecorder.h"
#include "IOManagerUdpTcp.h"
#include "Requester.h"
#include "SimMotion.h"
#include "SimScenario.h"
#include "SimStreamGenerator.h"

#include <benchmark/benchmark.h>

#include <ctime>
#include <vector>

namespace {

constexpr int Rate = 60;

class Listener : public Requester
{
public:
    int onData(const char *, const char *line) override
    {
        bytes += line[0];
        return 0;
    }
    void onMeasurementStarted() override {}
    void onMeasurementStopped() override {}
    long bytes = 0;
};

// A minute of frames of a room with 20 bodies; replayed in a loop, which is
// far beyond the compressor's window, so it compresses as a fresh stream does.
const std::vector<QByteArray> &frames()
{
    static const std::vector<QByteArray> all = [] {
        SimScenario s;
        s.bodies = 20;
        s.markers = 6;
        s.rate = Rate;
        SimMotion motion;
        motion.configure(s);
        SimStreamGenerator generator;
        SimStreamGenerator::Outputs outputs;
        std::vector<QByteArray> out;
        QByteArray text;
        for (quint32 frame = 1; frame <= 60 * Rate; ++frame) {
            motion.update(frame / double(Rate));
            generator.frame(frame, frame / double(Rate), motion, outputs, &text);
            out.push_back(text);
        }
        return out;
    }();
    return all;
}

// The status poll of a second: what the status bars and the event display ask.
const char *const StatusQueries[][2] = {
    {"quorix2 get status active", "quorix2 set status active mea"},
    {"quorix2 get status frequency", "quorix2 set status frequency 59.94"},
    {"quorix2 get status number_of_bodies", "quorix2 set status number_of_bodies 20"},
    {"quorix2 get status number_of_markers", "quorix2 set status number_of_markers 6"},
    {"quorix2 get status frames_lost", "quorix2 set status frames_lost 0"},
    {"quorix2 get status number_of_rays c01", "quorix2 set status number_of_rays c01 112"},
    {"quorix2 get status number_of_used_rays c01", "quorix2 set status number_of_used_rays c01 98"},
    {"quorix2 get status number_of_rays c02", "quorix2 set status number_of_rays c02 108"},
    {"quorix2 get status number_of_used_rays c02", "quorix2 set status number_of_used_rays c02 96"},
    {"quorix2 getmsg", "quorix2 ok"},
};

double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

void oneSecond(IOManagerUdpTcp &channel, FlightRecorder *ring, size_t *frame, qint64 *clockUs)
{
    const auto &all = frames();
    std::vector<char> buffer;
    for (int i = 0; i < Rate; ++i) {
        const QByteArray &text = all[(*frame)++ % all.size()];
        buffer.assign(text.constData(), text.constData() + text.size() + 1);
        *clockUs += 1000000 / Rate;
        if (ring)
            ring->dataReceived(buffer.data(), *clockUs);
        channel.dispatchDatagram(buffer.data());
    }
    if (ring)
        for (const auto &query : StatusQueries)
            ring->commandExchanged(query[0], query[1], 0, *clockUs, *clockUs + 700);
}

void BM_RecordedSecond(benchmark::State &state)
{
    const bool recording = state.range(0) != 0;
    frames();
    IOManagerUdpTcp channel(nullptr);
    Listener listener;
    for (const char *key : {"fr", "ts", "6d", "6dcal", "3d", "6df2", "6dmt2", "6dmtr", "6di", "gl", "glcal"})
        channel.addDataListener(key, &listener);
    FlightRecorder ring;
    size_t frame = 0;
    qint64 clockUs = ring.nowUs();
    const double cpu0 = cpuSeconds();
    for (auto _ : state)
        oneSecond(channel, recording ? &ring : nullptr, &frame, &clockUs);
    const double cpu = cpuSeconds() - cpu0;
    state.counters["core_percent"] = 100.0 * cpu / double(state.iterations());
    state.SetLabel(recording ? "recording" : "baseline");
    for (const char *key : {"fr", "ts", "6d", "6dcal", "3d", "6df2", "6dmt2", "6dmtr", "6di", "gl", "glcal"})
        channel.removeDataListener(key, &listener);
}
BENCHMARK(BM_RecordedSecond)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_TenMinutes(benchmark::State &state)
{
    frames();
    IOManagerUdpTcp channel(nullptr);
    qint64 memory = 0;
    qint64 raw = 0;
    for (auto _ : state) {
        FlightRecorder ring;
        size_t frame = 0;
        qint64 clockUs = ring.nowUs();
        for (int s = 0; s < 600; ++s)
            oneSecond(channel, &ring, &frame, &clockUs);
        memory = ring.memoryBytes();
        raw = ring.rawBytes();
    }
    state.counters["ring_MB"] = double(memory) / (1024 * 1024);
    state.counters["raw_MB"] = double(raw) / (1024 * 1024);
    state.counters["ratio"] = double(raw) / double(memory);
}
BENCHMARK(BM_TenMinutes)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
