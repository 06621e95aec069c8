// One poll of one sensor against a local net-snmp agent, two ways in one run:
// the version-1 poll of five single gets (uptime to test the agent, uptime,
// both counters, uptime again) and the SNMPv2c poll of one get with three
// bindings (uptime and both 64-bit counters). The agent's own count of
// datagrams received (snmpInPkts) gives the round trips per poll. Beside them,
// the strict reply check against the lenient decoder on the same reply.
#include "BenchAgent.h"
#include "SNMPRead.h"
#include "SNMPReadMany.h"
#include "SnmpResponse.h"
#include "TSNMPRec.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr const char* kAgent = "127.0.0.175";
constexpr const char* kUpTime = "1.3.6.1.2.1.1.3.0";
// The loopback interface, index 1 on Linux.
constexpr const char* kInOctets = "1.3.6.1.2.1.2.2.1.10.1";
constexpr const char* kOutOctets = "1.3.6.1.2.1.2.2.1.16.1";
constexpr const char* kHcInOctets = "1.3.6.1.2.1.31.1.1.1.6.1";
constexpr const char* kHcOutOctets = "1.3.6.1.2.1.31.1.1.1.10.1";

// Datagrams the agent received per poll, leaving out the two reads of the
// count itself.
void countRoundTrips(benchmark::State& state, double before)
{
    const double after = agentInPackets(kAgent);
    state.counters["round_trips"] = (after - before - 1) / static_cast<double>(state.iterations());
}

void BM_PollVersion1FiveReads(benchmark::State& state)
{
    benchAgent(kAgent);
    const double before = agentInPackets(kAgent);
    std::string value;
    for (auto _ : state) {
        for (const char* oid : {kUpTime, kUpTime, kInOctets, kOutOctets, kUpTime}) {
            if (!SNMPReadValue(oid, "vandor", kAgent, value) || value.empty())
                state.SkipWithError("no answer");
        }
        benchmark::DoNotOptimize(value);
    }
    countRoundTrips(state, before);
}

void BM_PollV2cOneRequest(benchmark::State& state)
{
    benchAgent(kAgent);
    const double before = agentInPackets(kAgent);
    const std::vector<std::string> oids = {kUpTime, kHcInOctets, kHcOutOctets};
    std::vector<SNMPReading> readings;
    for (auto _ : state) {
        if (!SNMPReadValues(oids, "vandor", kAgent, SNMPVersion2c, readings) ||
            readings[2].Outcome != SNMPReadOutcome::Value)
            state.SkipWithError("no answer");
        benchmark::DoNotOptimize(readings);
    }
    countRoundTrips(state, before);
}

std::string threeBindingReply()
{
    TSNMPRec reply;
    reply.Version = SNMPVersion2c;
    reply.PDUType = BerTag::GetResponse;
    reply.AddVarBind(kUpTime, "123456789", BerTag::TimeTicks);
    reply.AddVarBind(kHcInOctets, "18446744073709551615", BerTag::Counter64);
    reply.AddVarBind(kHcOutOctets, "9223372036854775808", BerTag::Counter64);
    return reply.Encode();
}

void BM_DecodeLenient(benchmark::State& state)
{
    const std::string datagram = threeBindingReply();
    TSNMPRec rec;
    for (auto _ : state) {
        benchmark::DoNotOptimize(rec.Decode(datagram));
    }
}

void BM_DecodeStrict(benchmark::State& state)
{
    const std::string datagram = threeBindingReply();
    const SnmpExpectation expected{SNMPVersion2c, "vandor", 1};
    SnmpResponse response;
    for (auto _ : state) {
        benchmark::DoNotOptimize(parseResponse(datagram, expected, response));
    }
}

} // namespace

BENCHMARK(BM_PollVersion1FiveReads)->UseRealTime();
BENCHMARK(BM_PollV2cOneRequest)->UseRealTime();
BENCHMARK(BM_DecodeLenient);
BENCHMARK(BM_DecodeStrict);
BENCHMARK_MAIN();
