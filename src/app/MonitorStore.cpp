#include "MonitorStore.h"

#include "RegStoreFile.h"
#include "SensorPasswordKeeper.h"
#include "SnmpSensorStore.h"
#include "UsageKeeper.h"
#include "srcRegOptions.h"

namespace MonitorStore {

void load(const TParts& parts)
{
    LoadSettings(parts.settings, parts.window);
    SnmpSensorStore::load(parts.settings);
    parts.passwords.load(parts.settings);
    parts.usage.load(parts.settings);
    parts.metrics = MetricsSettingsStore::load(true);
}

std::string save(const TParts& parts)
{
    SaveSettings(parts.settings, parts.window);
    SnmpSensorStore::save(parts.settings);
    const std::string problems = parts.passwords.save(parts.settings);
    parts.usage.save();
    MetricsSettingsStore::save(parts.metrics);
    return problems;
}

std::string setAsideText()
{
    const std::string aside = RegStoreFile::takeSetAside();
    if (aside.empty())
        return {};
    return "The settings file could not be read completely. It was kept as\n\r" + aside +
           "\n\rSettings that could not be read start again from their defaults.";
}

} // namespace MonitorStore
