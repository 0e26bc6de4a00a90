// Cost of the measurement stream: 50 bodies, 20 markers and 2 gripwands at 1000 Hz.
// Each iteration is one second of stream, so its time in ms divided by 10 is the share of
// one core in percent. Goal: below 10% of a core, that is below 100 ms per iteration.
#include "ControllerSimulator.h"
#include "SimMotion.h"
#include "SimScenario.h"
#include "SimStreamGenerator.h"

#include <QCoreApplication>
#include <QNetworkDatagram>
#include <QTcpSocket>
#include <QThread>
#include <QUdpSocket>

#include <benchmark/benchmark.h>

#include <ctime>

namespace {

SimScenario heavyScenario()
{
    SimScenario s;
    s.bodies = 50;
    s.markers = 20;
    s.gripwands = 2;
    s.rate = 1000;
    return s;
}

double cpuSeconds(clockid_t clock)
{
    timespec t{};
    clock_gettime(clock, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// One second of stream generated in a loop: motion and text of 1000 frames.
void BM_GenerateOneSecond(benchmark::State& state)
{
    const SimScenario s = heavyScenario();
    SimMotion motion;
    motion.configure(s);
    SimStreamGenerator generator;
    SimStreamGenerator::Outputs outputs;
    QByteArray text;
    quint32 frame = 0;
    size_t bytes = 0;
    for (auto _ : state) {
        for (int i = 0; i < 1000; ++i) {
            ++frame;
            motion.update(frame / 1000.0);
            generator.frame(frame, frame / 1000.0, motion, outputs, &text);
            bytes += size_t(text.size());
        }
        benchmark::DoNotOptimize(text.data());
    }
    state.counters["bytes_per_frame"] = double(bytes) / double(state.iterations() * 1000);
}
BENCHMARK(BM_GenerateOneSecond)->Unit(benchmark::kMillisecond);

// The real thing: the simulator streams over loopback for a while; CPU time of the
// whole process (its thread, the sends, the receiver draining) per second of stream;
// the counter simulator_ms leaves out the receiving thread.
void BM_LiveStreamOneSecond(benchmark::State& state)
{
    ControllerSimulator sim(heavyScenario());
    if (!sim.start(QStringLiteral("127.0.0.1"), 0)) {
        state.SkipWithError("cannot listen on 127.0.0.1");
        return;
    }
    QTcpSocket control;
    control.connectToHost(QStringLiteral("127.0.0.1"), sim.port());
    control.waitForConnected(2000);
    QUdpSocket data;
    data.bind(QHostAddress(QHostAddress::LocalHost), 0);
    auto command = [&](const QByteArray& c) {
        control.write(c + '\0');
        control.waitForBytesWritten(1000);
        QByteArray reply;
        while (!reply.endsWith('\0') && control.waitForReadyRead(2000))
            reply += control.readAll();
    };
    command("quorix2 set output net chmon udp my_ip " + QByteArray::number(data.localPort()));
    command("quorix2 tracking start");
    for (auto _ : state) {
        const quint32 frames0 = sim.framesSent();
        const double cpu0 = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
        const double receiver0 = cpuSeconds(CLOCK_THREAD_CPUTIME_ID);
        QElapsedTimer wall;
        wall.start();
        while (wall.elapsed() < 2000) {
            data.waitForReadyRead(50);
            while (data.hasPendingDatagrams())
                data.receiveDatagram(70000);
        }
        const double cpu = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - cpu0;
        const double receiver = cpuSeconds(CLOCK_THREAD_CPUTIME_ID) - receiver0;
        const double streamSeconds = double(sim.framesSent() - frames0) / 1000.0;
        state.SetIterationTime(cpu / streamSeconds);
        // Without the receiving thread (this one): what the simulator itself costs.
        state.counters["simulator_ms"] = (cpu - receiver) / streamSeconds * 1000.0;
        state.counters["frames_per_wall_second"] = double(sim.framesSent() - frames0) / (wall.elapsed() / 1000.0);
    }
    command("quorix2 tracking stop");
}
BENCHMARK(BM_LiveStreamOneSecond)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
