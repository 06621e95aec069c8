// One poll's worth of reads (sysUpTime and both counters of interface 1)
// against a local net-snmp agent, side by side in one run: SNMPv3 authPriv
// in one request, the same three bindings in one v2c request, and the
// version-1 way of three separate gets.
#include "BenchAgent.h"
#include "BerTag.h"
#include "SNMPRead.h"
#include "SNMPv3Read.h"
#include "SnmpV3TestUsers.h"
#include "TSNMPSend.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr const char* kAgent = "127.0.0.183";
const std::vector<std::string> kPollOids{"1.3.6.1.2.1.1.3.0", "1.3.6.1.2.1.2.2.1.10.1",
                                         "1.3.6.1.2.1.2.2.1.16.1"};

using SnmpV3TestUsers::kSha;
using SnmpV3TestUsers::kSha256;

void v3Poll(benchmark::State& state, const SnmpV3User& user, bool keepCache)
{
    benchAgent(kAgent, SnmpV3TestUsers::configure);
    SnmpEngineCache cache;
    for (auto _ : state) {
        SnmpEngineCache fresh;
        const SnmpV3Result result = SNMPv3Get(kPollOids, user, kAgent, keepCache ? cache : fresh);
        if (!result.ok())
            state.SkipWithError("v3 get failed");
        benchmark::DoNotOptimize(result.VarBinds.data());
    }
}

void BM_V3AuthPrivPoll_Sha1Aes(benchmark::State& state)
{
    v3Poll(state, kSha, true);
}

void BM_V3AuthPrivPoll_Sha256Aes(benchmark::State& state)
{
    v3Poll(state, kSha256, true);
}

// The first poll of an agent: discovery and key localisation included.
void BM_V3AuthPrivPoll_Sha1Aes_FirstContact(benchmark::State& state)
{
    v3Poll(state, kSha, false);
}

void BM_V2cPoll_OneRequest(benchmark::State& state)
{
    benchAgent(kAgent, SnmpV3TestUsers::configure);
    for (auto _ : state) {
        TSNMPSend snmp;
        snmp.TargetHost = kAgent;
        snmp.Query.Reset();
        snmp.Query.Version = 1;
        snmp.Query.Community = SnmpdPeer::community();
        snmp.Query.PDUType = BerTag::GetRequest;
        for (const std::string& oid : kPollOids)
            snmp.Query.AddVarBind(oid, "", BerTag::Null);
        if (!snmp.Exchange() || snmp.Reply.VarBindCount() != kPollOids.size())
            state.SkipWithError("v2c get failed");
        benchmark::DoNotOptimize(snmp.Reply.VarBind(0).Value.data());
    }
}

void BM_V1Poll_ThreeGets(benchmark::State& state)
{
    benchAgent(kAgent, SnmpV3TestUsers::configure);
    std::string value;
    for (auto _ : state) {
        for (const std::string& oid : kPollOids)
            if (!SNMPReadValue(oid, SnmpdPeer::community(), kAgent, value))
                state.SkipWithError("v1 get failed");
        benchmark::DoNotOptimize(value.data());
    }
}

} // namespace

BENCHMARK(BM_V1Poll_ThreeGets)->UseRealTime();
BENCHMARK(BM_V2cPoll_OneRequest)->UseRealTime();
BENCHMARK(BM_V3AuthPrivPoll_Sha1Aes)->UseRealTime();
BENCHMARK(BM_V3AuthPrivPoll_Sha256Aes)->UseRealTime();
BENCHMARK(BM_V3AuthPrivPoll_Sha1Aes_FirstContact)->UseRealTime();
BENCHMARK_MAIN();
