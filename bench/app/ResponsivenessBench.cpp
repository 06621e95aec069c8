// The window while agents are slow or silent (needs root for snmpd):
// - the longest stall of the window's event loop while 10 silent and 10
//   answering sensors are polled every second (target: 50 ms or less);
// - one pass over 10 sensors behind a relay that delays every reply by
//   20 ms, beside the pass of one sensor behind it (target: 1.25 times);
// - the poll period of those 10 sensors at Interval 1 (target: 1 s);
// - 256 sensors at Interval 1, 192 on snmpd and 64 on silent agents: the
//   longest stall, the passes that completed, CPU share and resident memory;
// - 10 answering and 1 silent sensor at Interval 1: the samples an answering
//   graph and the silent one get per second (target: 1 for the answering);
// - 10 answering sensors polled every second for 120 s: CPU share of one core
//   and resident memory (targets: under 1 % and 60 MB; run it on its own,
//   with --benchmark_filter, for a resident size of its own).
#include "SnmpSensorNetwork.h"
#include "app/MainFormFixture.h"

#include "LossyRelay.h"
#include "ScriptedAgent.h"
#include "SnmpdPeer.h"

#include "BenchFolders.h"
#include "ProcessUsage.h"
#include "TVrTimer.h"

#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace {

constexpr const char* kSilentAddress = "127.0.0.135";
constexpr const char* kAgentAddress = "127.0.0.136";
constexpr const char* kRelayAddress = "127.0.0.137";

struct World
{
    World()
        : agent(kAgentAddress), silent(kSilentAddress), relay(kRelayAddress, kAgentAddress, 0, 20)
    {
        testApplication();
        started = agent.start() && silent.start([](const ScriptedAgent::Request&) {
            return std::vector<ScriptedAgent::Datagram>{};
        }) && relay.start();
    }
    ~World()
    {
        form.reset();
        relay.stop();
    }

    // A window over `hosts`, one sensor each; the last window goes first, as
    // a second instance would be refused.
    TMainForm& window(const std::vector<std::string>& hosts, bool timers)
    {
        form.reset();
        TMonitorSettings s;
        s.ScaleSize = 100;
        s.Interval = 1;
        s.LogTime = 30;
        for (std::size_t i = 0; i < hosts.size(); ++i)
            s.Sensors.push_back(configuredSensor(hosts[i], "Sensor " + std::to_string(i)));
        s.resizeSensors(int32_t(hosts.size()));
        FakeMonitorWindow store;
        SaveSettings(s, store);
        WriteRegValue(HKEY_CURRENT_USER, kSettingsKey, "TimesRun", 1, rdInteger);
        TMainForm::Options options;
        options.network = std::make_shared<SnmpSensorNetwork>();
        options.startTimers = timers;
        form = std::make_unique<TMainForm>(options);
        form->show();
        return *form;
    }

    BenchFolders folders{"resp"};
    SnmpdPeer agent;
    ScriptedAgent silent;
    LossyRelay relay;
    bool started = false;
    std::unique_ptr<TMainForm> form;
};

std::unique_ptr<World> g_world;

World* world(benchmark::State& state)
{
    if (!g_world)
        g_world = std::make_unique<World>();
    if (!g_world->started) {
        state.SkipWithError(
            ("peers: " + g_world->agent.error() + g_world->silent.error() + g_world->relay.error())
                .c_str());
        return nullptr;
    }
    return g_world.get();
}

// Runs the event loop for `ms` with a 5 ms probe timer; the longest time the
// probe waited beyond its period is the longest stall.
double longestStall(int ms)
{
    QElapsedTimer clock, sinceLast;
    clock.start();
    sinceLast.start();
    double longest = 0;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        longest = std::max(longest, sinceLast.nsecsElapsed() / 1e6 - 5.0);
        sinceLast.restart();
    });
    probe.start(5);
    while (clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    return longest;
}

// Runs the event loop for `ms` with nothing of the benchmark's own in it, for
// CPU figures of the program alone (the stall probe wakes 200 times a second).
void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void BM_LongestStall10Silent10Answering(benchmark::State& state)
{
    World* w = world(state);
    if (!w)
        return;
    std::vector<std::string> hosts(10, kSilentAddress);
    hosts.insert(hosts.end(), 10, kAgentAddress);
    TMainForm& form = w->window(hosts, true);
    double stall = 0;
    for (auto _ : state)
        stall = longestStall(12000);
    state.counters["longest_stall_ms"] = stall;
    state.counters["answering_samples"] =
        form.sensorControls(19)->Scope->channels().items(0).sampleCount();
}

void BM_PassBehind20msDelay(benchmark::State& state)
{
    World* w = world(state);
    if (!w)
        return;
    TMainForm& form = w->window(std::vector<std::string>(state.range(0), kRelayAddress), false);
    for (auto _ : state) {
        form.UpdateAllMonitors();
        form.networkJobs().settle();
    }
    if (form.sensorControls(int(state.range(0)) - 1)->DownLabel->text().startsWith("Error"))
        state.SkipWithError("the relay did not answer");
}

void BM_PollPeriod10SensorsBehind20msDelay(benchmark::State& state)
{
    World* w = world(state);
    if (!w)
        return;
    TMainForm& form = w->window(std::vector<std::string>(10, kRelayAddress), true);
    TVrScope* scope = form.sensorControls(9)->Scope;
    double period = 0;
    for (auto _ : state) {
        longestStall(1500); // the first pass comes a second after the start
        const int before = scope->channels().items(0).sampleCount();
        longestStall(10000);
        const int passes = scope->channels().items(0).sampleCount() - before;
        period = passes > 0 ? 10.0 / passes : 0;
    }
    state.counters["period_s"] = period;
}

void BM_Scale256Sensors64Silent(benchmark::State& state)
{
    World* w = world(state);
    if (!w)
        return;
    std::vector<std::string> hosts;
    for (int i = 0; i < 256; ++i)
        hosts.push_back(i % 4 == 3 ? kSilentAddress : kAgentAddress);
    TMainForm& form = w->window(hosts, true);
    TVrScope* scope = form.sensorControls(0)->Scope;
    double stall = 0, cpu = 0;
    int passes = 0;
    // The first showing of a window of 256 graph sets is painted before the
    // first pass can come back (a second after the start).
    longestStall(800);
    for (auto _ : state) {
        const double cpuBefore = cpuSeconds();
        const int before = scope->channels().items(0).sampleCount();
        stall = longestStall(20000);
        passes = scope->channels().items(0).sampleCount() - before;
        cpu = (cpuSeconds() - cpuBefore) / 20.0;
    }
    state.counters["longest_stall_ms"] = stall;
    state.counters["passes_in_20s"] = passes;
    state.counters["silent_samples_in_20s"] =
        form.sensorControls(3)->Scope->channels().items(0).sampleCount();
    state.counters["cpu_share"] = cpu;
    state.counters["rss_kb"] = double(residentKilobytes());
}

void BM_TenAnsweringOneSilent(benchmark::State& state)
{
    World* w = world(state);
    if (!w)
        return;
    std::vector<std::string> hosts(10, kAgentAddress);
    hosts.insert(hosts.begin() + 3, kSilentAddress);
    TMainForm& form = w->window(hosts, true);
    TVrScope* answering = form.sensorControls(10)->Scope;
    TVrScope* silent = form.sensorControls(3)->Scope;
    double perSecond = 0, silentPerSecond = 0, stall = 0;
    longestStall(1500);
    for (auto _ : state) {
        const int before = answering->channels().items(0).sampleCount();
        const int silentBefore = silent->channels().items(0).sampleCount();
        stall = longestStall(15000);
        perSecond = (answering->channels().items(0).sampleCount() - before) / 15.0;
        silentPerSecond = (silent->channels().items(0).sampleCount() - silentBefore) / 15.0;
    }
    state.counters["answering_samples_per_s"] = perSecond;
    state.counters["silent_samples_per_s"] = silentPerSecond;
    state.counters["longest_stall_ms"] = stall;
}

void BM_TenSensorsFor120s(benchmark::State& state)
{
    World* w = world(state);
    if (!w)
        return;
    TMainForm& form = w->window(std::vector<std::string>(10, kAgentAddress), true);
    TVrScope* scope = form.sensorControls(9)->Scope;
    longestStall(1500);
    double cpu = 0;
    int samples = 0;
    for (auto _ : state) {
        const double cpuBefore = cpuSeconds();
        const int before = scope->channels().items(0).sampleCount();
        runFor(120000);
        cpu = (cpuSeconds() - cpuBefore) / 120.0;
        samples = scope->channels().items(0).sampleCount() - before;
    }
    state.counters["cpu_share"] = cpu;
    state.counters["samples_in_120s"] = samples;
    state.counters["rss_kb"] = double(residentKilobytes());
}

} // namespace

BENCHMARK(BM_TenAnsweringOneSilent)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_TenSensorsFor120s)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_Scale256Sensors64Silent)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_LongestStall10Silent10Answering)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);
BENCHMARK(BM_PassBehind20msDelay)->Arg(1)->Arg(10)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PollPeriod10SensorsBehind20msDelay)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    // The window goes while the application object still exists.
    g_world.reset();
    return 0;
}
