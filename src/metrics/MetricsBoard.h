#pragma once

#include "SensorFigures.h"

#include <array>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

// One sensor as a scrape shows it: its labels, its outcome counts since the
// program started and the figures of its last applied poll.
struct TSensorMetrics
{
    TSensorLabels labels;
    std::array<uint64_t, kPollOutcomes> outcomes{};
    std::optional<TSensorFigures> last;
    // The last good poll's counters, kept across failed polls: a counter
    // that vanished on every time-out would read as a reset to Prometheus.
    std::optional<uint64_t> inOctets;
    std::optional<uint64_t> outOctets;
    std::optional<TPeriodOctets> period;
};

// The figures the endpoint serves. The poll's thread writes, the server's
// thread reads a copy: each holds the lock only to copy a few numbers, so a
// scrape never waits for the network and the poll never waits for a scrape.
class MetricsBoard : public IPollFigures
{
public:
    void sensorsChanged(std::vector<TSensorLabels> sensors) override;
    void sensorPolled(const TSensorFigures& figures) override;
    void periodTotals(std::vector<TPeriodOctets> totals) override;

    std::vector<TSensorMetrics> snapshot() const;

private:
    TSensorMetrics* find(int index);

    mutable std::mutex m_mutex;
    std::vector<TSensorMetrics> m_sensors;
};
