// What the usage history costs at start and for a report, with a short and
// a year-long history, beside sqlite3 computing the same totals:
// - BM_UsageReportProgram: `travimetra --usage --csv` as a whole process;
// - BM_UsageReportFront: the same command from a program without Qt;
// - BM_UsageReportSqlite3: the sqlite3 shell summing the same period's days
//   (budget: the program at most 2x this);
// - BM_UsageRecorderStart: the program's opening of its history at start,
//   for 30 and 400 days of history (budget: the same for both).
#include "usagewindow/UsageDemoHistory.h"

#include "BillingPeriod.h"
#include "TUsageRecorder.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
constexpr int kSensors = 10;

// A data folder per history length, filled once: 10 sensors, hourly rows for
// `days` days and minute rows for the last week, as the program keeps them.
fs::path historyOf(int days)
{
    static std::map<int, fs::path> made;
    if (auto found = made.find(days); found != made.end())
        return found->second;
    char pattern[] = "/tmp/travimetra-bench-report-XXXXXX";
    if (!mkdtemp(pattern))
        throw std::runtime_error("no temporary folder");
    const fs::path root = pattern;
    fs::create_directories(root / "config");
    const fs::path path = root / "data" / "Travimetra" / "usage.sqlite";
    std::string notice;
    auto db = TUsageDatabase::openForWriting(path.string(), notice);
    const int64_t now = static_cast<int64_t>(std::time(nullptr));
    for (int i = 0; i < kSensors; ++i)
        fillDemoHistory(*db, "192.168.1." + std::to_string(i + 1) + "#3",
                        "Router " + std::to_string(i + 1), now, days, 7,
                        100000000ULL * static_cast<uint64_t>(i + 1));
    made[days] = root;
    return root;
}

// Runs a program to its end with its output thrown away; false when it
// could not be started or failed.
bool runQuietly(const std::vector<std::string>& arguments)
{
    std::vector<char*> argv;
    for (const std::string& a : arguments)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int started = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    return started == 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

void useHistory(const fs::path& root)
{
    setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
}

void BM_UsageReportProgram(benchmark::State& state)
{
    useHistory(historyOf(static_cast<int>(state.range(0))));
    for (auto _ : state)
        if (!runQuietly({TRAVIMETRA_PROGRAM, "--usage", "--csv"}))
            state.SkipWithError("the report failed");
}
BENCHMARK(BM_UsageReportProgram)->Arg(400)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same report from a front that links nothing but the history, the
// settings reader and SQLite: the program's cost less the loading of Qt.
void BM_UsageReportFront(benchmark::State& state)
{
    useHistory(historyOf(static_cast<int>(state.range(0))));
    for (auto _ : state)
        if (!runQuietly({TRAVIMETRA_USAGE_FRONT, "--usage", "--csv"}))
            state.SkipWithError("the report failed");
}
BENCHMARK(BM_UsageReportFront)->Arg(400)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_UsageReportSqlite3(benchmark::State& state)
{
    const fs::path root = historyOf(static_cast<int>(state.range(0)));
    const TBillingPeriod period = TBillingPeriod::containing(
        TCalendarDay::localDayOf(static_cast<int64_t>(std::time(nullptr))), 1);
    const std::string query =
        "SELECT s.key, s.name, coalesce(sum(d.down), 0), coalesce(sum(d.up), 0) FROM sensor s "
        "LEFT JOIN day d ON d.sensor = s.id AND d.day >= " +
        std::to_string(period.first.key()) + " AND d.day < " + std::to_string(period.next.key()) +
        " GROUP BY s.id ORDER BY s.id";
    const std::string db = (root / "data" / "Travimetra" / "usage.sqlite").string();
    for (auto _ : state)
        if (!runQuietly({"sqlite3", "-readonly", "-csv", db, query}))
            state.SkipWithError("sqlite3 failed (is it installed?)");
}
BENCHMARK(BM_UsageReportSqlite3)->Arg(400)->Unit(benchmark::kMillisecond)->UseRealTime();

// The history's share of the program's start: lock, open, schema.
void BM_UsageRecorderStart(benchmark::State& state)
{
    const fs::path root = historyOf(static_cast<int>(state.range(0)));
    const std::string path = (root / "data" / "Travimetra" / "usage.sqlite").string();
    for (auto _ : state) {
        TUsageRecorder recorder(path, nullptr);
        benchmark::DoNotOptimize(recorder.isOpen());
    }
    state.counters["bytes"] = static_cast<double>(fs::file_size(path));
}
BENCHMARK(BM_UsageRecorderStart)->Arg(30)->Arg(400)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
