// The program at scale: 50 sensors against one local snmpd (started by the
// benchmark, needs root). A poll pass beside its floor, 5 x 50 bare UDP round
// trips with the same requests, each on a fresh socket as every read has
// (target: within 1.25 times the floor); the repaint of a window of 50 graph
// sets; and the program polling every second on its own master timer, with
// its CPU share and resident memory.
#include "SnmpSensorNetwork.h"
#include "app/MainFormFixture.h"

#include "BerTag.h"
#include "SensorPoll.h"
#include "SnmpdPeer.h"
#include "TSNMPRec.h"

#include "BareUdpFloor.h"
#include "BenchFolders.h"
#include "ProcessUsage.h"

#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <vector>

namespace {

constexpr const char* kAgentAddress = "127.0.0.99";
constexpr int kSensors = 50;

struct ScaleWorld
{
    ScaleWorld() : agent(kAgentAddress)
    {
        testApplication();
        started = agent.start();
        if (!started)
            return;
        TMonitorSettings s;
        s.ScaleSize = 100;
        s.Interval = 1;
        s.LogTime = 30;
        for (int i = 0; i < kSensors; ++i)
            s.Sensors.push_back(configuredSensor(kAgentAddress, "Sensor " + std::to_string(i)));
        s.resizeSensors(kSensors);
        FakeMonitorWindow window;
        SaveSettings(s, window);
        WriteRegValue(HKEY_CURRENT_USER, kSettingsKey, "TimesRun", 1, rdInteger);
        form = makeForm(false);
    }
    ~ScaleWorld() { form.reset(); }
    static std::unique_ptr<TMainForm> makeForm(bool timers)
    {
        TMainForm::Options options;
        options.network = std::make_shared<SnmpSensorNetwork>();
        options.startTimers = timers;
        return std::make_unique<TMainForm>(options);
    }

    BenchFolders folders{"scale"};
    SnmpdPeer agent;
    bool started = false;
    std::unique_ptr<TMainForm> form;
};

std::unique_ptr<ScaleWorld> g_world;

ScaleWorld& world()
{
    if (!g_world)
        g_world = std::make_unique<ScaleWorld>();
    return *g_world;
}

bool ready(benchmark::State& state)
{
    ScaleWorld& w = world();
    if (!w.started || !w.form) {
        state.SkipWithError(("snmpd: " + w.agent.error()).c_str());
        return false;
    }
    return true;
}

void BM_BareUdpFloor250RoundTrips(benchmark::State& state)
{
    if (!ready(state))
        return;
    for (auto _ : state) {
        if (!bareUdpPollFloor(kAgentAddress, kSensors)) {
            state.SkipWithError("the agent did not answer");
            return;
        }
    }
}

// range(0): 1 with the window shown (every sample repaints its graph), 0 hidden.
void BM_PollPass50Sensors(benchmark::State& state)
{
    if (!ready(state))
        return;
    ScaleWorld& w = world();
    w.form->setVisible(state.range(0) != 0);
    for (auto _ : state) {
        w.form->UpdateAllMonitors();
        w.form->networkJobs().settle();
    }
    const auto* c = w.form->sensorControls(kSensors - 1);
    if (!c || c->DownLabel->text().startsWith("Error"))
        state.SkipWithError("the agent did not answer the pass");
}

// One paint of the whole window, 50 graph sets of scale, scope and labels,
// into an image of its size (the offscreen platform exposes no window, so a
// repaint there would paint nothing).
void BM_Repaint50GraphSets(benchmark::State& state)
{
    if (!ready(state))
        return;
    ScaleWorld& w = world();
    w.form->show();
    for (int i = 0; i < 3; ++i) {
        w.form->UpdateAllMonitors();
        w.form->networkJobs().settle();
    }
    QImage image(w.form->size(), QImage::Format_RGB32);
    for (auto _ : state)
        w.form->render(&image);
    state.counters["height_px"] = w.form->height();
}

// The program as it runs: the master timer polls every second for
// range(0) seconds; CPU share and resident memory of the whole process.
void BM_PollEverySecond(benchmark::State& state)
{
    if (!ready(state))
        return;
    ScaleWorld& w = world();
    w.form.reset();
    auto form = ScaleWorld::makeForm(true);
    form->show();
    double cpu = 0, wall = 0;
    for (auto _ : state) {
        const double cpuStart = cpuSeconds();
        QElapsedTimer clock;
        clock.start();
        QEventLoop loop;
        QTimer::singleShot(int(state.range(0) * 1000), &loop, &QEventLoop::quit);
        loop.exec();
        cpu += cpuSeconds() - cpuStart;
        wall += clock.elapsed() / 1000.0;
    }
    state.counters["cpu_percent"] = 100.0 * cpu / wall;
    state.counters["resident_kB"] = double(residentKilobytes());
    form.reset();
    w.form = ScaleWorld::makeForm(false);
}

double fastest(const std::vector<double>& times)
{
    return times.empty() ? 0 : *std::min_element(times.begin(), times.end());
}

} // namespace

BENCHMARK(BM_BareUdpFloor250RoundTrips)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", fastest);
BENCHMARK(BM_PollPass50Sensors)
    ->Arg(0)
    ->Arg(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", fastest);
BENCHMARK(BM_Repaint50GraphSets)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PollEverySecond)->Arg(20)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_world.reset();
    return 0;
}
