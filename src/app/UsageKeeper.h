#pragma once

#include "RateUnit.h"
#include "SensorFigures.h"
#include "SensorPoll.h"
#include "TMonitorSettings.h"
#include "TUsageRecorder.h"
#include "UsageClock.h"
#include "UsageSettings.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// The usage history fed from every applied poll, with its settings kept
// beside the sensor model and the rate unit the texts are shown in: what the
// window and the headless monitor share. Nothing here shows anything.
class UsageKeeper
{
public:
    using Tell = std::function<void(const std::string& text)>;
    using Clock = std::function<int64_t()>;

    // Opens the history at `databasePath`; `tell` receives what the user
    // reads once (a history moved aside or not writable, the quota notices).
    // `now` is the wall clock in seconds, `steady` a clock nobody sets, in
    // seconds (the system's when both are empty; a wall clock given alone
    // is trusted as it is). The history books by TUsageClock over them.
    UsageKeeper(const std::string& databasePath, Tell tell, Clock now = {}, Clock steady = {});
    virtual ~UsageKeeper();
    UsageKeeper(const UsageKeeper&) = delete;
    UsageKeeper& operator=(const UsageKeeper&) = delete;

    // The store, with the other settings: loaded after them (missing values
    // take their defaults and are written back), saved after them.
    void load(const TMonitorSettings& model);
    void save() const;

    // The settings; after a change, `sensorsChanged` hands them on.
    TUsageSettings& settings() { return m_settings; }
    const TUsageSettings& settings() const { return m_settings; }
    // The sensor list or the usage settings changed: one usage entry per
    // sensor again, and the recorder polls the active ones from now on.
    void sensorsChanged(const TMonitorSettings& model);

    // Sensor `index`'s applied poll: a good one (its sample read) adds its
    // octets, any other counts nothing. Of sensors alike in their key only
    // the first records.
    void polled(const TMonitorSettings& model, int index, const SensorPoll::TPollResult& result);
    // After each pass: the minute's write when due, then the quota notices,
    // then (once a minute) the period totals to `figures`.
    void afterPass();
    // Writes what is gathered (before the settings are saved at exit).
    void flush();

    // Where the current period's totals go; nothing when empty.
    void setFigures(IPollFigures* figures) { m_figures = figures; }

    TRateUnit unit() const { return m_settings.RateUnit; }
    // A rate label or hint text in the chosen unit ("DL: 100.0 kb/s").
    std::string rateText(const char* prefix, double bytesPerSecond) const;

    TUsageRecorder& recorder() { return *m_recorder; }

protected:
    int64_t now();
    void tell(const std::string& text) const;

private:
    void publishTotals(int64_t now);

    Tell m_tell;
    TUsageClock m_clock;
    std::unique_ptr<TUsageRecorder> m_recorder;
    TUsageSettings m_settings;
    IPollFigures* m_figures = nullptr;
    // The active sensors as the recorder knows them, and their indexes.
    std::vector<TUsageSensorConfig> m_configs;
    std::vector<int> m_indexes;
    int64_t m_totalsAt = 0; // when the totals were last published
};
