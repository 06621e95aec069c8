// One sensor's poll (the poll's reads and its arithmetic) through the
// program's own network against a local net-snmp agent (started by the
// benchmark, needs root), side by side in one run: the sensor as SNMPv2c,
// as SNMPv3 authPriv (SHA-256, AES-128) with the agent's engine known, and as
// SNMPv3 at first contact (discovery and key localisation included).
#include "BenchAgent.h"
#include "SensorPoll.h"
#include "SensorPollV2c.h"
#include "SnmpSensorNetwork.h"
#include "SnmpV3TestUsers.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr const char* kAgent = "127.0.0.204";

TSensorRecord loopbackSensor(int32_t version)
{
    TSensorRecord sensor;
    sensor.Active = true;
    sensor.HostIP = kAgent;
    sensor.Community = SnmpdPeer::community();
    sensor.Sensor = "1";
    sensor.SensorName = "lo";
    sensor.SnmpVersion = static_cast<TSnmpVersion>(version);
    sensor.V3 = SnmpV3TestUsers::kSha256;
    SensorPoll::buildCounterOids(sensor);
    return sensor;
}

void pollOnce(benchmark::State& state, TSensorRecord& sensor, ISnmpReader& network)
{
    const SensorPoll::TPollResult result = SensorPoll::applyReading(
        sensor, SensorPoll::readSensor(SensorPoll::targetOf(sensor, false), network));
    if (!result.replied)
        state.SkipWithError(("poll failed: " + result.failure).c_str());
    benchmark::DoNotOptimize(result.downRate);
}

// The poll as it runs from the second pass on: counters chosen, engine known.
void BM_SensorPoll(benchmark::State& state)
{
    benchAgent(kAgent, SnmpV3TestUsers::configure);
    SnmpSensorNetwork network;
    TSensorRecord sensor = loopbackSensor(int32_t(state.range(0)));
    pollOnce(state, sensor, network);
    for (auto _ : state)
        pollOnce(state, sensor, network);
}

// A program's first poll of the agent: a network of its own each time, so
// the engine is discovered and the keys localised again.
void BM_SensorPollV3FirstContact(benchmark::State& state)
{
    benchAgent(kAgent, SnmpV3TestUsers::configure);
    TSensorRecord chosen = loopbackSensor(SensorPoll::kSnmpVersion3);
    SnmpSensorNetwork warm;
    pollOnce(state, chosen, warm);
    for (auto _ : state) {
        SnmpSensorNetwork network;
        TSensorRecord sensor = chosen;
        pollOnce(state, sensor, network);
    }
}

} // namespace

BENCHMARK(BM_SensorPoll)
    ->ArgName("version")
    ->Arg(SensorPoll::kSnmpVersion2c)
    ->Arg(SensorPoll::kSnmpVersion3)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();
BENCHMARK(BM_SensorPollV3FirstContact)->Unit(benchmark::kMicrosecond)->UseRealTime();

BENCHMARK_MAIN();
