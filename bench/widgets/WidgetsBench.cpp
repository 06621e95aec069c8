#include "TVrLevelBar.h"
#include "TVrScope.h"
#include "TextHistoryScope.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <memory>

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

int sampleValue(int i)
{
    return (i * 37) % 1280 - 1;
}

void BM_ScopePushValueRingBuffer(benchmark::State& state)
{
    TVrScope scope;
    scope.channels().add();
    scope.channels().add().setColor(VrColor::clRed);
    setUpScope(scope);
    for (int i = 0; i < 999; ++i) {
        scope.pushValue(1, sampleValue(i));
        scope.pushValue(0, sampleValue(i + 500));
    }
    int i = 0;
    const int paintsBefore = scope.paintCount();
    for (auto _ : state) {
        scope.pushValue(i & 1, sampleValue(i));
        ++i;
    }
    if (scope.paintCount() - paintsBefore != i)
        state.SkipWithError("the scope did not repaint on every push");
}
BENCHMARK(BM_ScopePushValueRingBuffer);

void BM_ScopePushValueTextHistory(benchmark::State& state)
{
    TextHistoryScope scope;
    scope.addChannel();
    scope.addChannel();
    scope.channels().items(1).setColor(VrColor::clRed);
    setUpScope(scope);
    for (int i = 0; i < 999; ++i) {
        scope.pushText(1, sampleValue(i));
        scope.pushText(0, sampleValue(i + 500));
    }
    int i = 0;
    const int paintsBefore = scope.paintCount();
    for (auto _ : state) {
        scope.pushText(i & 1, sampleValue(i));
        ++i;
    }
    if (scope.paintCount() - paintsBefore != i)
        state.SkipWithError("the scope did not repaint on every push");
}
BENCHMARK(BM_ScopePushValueTextHistory);

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
    TVrBevel bevel = bar.bevel();
    bevel.InnerStyle = bsNone;
    bevel.OuterStyle = bsNone;
    bevel.InnerWidth = 2;
    bevel.InnerSpace = 1;
    bevel.InnerColor = VrColor::clBlack;
    bevel.OuterOutline = osNone;
    bar.setBevel(bevel);
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
