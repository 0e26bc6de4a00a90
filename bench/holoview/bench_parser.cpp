#include "FrameText.h"
#include "QuorixParser.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {


// One frame as the Controller sends it: 20 bodies, 50 markers, 2 gripwands.
std::vector<std::string> realisticFrame()
{
    std::mt19937 random(42);
    std::vector<std::string> lines = {"fr 123456", "ts 4711.123456"};
    std::string bodies = "6d 20";
    for (int b = 0; b < 20; ++b)
        bodies += " [" + std::to_string(b) + " 1.000]" + position(random) + rotation(random);
    lines.push_back(bodies);
    std::string markers = "3d 50";
    for (int m = 0; m < 50; ++m)
        markers += " [" + std::to_string(m + 1) + " 1.000]" + position(random);
    lines.push_back(markers);
    std::string gripwands = "6df2 2 2";
    for (int g = 0; g < 2; ++g)
        gripwands += " [" + std::to_string(g) + " 1.000 3 2]" + position(random) + rotation(random)
            + "[5 " + number(random, 1.0) + " " + number(random, 1.0) + "]";
    lines.push_back(gripwands);
    return lines;
}

// Copy each line into the display's buffer and parse it there, as onData does.
void BM_ParseFrame(benchmark::State &state)
{
    const std::vector<std::string> lines = realisticFrame();
    std::vector<char> buffer(10240);
    QuorixParser parser;
    int64_t bytes = 0;
    for (auto _ : state) {
        parser.resetFrame();
        for (const std::string &line : lines) {
            std::memcpy(buffer.data(), line.c_str(), line.size() + 1);
            char *cursor = buffer.data();
            if (!parser.parseLine(&cursor))
                state.SkipWithError("line rejected");
            bytes += static_cast<int64_t>(line.size());
        }
        parser.finishFrame();
        benchmark::DoNotOptimize(parser.markerCount());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(lines.size()));
    state.SetBytesProcessed(bytes);
    state.counters["targets"] = 72;
}
BENCHMARK(BM_ParseFrame);

void BM_ParseLine(benchmark::State &state)
{
    const std::string line = realisticFrame()[static_cast<size_t>(state.range(0))];
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back('\0');
    QuorixParser parser;
    for (auto _ : state) {
        char *cursor = buffer.data();
        benchmark::DoNotOptimize(parser.parseLine(&cursor));
    }
    state.SetItemsProcessed(state.iterations());
    state.SetLabel(line.substr(0, line.find(' ')));
}
BENCHMARK(BM_ParseLine)->Arg(2)->Arg(3)->Arg(4);

} // namespace

BENCHMARK_MAIN();
