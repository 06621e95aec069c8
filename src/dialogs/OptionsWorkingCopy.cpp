#include "OptionsWorkingCopy.h"

#include <stdexcept>
#include <utility>

namespace {

bool inside(std::size_t size, int i)
{
    return i >= 0 && std::size_t(i) < size;
}

} // namespace

void OptionsWorkingCopy::load(const TMonitorSettings& settings, const TUsageSettings& usage)
{
    m_sensors.clear();
    for (const TSensorRecord& record : settings.Sensors)
        m_sensors.push_back(TSensorConfig::fromRecord(record));
    m_usage = usage;
    align();
}

void OptionsWorkingCopy::setUsage(const TUsageSettings& usage)
{
    m_usage = usage;
    align();
}

void OptionsWorkingCopy::align()
{
    m_usage.Sensors.resize(m_sensors.size());
}

void OptionsWorkingCopy::remove(int i)
{
    align();
    removeEntry(m_sensors, i);
    m_usage.Sensors.erase(m_usage.Sensors.begin() + i);
}

void OptionsWorkingCopy::swap(int i, int j)
{
    align();
    swapEntries(m_sensors, i, j);
    std::swap(m_usage.Sensors[std::size_t(i)], m_usage.Sensors[std::size_t(j)]);
}

void OptionsWorkingCopy::writeActive(TMonitorSettings& settings) const
{
    settings.resizeSensors(int32_t(m_sensors.size()));
    for (std::size_t i = 0; i < m_sensors.size(); ++i)
        settings.Sensors[i].Active = m_sensors[i].Active;
}

void OptionsWorkingCopy::writeSensors(TMonitorSettings& settings) const
{
    writeActive(settings);
    for (std::size_t i = 0; i < m_sensors.size(); ++i)
        m_sensors[i].applyTo(settings.Sensors[i]);
    if (!m_sensors.empty()) {
        // The tray shows the first sensor against its speeds, as stored.
        const TSensorConfig& first = m_sensors.front();
        settings.TrayDownSpeed = static_cast<int32_t>(static_cast<uint32_t>(first.DownSpeed));
        settings.TrayUpSpeed = static_cast<int32_t>(static_cast<uint32_t>(first.UpSpeed));
    }
}

void OptionsWorkingCopy::writeUsage(TUsageSettings& usage) const
{
    usage = m_usage;
    usage.Sensors.resize(m_sensors.size());
}

void OptionsWorkingCopy::swapEntries(std::vector<TSensorConfig>& list, int i, int j)
{
    if (!inside(list.size(), i) || !inside(list.size(), j))
        throw std::out_of_range("frmOptions: sensor entry index out of range");
    std::swap(list[std::size_t(i)], list[std::size_t(j)]);
}

void OptionsWorkingCopy::removeEntry(std::vector<TSensorConfig>& list, int i)
{
    if (list.empty())
        throw std::out_of_range("frmOptions: deleting from an empty sensor list");
    if (!inside(list.size(), i))
        throw std::out_of_range("frmOptions: sensor entry index out of range");
    list.erase(list.begin() + i);
}
