#include "UsageKeeper.h"

#include "TUsageRecorder.h"
#include "UsageSensorKey.h"
#include "UsageSensors.h"
#include "UsageSummary.h"

UsageKeeper::UsageKeeper(const std::string& databasePath, Tell tell, Clock now, Clock steady)
    : m_tell(std::move(tell)), m_clock(std::move(now), std::move(steady))
{
    m_recorder = std::make_unique<TUsageRecorder>(
        databasePath, [this](const std::string& text) { this->tell(text); });
}

UsageKeeper::~UsageKeeper() = default;

int64_t UsageKeeper::now()
{
    return m_clock.now();
}

void UsageKeeper::tell(const std::string& text) const
{
    if (m_tell)
        m_tell(text);
}

void UsageKeeper::load(const TMonitorSettings& model)
{
    m_settings = UsageSettingsStore::load(model.Sensors.size(), true);
    sensorsChanged(model);
}

void UsageKeeper::save() const
{
    UsageSettingsStore::save(m_settings);
}

void UsageKeeper::sensorsChanged(const TMonitorSettings& model)
{
    m_settings.Sensors.resize(model.Sensors.size());
    m_configs = UsageSensors::configs(model, m_settings);
    m_recorder->setSensors(m_configs);
    m_indexes.clear();
    for (std::size_t i = 0; i < model.Sensors.size(); ++i)
        if (model.Sensors[i].Active)
            m_indexes.push_back(int(i));
    m_totalsAt = 0; // new sensors get their totals at the next pass
}

void UsageKeeper::polled(const TMonitorSettings& model, int index,
                         const SensorPoll::TPollResult& result)
{
    if (index < 0 || !UsageSensors::recordsUsage(model, std::size_t(index)))
        return;
    const TSensorRecord& sensor = model.Sensors[std::size_t(index)];
    if (!result.formerIndex.empty()) {
        TSensorRecord before = sensor;
        before.Sensor = result.formerIndex;
        m_recorder->moveKey(UsageSensors::sensorKey(before), UsageSensors::sensorKey(sensor));
    }
    // A failed ping or any lost or bad reading took the error branch: it has
    // no sample, and the next good one steps from the last good one.
    if (result.pinged && result.replied && result.sample)
        m_recorder->goodPoll(UsageSensors::goodPoll(sensor, *result.sample, now()),
                             SensorPoll::counterSpeeds(sensor));
    else
        m_recorder->errorPoll(UsageSensors::sensorKey(sensor));
}

void UsageKeeper::afterPass()
{
    const int64_t t = now();
    for (const std::string& message : m_recorder->afterPass(t))
        tell(message);
    // The history is written once a minute: reading it more often would only
    // read the same totals again.
    if (m_figures && (m_totalsAt == 0 || t - m_totalsAt >= TUsageRecorder::kWriteEverySeconds))
        publishTotals(t);
}

void UsageKeeper::publishTotals(int64_t t)
{
    m_totalsAt = t;
    TUsageDatabase* db = m_recorder->database();
    if (!db)
        return;
    std::vector<TPeriodOctets> totals;
    for (std::size_t i = 0; i < m_configs.size() && i < m_indexes.size(); ++i) {
        const TOctets octets = UsageSummary::summarize(*db, m_configs[i], t).thisPeriod;
        totals.push_back({m_indexes[i], octets.down, octets.up});
    }
    m_figures->periodTotals(std::move(totals));
}

void UsageKeeper::flush()
{
    m_recorder->flush(now());
}

std::string UsageKeeper::rateText(const char* prefix, double bytesPerSecond) const
{
    return RateUnit::rateLabel(prefix, bytesPerSecond, m_settings.RateUnit);
}
