// A poll pass over 20 sensors against a local snmpd, beside the floor: the
// 5 x 20 bare UDP round trips with the same requests that the pass makes
// (reachability, time, download, upload, time per sensor), each on a fresh
// socket as every read has. The pass should stay within 1.25 times the floor.
#include "SnmpSensorNetwork.h"
#include "app/MainFormFixture.h"

#include "BerTag.h"
#include "SensorPoll.h"
#include "SnmpdPeer.h"
#include "TSNMPRec.h"

#include "BareUdpFloor.h"
#include "BenchFolders.h"

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <vector>

namespace {

constexpr const char* kAgentAddress = "127.0.0.57";
constexpr int kSensors = 20;

// One snmpd, one private set of user folders and one main window for the run.
struct BenchWorld
{
    BenchWorld() : agent(kAgentAddress)
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
        TMainForm::Options options;
        options.network = std::make_shared<SnmpSensorNetwork>();
        options.startTimers = false;
        form = std::make_unique<TMainForm>(options);
    }
    ~BenchWorld() { form.reset(); }

    BenchFolders folders{"app"};
    SnmpdPeer agent;
    bool started = false;
    std::unique_ptr<TMainForm> form;
};

std::unique_ptr<BenchWorld> g_world;

BenchWorld& world()
{
    if (!g_world)
        g_world = std::make_unique<BenchWorld>();
    return *g_world;
}

// range(0): 1 with the window shown, so every sample repaints its graph as
// it does on the desktop; 0 hidden, the poll alone.
void BM_PollPass20Sensors(benchmark::State& state)
{
    BenchWorld& w = world();
    if (!w.started) {
        state.SkipWithError(("snmpd: " + w.agent.error()).c_str());
        return;
    }
    w.form->setVisible(state.range(0) != 0);
    for (auto _ : state) {
        w.form->UpdateAllMonitors();
        w.form->networkJobs().settle();
    }
    // Every sensor must have been answered, or the pass measured the wrong road.
    const auto* c = w.form->sensorControls(kSensors - 1);
    if (!c || c->DownLabel->text().startsWith("Error"))
        state.SkipWithError("the agent did not answer the pass");
}

// The window's own share of a pass: the same 20 sensors over a network that
// answers at once from memory (counters and uptime move on every pass).
class InstantNetwork : public ISensorNetwork
{
public:
    bool readValue(const std::string& oid, const std::string&, const std::string&,
                   std::string& value) override
    {
        if (oid == SensorPoll::kUpTimeOid) {
            m_time += 50;
            value = std::to_string(m_time);
        } else {
            m_count += 7919;
            value = std::to_string(m_count % 1000000);
        }
        return true;
    }
    int pingRoundTrip(const std::string&) override { return 1; }
    uint32_t tickCount() override { return 0; }

private:
    int32_t m_time = 0;
    int64_t m_count = 1;
};

void BM_PollPass20SensorsInstantNetwork(benchmark::State& state)
{
    BenchWorld& w = world();
    if (!w.form) {
        state.SkipWithError("no window");
        return;
    }
    TMainForm::Options options;
    options.network = std::make_shared<InstantNetwork>();
    options.startTimers = false;
    // The network keeps its counters unguarded: one thread reads it.
    options.networkThreads = 1;
    // A second window would be refused as a second instance.
    w.form.reset();
    auto form = std::make_unique<TMainForm>(options);
    form->setVisible(state.range(0) != 0);
    for (auto _ : state) {
        form->UpdateAllMonitors();
        form->networkJobs().settle();
    }
    form.reset();
    TMainForm::Options real;
    real.network = std::make_shared<SnmpSensorNetwork>();
    real.startTimers = false;
    w.form = std::make_unique<TMainForm>(real);
}

void BM_BareUdpFloor100RoundTrips(benchmark::State& state)
{
    BenchWorld& w = world();
    if (!w.started) {
        state.SkipWithError(("snmpd: " + w.agent.error()).c_str());
        return;
    }
    for (auto _ : state) {
        if (!bareUdpPollFloor(kAgentAddress, kSensors)) {
            state.SkipWithError("the agent did not answer");
            return;
        }
    }
}

// The machine is shared: the fastest repetition is the best estimate of
// what each road costs.
double fastest(const std::vector<double>& times)
{
    return times.empty() ? 0 : *std::min_element(times.begin(), times.end());
}

} // namespace

BENCHMARK(BM_BareUdpFloor100RoundTrips)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", fastest);
BENCHMARK(BM_PollPass20Sensors)
    ->Arg(0)
    ->Arg(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", fastest);
BENCHMARK(BM_PollPass20SensorsInstantNetwork)
    ->Arg(0)
    ->Arg(1)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond)
    ->ComputeStatistics("min", fastest);

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
