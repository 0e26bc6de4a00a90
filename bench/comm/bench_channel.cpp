// The channel's cost over a bare loopback round trip, and the data worker's
// line dispatch. Run inside a private network namespace:
//   unshare --net sh -c 'ip link set lo up && build/bin/bench_channel'
#include "IOManagerUdpTcp.h"
#include "Requester.h"
#include "ScriptedResponder.h"
#include "Socket.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

namespace {

const char Address[] = "127.0.0.2";
const unsigned short Port = 50105;

ScriptedResponder &controller()
{
    static ScriptedResponder *responder = [] {
        auto *r = new ScriptedResponder;
        if (!r->start(Address, Port))
            qFatal("cannot start the responder on %s", Address);
        r->on("quorix2 get status number_of_bodies", ScriptedResponder::Action::reply("quorix2 set status number_of_bodies 2"));
        return r;
    }();
    return *responder;
}

void BM_BareRoundTrip(benchmark::State &state)
{
    controller();
    Socket s;
    if (s.tcpConnect(Socket::resolve(Address), Port) != Socket::Ok) {
        state.SkipWithError("no connection");
        return;
    }
    const char command[] = "quorix2 get status number_of_bodies";
    char reply[200];
    for (auto _ : state) {
        s.tcpSend(command, sizeof command, 2000000);
        int got = 0;
        while (got == 0 || reply[got - 1] != '\0')
            got += s.tcpReceive(reply + got, sizeof reply - got, 2000000);
        benchmark::DoNotOptimize(reply);
    }
}
BENCHMARK(BM_BareRoundTrip)->UseRealTime()->MinTime(2.0);

void BM_ChannelGetInt(benchmark::State &state)
{
    controller();
    IOManagerUdpTcp channel(nullptr);
    unsigned short dataPort = 0;
    if (channel.connectController(Address, Port, &dataPort) != 0) {
        state.SkipWithError("no connection");
        return;
    }
    int bodies = 0;
    for (auto _ : state) {
        if (channel.getInt(&bodies, "status number_of_bodies") != 0)
            state.SkipWithError("command failed");
        benchmark::DoNotOptimize(bodies);
    }
}
BENCHMARK(BM_ChannelGetInt)->UseRealTime()->MinTime(2.0);

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Both round trips in turn, so that the ratio holds while the machine is busy.
void BM_ChannelOverBare(benchmark::State &state)
{
    controller();
    Socket bare;
    IOManagerUdpTcp channel(nullptr);
    unsigned short dataPort = 0;
    if (bare.tcpConnect(Socket::resolve(Address), Port) != Socket::Ok
        || channel.connectController(Address, Port, &dataPort) != 0) {
        state.SkipWithError("no connection");
        return;
    }
    const char command[] = "quorix2 get status number_of_bodies";
    char reply[200];
    int bodies = 0;
    std::vector<double> bareUs;
    std::vector<double> channelUs;
    for (auto _ : state) {
        auto t0 = std::chrono::steady_clock::now();
        bare.tcpSend(command, sizeof command, 2000000);
        int got = 0;
        while (got == 0 || reply[got - 1] != '\0')
            got += bare.tcpReceive(reply + got, sizeof reply - got, 2000000);
        auto t1 = std::chrono::steady_clock::now();
        channel.getInt(&bodies, "status number_of_bodies");
        auto t2 = std::chrono::steady_clock::now();
        bareUs.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
        channelUs.push_back(std::chrono::duration<double, std::micro>(t2 - t1).count());
    }
    state.counters["bare_us"] = median(bareUs);
    state.counters["channel_us"] = median(channelUs);
    state.counters["ratio"] = median(channelUs) / median(bareUs);
}
BENCHMARK(BM_ChannelOverBare)->UseRealTime()->MinTime(3.0);

// A Controller that never sends a zero byte: what connecting (the channel's
// first command) and each later command cost. Compare runs of two builds.
ScriptedResponder &zeroLessController()
{
    static ScriptedResponder *responder = [] {
        auto *r = new ScriptedResponder;
        if (!r->start("127.0.0.3", Port))
            qFatal("cannot start the responder on 127.0.0.3");
        r->on("quorix2 get system access", ScriptedResponder::Action::raw("quorix2 set system access full"));
        r->on("quorix2 get status number_of_bodies", ScriptedResponder::Action::raw("quorix2 set status number_of_bodies 2"));
        return r;
    }();
    return *responder;
}

void BM_ZeroLessConnect(benchmark::State &state)
{
    zeroLessController();
    char access[200] = "";
    for (auto _ : state) {
        IOManagerUdpTcp channel(nullptr);
        unsigned short dataPort = 0;
        if (channel.connectController("127.0.0.3", Port, &dataPort) != 0
            || channel.getString(access, "system access") != 0 || std::strcmp(access, "full") != 0) {
            state.SkipWithError("no full access");
            return;
        }
    }
}
BENCHMARK(BM_ZeroLessConnect)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(3)
    ->ReportAggregatesOnly(true);

void BM_ZeroLessGetInt(benchmark::State &state)
{
    zeroLessController();
    IOManagerUdpTcp channel(nullptr);
    unsigned short dataPort = 0;
    char access[200] = "";
    if (channel.connectController("127.0.0.3", Port, &dataPort) != 0 || channel.getString(access, "system access") != 0) {
        state.SkipWithError("no connection");
        return;
    }
    int bodies = 0;
    for (auto _ : state) {
        if (channel.getInt(&bodies, "status number_of_bodies") != 0 || bodies != 2)
            state.SkipWithError("command failed");
    }
}
BENCHMARK(BM_ZeroLessGetInt)->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(2.0)->Repetitions(3)
    ->ReportAggregatesOnly(true);

class Counter : public Requester
{
public:
    int onData(const char *, const char *line) override
    {
        bytes += std::strlen(line);
        return 0;
    }
    void onMeasurementStarted() override {}
    void onMeasurementStopped() override {}
    size_t bytes = 0;
};

// A datagram of 60 lines of the usual kinds.
std::vector<char> sixtyLines(std::vector<std::string> *keys)
{
    const char *kinds[] = {"fr", "ts", "6dcal", "6d", "6df2", "6dmt2", "6dmtr", "3d", "6di", "gl"};
    std::string text;
    for (int i = 0; i < 60; ++i) {
        const std::string key = kinds[i % 10] + std::to_string(i / 10);
        keys->push_back(key);
        text += key + " 2 [0 1.000 0 0][123.456 -234.567 1500.000 12.3456 -45.6789 179.0000][1.0 0.0 0.0 0.0 1.0 0.0 0.0 0.0 1.0]\r\n";
    }
    return std::vector<char>(text.begin(), text.end() + 1);
}

void BM_DispatchSixtyLines(benchmark::State &state)
{
    IOManagerUdpTcp channel(nullptr);
    std::vector<std::string> keys;
    const std::vector<char> datagram = sixtyLines(&keys);
    std::vector<Counter> counters(keys.size());
    for (size_t i = 0; i < keys.size(); ++i)
        channel.addDataListener(keys[i].c_str(), &counters[i]);
    std::vector<char> work(datagram.size());
    for (auto _ : state) {
        std::memcpy(work.data(), datagram.data(), datagram.size());
        channel.dispatchDatagram(work.data());
    }
    state.counters["lines/s"] = benchmark::Counter(double(state.iterations()) * 60, benchmark::Counter::kIsRate);
    for (size_t i = 0; i < keys.size(); ++i)
        channel.removeDataListener(keys[i].c_str(), &counters[i]);
}
BENCHMARK(BM_DispatchSixtyLines);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
