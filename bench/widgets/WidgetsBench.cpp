#include "TVrLevelBar.h"
#include "TVrScope.h"
#include "TextHistoryScope.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

namespace {

// The main window's graph: 232 x 133, range -1 .. 1279, grid 11, two
// channels holding a full history of 999 samples each.
template <class Scope> void setUpScope(Scope& scope)
{
    scope.resize(232, 133);
    scope.setMinValue(-1);
    scope.setMaxValue(1279);
    scope.setGridSize(11);
    scope.setGridColor(VrColor::clGreen);
    scope.setBaseColor(VrColor::clLime);
    scope.show();
    QCoreApplication::processEvents();
}

// Two sample series over the range -1 .. 1279. The sawtooth climbs 37 per
// sample and falls back over the full height every 35 samples: many long
// risers, the worst case for drawing. The traffic series is a bounded
// random walk with occasional bursts, closer to what a sensor delivers.
enum Series
{
    Sawtooth,
    Traffic
};

const std::vector<int>& trafficSeries()
{
    static const std::vector<int> series = [] {
        std::vector<int> values;
        std::uint32_t seed = 12345;
        auto next = [&seed] {
            seed = seed * 1664525u + 1013904223u;
            return static_cast<int>(seed >> 8);
        };
        int v = 300;
        for (int i = 0; i < 4096; ++i) {
            v += next() % 81 - 40;
            if (next() % 50 == 0)
                v += next() % 700 - 200; // a burst
            v = std::clamp(v, -1, 1279);
            values.push_back(v);
        }
        return values;
    }();
    return series;
}

int sampleValue(Series series, int i)
{
    if (series == Sawtooth)
        return (i * 37) % 1280 - 1;
    const auto& values = trafficSeries();
    return values[static_cast<std::size_t>(i) % values.size()];
}

// One PushValue with its full repaint, with the samples in TVrScope's ring
// buffers.
void BM_ScopePushValueRingBuffer(benchmark::State& state)
{
    const auto series = static_cast<Series>(state.range(0));
    TVrScope scope;
    scope.channels().add();
    scope.channels().add().setColor(VrColor::clRed);
    setUpScope(scope);
    for (int i = 0; i < 999; ++i) {
        scope.pushValue(1, sampleValue(series, i));
        scope.pushValue(0, sampleValue(series, i + 500));
    }
    int i = 0;
    const int paintsBefore = scope.paintCount();
    for (auto _ : state) {
        scope.pushValue(i & 1, sampleValue(series, i));
        ++i;
    }
    if (scope.paintCount() - paintsBefore != i)
        state.SkipWithError("the scope did not repaint on every push");
}
BENCHMARK(BM_ScopePushValueRingBuffer)->Arg(Sawtooth)->Arg(Traffic);

// The same push and repaint with the samples kept as history text and
// decoded field by field at every paint.
void BM_ScopePushValueTextHistory(benchmark::State& state)
{
    const auto series = static_cast<Series>(state.range(0));
    TextHistoryScope scope;
    scope.addChannel();
    scope.addChannel();
    scope.channels().items(1).setColor(VrColor::clRed);
    setUpScope(scope);
    for (int i = 0; i < 999; ++i) {
        scope.pushText(1, sampleValue(series, i));
        scope.pushText(0, sampleValue(series, i + 500));
    }
    int i = 0;
    const int paintsBefore = scope.paintCount();
    for (auto _ : state) {
        scope.pushText(i & 1, sampleValue(series, i));
        ++i;
    }
    if (scope.paintCount() - paintsBefore != i)
        state.SkipWithError("the scope did not repaint on every push");
}
BENCHMARK(BM_ScopePushValueTextHistory)->Arg(Sawtooth)->Arg(Traffic);

// The repaint alone, without a push, for the fixed cost of clearing the
// image, the grid and the copy to the screen.
void BM_ScopeRepaintNoTraces(benchmark::State& state)
{
    TVrScope scope;
    scope.channels().add().setVisible(false);
    setUpScope(scope);
    for (auto _ : state)
        scope.repaint();
}
BENCHMARK(BM_ScopeRepaintNoTraces);

// The latency bar of the main window; every iteration lights a different
// number of segments.
void BM_LevelBarPosition(benchmark::State& state)
{
    TVrLevelBar bar;
    bar.setOrientation(voHorizontal);
    bar.resize(241, 12);
    bar.setMaxValue(200);
    bar.setPercent1(40);
    bar.setPercent2(35);
    bar.setBevel(TVrBevel::blackFrame());
    bar.show();
    QCoreApplication::processEvents();
    int i = 0;
    for (auto _ : state)
        bar.setPosition(++i % 200);
}
BENCHMARK(BM_LevelBarPosition);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
