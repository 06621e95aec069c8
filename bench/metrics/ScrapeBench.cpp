// One scrape of the metrics endpoint with 10 and 256 sensors: the copy of
// the figures and their OpenMetrics text (what the poll's side never waits
// for), and the whole HTTP exchange over the loopback. Compare with BM_Pass
// of the same sensor count in this program.
#include "MetricsBoard.h"
#include "MetricsServer.h"
#include "OpenMetricsText.h"
#include "metrics/HttpProbe.h"

#include <benchmark/benchmark.h>

namespace {

constexpr const char* kServer = "127.0.0.229";

void fill(MetricsBoard& board, int sensors)
{
    std::vector<TSensorLabels> labels;
    for (int i = 0; i < sensors; ++i)
        labels.push_back({i, "Router " + std::to_string(i), "192.0.2." + std::to_string(i % 250),
                          "eth" + std::to_string(i)});
    board.sensorsChanged(labels);
    for (int i = 0; i < sensors; ++i) {
        TSensorFigures f;
        f.index = i;
        f.outcome = TPollOutcome::Ok;
        f.inOctets = 123456789012ull * uint64_t(i + 1);
        f.outOctets = 9876543210ull * uint64_t(i + 1);
        f.downRate = 1234567.891 * (i + 1);
        f.upRate = 98765.4321 * (i + 1);
        f.latencySeconds = 0.00123 * (i + 1);
        board.sensorPolled(f);
    }
    std::vector<TPeriodOctets> totals;
    for (int i = 0; i < sensors; ++i)
        totals.push_back({i, 5000000000ull * uint64_t(i), 700000000ull * uint64_t(i)});
    board.periodTotals(totals);
}

void BM_ScrapeText(benchmark::State& state)
{
    MetricsBoard board;
    fill(board, int(state.range(0)));
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string text = OpenMetricsText::render(board.snapshot());
        bytes = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.counters["bytes"] = double(bytes);
}
BENCHMARK(BM_ScrapeText)->Arg(10)->Arg(256)->Unit(benchmark::kMicrosecond);

void BM_ScrapeHttp(benchmark::State& state)
{
    MetricsBoard board;
    fill(board, int(state.range(0)));
    MetricsServer server([&board](OpenMetricsText::TFormat format) {
        return OpenMetricsText::render(board.snapshot(), format);
    });
    if (server.start(kServer, 0) != MetricsServer::TStart::Started) {
        state.SkipWithError("cannot listen on 127.0.0.229");
        return;
    }
    const int port = server.port();
    for (auto _ : state) {
        const std::string answer = HttpProbe::exchange(
            "127.0.0.1", kServer, port,
            "GET /metrics HTTP/1.1\r\nHost: x\r\nAccept: application/openmetrics-text\r\n"
            "Connection: close\r\n\r\n");
        if (answer.find("# EOF") == std::string::npos) {
            state.SkipWithError("no whole answer");
            break;
        }
    }
}
BENCHMARK(BM_ScrapeHttp)->Arg(10)->Arg(256)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace
