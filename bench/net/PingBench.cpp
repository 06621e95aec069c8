// The cost of one ping to 127.0.0.1: PingRoundTrip (the way the program
// calls it), each way of sending forced, and the system ping command run the
// same number of times, with the round trip ping itself reports.

#include "TPINGSend.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

void BM_PingRoundTrip(benchmark::State& state)
{
    for (auto _ : state) {
        const int ms = PingRoundTrip("127.0.0.1");
        if (ms < 0) {
            state.SkipWithError("no answer (raw sockets need root)");
            return;
        }
        benchmark::DoNotOptimize(ms);
    }
}
BENCHMARK(BM_PingRoundTrip)->UseRealTime();

void pingBy(benchmark::State& state, TPINGSend::TMechanism mechanism)
{
    for (auto _ : state) {
        TPINGSend ping;
        ping.Mechanism = mechanism;
        ping.Timeout = 2000;
        if (!ping.Ping("127.0.0.1")) {
            state.SkipWithError("this way is not open to this user");
            return;
        }
    }
}

void BM_PingRaw(benchmark::State& state)
{
    pingBy(state, TPINGSend::TMechanism::Raw);
}
BENCHMARK(BM_PingRaw)->UseRealTime();

void BM_PingDatagram(benchmark::State& state)
{
    pingBy(state, TPINGSend::TMechanism::Datagram);
}
BENCHMARK(BM_PingDatagram)->UseRealTime();

void BM_PingHelper(benchmark::State& state)
{
    pingBy(state, TPINGSend::TMechanism::Helper);
}
BENCHMARK(BM_PingHelper)->UseRealTime();

// The system command, started once per iteration like PingRoundTrip's
// object; the counter is the round trip ping measured itself (microseconds).
void BM_SystemPingCommand(benchmark::State& state)
{
    double rttSum = 0;
    long samples = 0;
    for (auto _ : state) {
        FILE* pipe = popen("ping -n -q -c 1 -W 2 127.0.0.1 2>&1", "r");
        std::string output;
        char chunk[256];
        while (pipe && std::fgets(chunk, sizeof chunk, pipe))
            output += chunk;
        if (!pipe || pclose(pipe) != 0) {
            state.SkipWithError("ping failed");
            return;
        }
        const std::size_t at = output.find("= ");
        double ms = 0;
        if (at != std::string::npos && std::sscanf(output.c_str() + at + 2, "%lf", &ms) == 1) {
            rttSum += ms * 1000.0;
            ++samples;
        }
    }
    if (samples > 0)
        state.counters["ping_reported_rtt_us"] = rttSum / static_cast<double>(samples);
}
BENCHMARK(BM_SystemPingCommand)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
