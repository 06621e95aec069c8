// An SNMPv3 agent that shows a new engine id at every request, as the shared
// engine cache meets it over a long run: each read learns the new engine and
// localises an authPriv user's two keys to it. The counters show what the
// cache holds and the process's resident memory at the end of the run; both
// stay flat however long the run is. A stable agent's read (the key kept) is
// beside it as the floor.
#include "ProcessUsage.h"
#include "SharedEngineCache.h"
#include "UsmKeys.h"

#include <benchmark/benchmark.h>
#include <string>

namespace {

constexpr const char* kHost = "192.0.2.44";

void read(SharedEngineCache& shared, const std::string& engineId)
{
    SharedEngineCache::Loan loan = shared.lend(kHost);
    if (!loan.cache.find(loan.agent) || loan.cache.find(loan.agent)->EngineID != engineId)
        loan.cache.learn(loan.agent, engineId, 1, 1, SnmpEngineState::Clock::now());
    benchmark::DoNotOptimize(loan.cache.localizedKey(AuthProtocol::SHA1, "authPassword", engineId));
    benchmark::DoNotOptimize(loan.cache.localizedKey(AuthProtocol::SHA1, "privPassword", engineId));
    shared.giveBack(loan);
}

void BM_V3EngineCache_NewEngineIdEveryRead(benchmark::State& state)
{
    SharedEngineCache shared;
    long first = -1;
    std::uint64_t n = 0;
    for (auto _ : state) {
        read(shared, "\x80\x00\x1f\x88\x04" + std::to_string(++n));
        if (n == 1000)
            first = residentKilobytes();
    }
    state.counters["engines"] = double(shared.engineCount());
    state.counters["keys"] = double(shared.keyCount());
    state.counters["rss_kb_after_1000"] = double(first);
    state.counters["rss_kb_end"] = double(residentKilobytes());
}
BENCHMARK(BM_V3EngineCache_NewEngineIdEveryRead)->Iterations(200000);

void BM_V3EngineCache_SameEngine(benchmark::State& state)
{
    SharedEngineCache shared;
    for (auto _ : state)
        read(shared, "\x80\x00\x1f\x88\x04stable");
    state.counters["keys"] = double(shared.keyCount());
}
BENCHMARK(BM_V3EngineCache_SameEngine);

// What a read of such an agent paid for each of its two keys while stretched
// keys were not kept: the megabyte of hashing of the stretch.
void BM_V3PasswordStretch(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(passwordToKey(AuthProtocol::SHA1, "authPassword"));
}
BENCHMARK(BM_V3PasswordStretch);

} // namespace

BENCHMARK_MAIN();
