#pragma once

#include "TMonitorSettings.h"
#include "TSensorConfig.h"
#include "UsageSettings.h"

#include <vector>

// What the options dialog edits until OK: the sensor list and each sensor's
// usage period and quota, kept beside it by index through adds, deletes and
// moves. Nothing here reaches the store before OK writes it back; Cancel
// simply drops the copy.
class OptionsWorkingCopy
{
public:
    // Copies of the sensors' stored fields and of the usage settings; one
    // usage entry per sensor, the defaults for a sensor that had none.
    void load(const TMonitorSettings& settings, const TUsageSettings& usage);

    std::vector<TSensorConfig>& sensors() { return m_sensors; }
    const std::vector<TSensorConfig>& sensors() const { return m_sensors; }
    const TUsageSettings& usage() const { return m_usage; }
    // What the usage page shows; the page's edits come back through it.
    void setUsage(const TUsageSettings& usage);

    // One usage entry per sensor again: an entry the device dialog appended
    // gets the defaults.
    void align();
    // Removes entry i and its usage entry.
    void remove(int i);
    // Exchanges entries i and j and their usage entries.
    void swap(int i, int j);

    // OK, in the window's order: first the count and which sensors are
    // active (the window rebuilds its graphs from these), then every stored
    // field and the tray's speeds from the first sensor. A record's poll
    // state and controls stay as they are.
    void writeActive(TMonitorSettings& settings) const;
    void writeSensors(TMonitorSettings& settings) const;
    void writeUsage(TUsageSettings& usage) const;

    // The list primitives: an index outside the list raises std::out_of_range.
    static void swapEntries(std::vector<TSensorConfig>& list, int i, int j);
    static void removeEntry(std::vector<TSensorConfig>& list, int i);

private:
    std::vector<TSensorConfig> m_sensors;
    TUsageSettings m_usage;
};
