// The cost of the usage history beside what it is added to:
// - one poll pass of 20 sensors handed to the accounting, with the minute's
//   write amortised (a pass every 5 s, a write every 12 passes), to set
//   against bench_app's BM_PollPass20Sensors (budget: 5 % of it);
// - opening the usage window over 400 days of hourly rows for 10 sensors,
//   beside opening the main window with 10 graph sets (budget: < 100 ms).
#include "TUsageWindow.h"
#include "app/MainFormFixture.h"
#include "usagewindow/UsageDemoHistory.h"

#include "SensorPoll.h"
#include "UsageWiring.h"

#include <benchmark/benchmark.h>

#include <QApplication>

#include <filesystem>
#include <stdexcept>

namespace {

constexpr int kPassSensors = 20;
constexpr int kWindowSensors = 10;

std::filesystem::path benchFolder()
{
    static std::filesystem::path root = [] {
        char pattern[] = "/tmp/travimetra-bench-usage-XXXXXX";
        if (!mkdtemp(pattern))
            throw std::runtime_error("no temporary folder");
        for (const char* sub : {"config", "runtime", "state", "data"})
            std::filesystem::create_directories(std::filesystem::path(pattern) / sub);
        std::filesystem::permissions(std::filesystem::path(pattern) / "runtime",
                                     std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::replace);
        setenv("XDG_CONFIG_HOME", (std::filesystem::path(pattern) / "config").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", (std::filesystem::path(pattern) / "runtime").c_str(), 1);
        setenv("XDG_STATE_HOME", (std::filesystem::path(pattern) / "state").c_str(), 1);
        setenv("XDG_DATA_HOME", (std::filesystem::path(pattern) / "data").c_str(), 1);
        return std::filesystem::path(pattern);
    }();
    return root;
}

// range(0): 1 every pass is one that writes (the worst pass), 0 amortised.
void BM_UsageAccountingPass20Sensors(benchmark::State& state)
{
    const auto path =
        benchFolder() / "data" / ("pass" + std::to_string(state.range(0)) + ".sqlite");
    TUsageRecorder recorder(path.string(), nullptr);
    std::vector<TUsageSensorConfig> sensors;
    for (int i = 0; i < kPassSensors; ++i)
        sensors.push_back({"127.0.0." + std::to_string(i + 10) + "#2", "Sensor", {1, 100, {}}});
    recorder.setSensors(sensors);
    int64_t now = 1780000000;
    uint64_t counter = 0;
    const int64_t step = state.range(0) ? 60 : 5;
    for (auto _ : state) {
        now += step;
        counter += 123457;
        for (const TUsageSensorConfig& s : sensors)
            recorder.goodPoll(
                {s.key, now, counter & 0xFFFFFFFF, (counter / 3) & 0xFFFFFFFF, 32, now * 100});
        benchmark::DoNotOptimize(recorder.afterPass(now));
    }
    recorder.flush(now);
}
BENCHMARK(BM_UsageAccountingPass20Sensors)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The same through the main window's wiring: 20 applied polls of real sensor
// records (key, counters, uptime) and the pass's end, a pass every 5 s.
void BM_UsageWiringPass20Sensors(benchmark::State& state)
{
    benchFolder();
    int64_t now = 1780000000;
    UsageWiring wiring((benchFolder() / "data" / "wiring.sqlite").string(), nullptr,
                       [&now] { return now; });
    TMonitorSettings model;
    for (int i = 0; i < kPassSensors; ++i)
        model.Sensors.push_back(configuredSensor("127.0.0." + std::to_string(i + 10)));
    wiring.sensorsChanged(model);
    SensorPoll::TPollResult good;
    good.replied = true;
    CounterSample sample;
    for (auto _ : state) {
        now += 5;
        sample.down += 123457;
        sample.up += 41152;
        sample.agentUpTime = now * 100;
        sample.time = double(now * 100);
        good.sample = sample;
        for (int i = 0; i < kPassSensors; ++i)
            wiring.polled(model, i, good);
        wiring.afterPass();
    }
    wiring.flush();
}
BENCHMARK(BM_UsageWiringPass20Sensors)->Unit(benchmark::kMicrosecond);

struct WindowWorld
{
    WindowWorld()
    {
        benchFolder();
        testApplication();
        std::string notice;
        db = TUsageDatabase::openForWriting((benchFolder() / "data" / "window.sqlite").string(),
                                            notice);
        now = 1780000000;
        for (int i = 0; i < kWindowSensors; ++i) {
            const std::string key = "192.168.1." + std::to_string(i + 1) + "#3";
            fillDemoHistory(*db, key, "Router " + std::to_string(i + 1), now, 400, 7,
                            100000000ULL * static_cast<uint64_t>(i + 1));
            sensors.push_back({key, "Router " + std::to_string(i + 1), {15, 500, {}}});
        }
        rows = 0;
        for (const auto& s : sensors)
            rows += db->hourRows(s.key);
    }
    std::unique_ptr<TUsageDatabase> db;
    std::vector<TUsageSensorConfig> sensors;
    int64_t now = 0;
    int64_t rows = 0;
};

WindowWorld& windowWorld()
{
    static WindowWorld world;
    return world;
}

void BM_UsageWindowOpen(benchmark::State& state)
{
    WindowWorld& w = windowWorld();
    for (auto _ : state) {
        TUsageWindow window(*w.db, w.sensors, TRateUnit::MegabitsPerSecond, [&w] { return w.now; });
        window.show();
        benchmark::DoNotOptimize(window.grab());
    }
    state.counters["hour_rows"] = static_cast<double>(w.rows);
}
BENCHMARK(BM_UsageWindowOpen)->Unit(benchmark::kMillisecond);

// What the user waits for when the program starts: the main window with one
// graph set per sensor, built and painted.
class QuietNetwork : public ISensorNetwork
{
public:
    bool readValue(const std::string&, const std::string&, const std::string&,
                   std::string&) override
    {
        return false;
    }
    int pingRoundTrip(const std::string&) override { return -1; }
    uint32_t tickCount() override { return 0; }
};

void BM_MainWindowOpen10Sensors(benchmark::State& state)
{
    benchFolder();
    testApplication();
    TMonitorSettings s;
    s.ScaleSize = 100;
    s.Interval = 5;
    s.LogTime = 30;
    for (int i = 0; i < kWindowSensors; ++i)
        s.Sensors.push_back(configuredSensor("127.0.0.1", "Sensor " + std::to_string(i)));
    s.resizeSensors(kWindowSensors);
    FakeMonitorWindow fake;
    SaveSettings(s, fake);
    WriteRegValue(HKEY_CURRENT_USER, kSettingsKey, "TimesRun", 1, rdInteger);
    for (auto _ : state) {
        TMainForm::Options options;
        options.network = std::make_shared<QuietNetwork>();
        options.startTimers = false;
        TMainForm form(options);
        form.show();
        benchmark::DoNotOptimize(form.grab());
    }
}
BENCHMARK(BM_MainWindowOpen10Sensors)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
