// One poll pass of 50 (and of 10) sensors against a local net-snmp agent (started by the
// benchmark, needs root), read by the poll engine on its network threads
// through the program's own network: every sensor as SNMPv1 (five gets each)
// against every sensor as SNMPv2c (one three-binding get each). The agent's
// count of datagrams received gives the round trips per pass.
#include "NetworkWorkers.h"
#include "PollEngine.h"
#include "SNMPRead.h"
#include "SensorPoll.h"
#include "SensorPollV2c.h"
#include "SnmpSensorNetwork.h"
#include "SnmpdPeer.h"

#include <benchmark/benchmark.h>

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <sys/resource.h>

namespace {

constexpr const char* kAgent = "127.0.0.228";
constexpr const char* kInPkts = "1.3.6.1.2.1.11.1.0";

// CPU seconds of the whole process (every network thread included).
double processCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

SnmpdPeer& agent()
{
    static SnmpdPeer peer(kAgent);
    static const bool started = peer.start();
    if (!started) {
        std::fprintf(stderr, "cannot start snmpd: %s\n", peer.error().c_str());
        std::exit(1);
    }
    return peer;
}

double agentPackets()
{
    std::string value;
    SNMPReadValue(kInPkts, SnmpdPeer::community(), kAgent, value);
    return std::strtod(value.c_str(), nullptr);
}

void BM_Pass(benchmark::State& state)
{
    agent();
    const int version = int(state.range(0));
    TMonitorSettings settings;
    settings.resizeSensors(int32_t(state.range(1)));
    for (TSensorRecord& sensor : settings.Sensors) {
        sensor.Active = true;
        sensor.HostIP = kAgent;
        sensor.Community = SnmpdPeer::community();
        sensor.Sensor = "1";
        sensor.SensorName = "lo";
        sensor.SnmpVersion = version;
        SensorPoll::buildCounterOids(sensor);
    }
    NetworkWorkers workers(64);
    PollEngine engine(
        std::make_shared<SnmpSensorNetwork>(),
        [&workers](std::function<void()> work) { return workers.run(std::move(work)); });
    std::mutex mutex;
    std::condition_variable done;
    auto pass = [&] {
        std::vector<SensorPoll::TSensorReading> readings;
        bool finished = false;
        engine.startPass(SensorPoll::passTargets(settings),
                         [&](std::vector<SensorPoll::TSensorReading> result) {
                             std::lock_guard<std::mutex> lock(mutex);
                             readings = std::move(result);
                             finished = true;
                             done.notify_one();
                         });
        std::unique_lock<std::mutex> lock(mutex);
        done.wait(lock, [&] { return finished; });
        for (const SensorPoll::TSensorReading& reading : readings)
            SensorPoll::applyReading(settings.Sensors[std::size_t(reading.index)], reading);
    };
    pass(); // the first pass of SNMPv2c sensors chooses their counters
    const double before = agentPackets();
    const double cpuBefore = processCpuSeconds();
    for (auto _ : state)
        pass();
    const double cpu = processCpuSeconds() - cpuBefore;
    const double after = agentPackets();
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
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

BENCHMARK_MAIN();
