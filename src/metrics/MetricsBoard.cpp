#include "MetricsBoard.h"

#include <algorithm>

TSensorMetrics* MetricsBoard::find(int index)
{
    for (TSensorMetrics& sensor : m_sensors)
        if (sensor.labels.index == index)
            return &sensor;
    return nullptr;
}

void MetricsBoard::sensorsChanged(std::vector<TSensorLabels> sensors)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<TSensorMetrics> next;
    next.reserve(sensors.size());
    for (TSensorLabels& labels : sensors) {
        TSensorMetrics metrics;
        // The same interface at the same place keeps its counts: the options
        // dialog's OK must not look like a restart to a scraper.
        const auto same = std::find_if(m_sensors.begin(), m_sensors.end(), [&](const auto& s) {
            return s.labels.index == labels.index && s.labels.name == labels.name &&
                   s.labels.address == labels.address &&
                   s.labels.interfaceName == labels.interfaceName;
        });
        if (same != m_sensors.end())
            metrics = std::move(*same);
        metrics.labels = std::move(labels);
        next.push_back(std::move(metrics));
    }
    m_sensors = std::move(next);
}

void MetricsBoard::sensorPolled(const TSensorFigures& figures)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    TSensorMetrics* sensor = find(figures.index);
    if (!sensor)
        return;
    const auto outcome = static_cast<std::size_t>(figures.outcome);
    if (outcome < sensor->outcomes.size())
        ++sensor->outcomes[outcome];
    sensor->last = figures;
    if (figures.inOctets && figures.outOctets) {
        sensor->inOctets = figures.inOctets;
        sensor->outOctets = figures.outOctets;
    }
}

void MetricsBoard::periodTotals(std::vector<TPeriodOctets> totals)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const TPeriodOctets& total : totals)
        if (TSensorMetrics* sensor = find(total.index))
            sensor->period = total;
}

std::vector<TSensorMetrics> MetricsBoard::snapshot() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_sensors;
}
