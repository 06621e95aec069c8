// One poll pass of 50 (and of 10) sensors against a local net-snmp agent (started by the
// benchmark, needs root), read by the poll engine on its network threads
// through the program's own network: every sensor as SNMPv1 (five gets each)
// against every sensor as SNMPv2c (one three-binding get each). The agent's
// count of datagrams received gives the round trips per pass.
#include "BenchAgent.h"
#include "NetworkWorkers.h"
#include "PollEngine.h"
#include "ProcessUsage.h"
#include "SNMPRead.h"
#include "SensorPoll.h"
#include "SensorPollV2c.h"
#include "SnmpSensorNetwork.h"

#include <benchmark/benchmark.h>

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace {

constexpr const char* kAgent = "127.0.0.228";

void BM_Pass(benchmark::State& state)
{
    benchAgent(kAgent);
    const int version = int(state.range(0));
    TMonitorSettings settings;
    settings.resizeSensors(int32_t(state.range(1)));
    for (TSensorRecord& sensor : settings.Sensors) {
        sensor.Active = true;
        sensor.HostIP = kAgent;
        sensor.Community = SnmpdPeer::community();
        sensor.Sensor = "1";
        sensor.SensorName = "lo";
        sensor.SnmpVersion = static_cast<TSnmpVersion>(version);
        SensorPoll::buildCounterOids(sensor);
    }
    NetworkWorkers workers(64);
    PollEngine engine(
        std::make_shared<SnmpSensorNetwork>(),
        [&workers](std::function<void()> work) { return workers.run(std::move(work)); });
    std::mutex mutex;
    std::condition_variable done;
    auto pass = [&] {
        std::vector<SensorPoll::TSensorTarget> targets = SensorPoll::passTargets(settings);
        const std::size_t expected = targets.size();
        std::vector<SensorPoll::TSensorReading> readings;
        bool finished = expected == 0;
        engine.startReads(std::move(targets), [&](SensorPoll::TSensorReading reading) {
            std::lock_guard<std::mutex> lock(mutex);
            readings.push_back(std::move(reading));
            finished = readings.size() == expected;
            if (finished)
                done.notify_one();
        });
        std::unique_lock<std::mutex> lock(mutex);
        done.wait(lock, [&] { return finished; });
        for (const SensorPoll::TSensorReading& reading : readings)
            SensorPoll::applyReading(settings.Sensors[std::size_t(reading.index)], reading);
    };
    pass(); // the first pass of SNMPv2c sensors chooses their counters
    const double before = agentInPackets(kAgent);
    const double cpuBefore = cpuSeconds();
    for (auto _ : state)
        pass();
    const double cpu = cpuSeconds() - cpuBefore;
    const double after = agentInPackets(kAgent);
    state.counters["round_trips"] = (after - before - 1) / double(state.iterations());
    // The poll's own CPU per pass, every thread of it.
    state.counters["cpu_ms"] = cpu * 1000 / double(state.iterations());
    workers.stop();
}
// 50 sensors as asked of a pass; 10 for the CPU of one pass a second.
BENCHMARK(BM_Pass)
    ->Args({SensorPoll::kSnmpVersion1, 50})
    ->Args({SensorPoll::kSnmpVersion2c, 50})
    ->Args({SensorPoll::kSnmpVersion1, 10})
    ->Args({SensorPoll::kSnmpVersion2c, 10})
    // Against one scrape of the metrics of as many sensors (ScrapeBench).
    ->Args({SensorPoll::kSnmpVersion2c, 256})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

BENCHMARK_MAIN();
