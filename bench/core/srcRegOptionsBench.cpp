// SaveSettings with 20 sensors and LoadSettings of a complete store, each of
// which runs on the user-interface thread at start, on options changes and at
// exit: both must stay far below 20 ms, fsync and rename included.
#include "IMonitorWindow.h"
#include "srcRegOptions.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace {

class TBenchWindow : public IMonitorWindow
{
public:
    int windowTop() const override { return 100; }
    int windowLeft() const override { return 200; }
    void setWindowTop(int) override {}
    void setWindowLeft(int) override {}
    int windowWidth() const override { return 260; }
    int windowHeight() const override { return 3400; }
    int workAreaHeight() const override { return 1050; }
    int firstMonitorWidth() const override { return 1920; }
    int alphaBlendValue() const override { return 192; }
    void setAlphaBlendValue(int) override {}
    int latencyInterval() const override { return 1000; }
    void setLatencyInterval(int) override {}
};

// A private store folder for the run, on the same file system the user's
// configuration would normally be on (the build tree's, not tmpfs).
class TBenchStore
{
public:
    TBenchStore()
    {
        m_folder = std::filesystem::current_path() / "bench-store";
        std::filesystem::remove_all(m_folder);
        setenv("XDG_CONFIG_HOME", m_folder.c_str(), 1);
        setenv("XDG_STATE_HOME", (m_folder / "state").c_str(), 1);
    }
    ~TBenchStore() { std::filesystem::remove_all(m_folder); }

private:
    std::filesystem::path m_folder;
};

TMonitorSettings twentySensors()
{
    TMonitorSettings settings;
    settings.resizeSensors(20);
    settings.LogFile = "/home/ann/.local/state/Travimetra/Travimetra.log";
    for (int n = 0; n < 20; ++n) {
        TSensorRecord& sensor = settings.Sensors[std::size_t(n)];
        sensor.Active = true;
        sensor.HostName = "Router " + std::to_string(n);
        sensor.HostIP = "192.168.1." + std::to_string(n + 1);
        sensor.Community = "public";
        sensor.Sensor = std::to_string(n + 1);
        sensor.SensorName = "eth" + std::to_string(n);
        sensor.DownSpeed = 100000;
        sensor.UpSpeed = 40000;
        sensor.SpeedType = static_cast<TSpeedType>(n % 3 + 1);
    }
    return settings;
}

void BM_SaveSettings20Sensors(benchmark::State& state)
{
    TBenchStore store;
    TBenchWindow window;
    TMonitorSettings settings = twentySensors();
    for (auto _ : state)
        SaveSettings(settings, window);
}
BENCHMARK(BM_SaveSettings20Sensors)->Unit(benchmark::kMillisecond);

void BM_LoadSettingsCompleteStore(benchmark::State& state)
{
    TBenchStore store;
    TBenchWindow window;
    TMonitorSettings saved = twentySensors();
    SaveSettings(saved, window);
    TMonitorSettings loaded;
    LoadSettings(loaded, window); // adds TimesRun: from now on nothing is missing
    for (auto _ : state) {
        TMonitorSettings settings;
        LoadSettings(settings, window);
        if (settings.Sensors.size() != 20 || settings.FirstRun)
            throw std::runtime_error("the store was not complete");
        benchmark::DoNotOptimize(settings);
    }
}
BENCHMARK(BM_LoadSettingsCompleteStore)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
