#pragma once

#include "RateScale.h"
#include "RateUnit.h"
#include "TSensorRecord.h"

#include <cstdint>
#include <string>

// Every text the user reads about a sensor, made from numbers in one place:
// the rate labels and the tray hint's rates (bytes per second in, the chosen
// unit out), the title and its tool tip, the scale beside the graph, and the
// tray image for a pair of rates. Nothing here reads counters: callers hand
// over rates and speeds as numbers.
class SensorPresenter
{
public:
    explicit SensorPresenter(TRateUnit unit = TRateUnit::KibibytesPerSecond) : m_unit(unit) {}

    TRateUnit unit() const { return m_unit; }
    void setUnit(TRateUnit unit) { m_unit = unit; }

    // "DL: 100.0 kb/s" and "UL: ..." in the unit.
    std::string downText(double bytesPerSecond) const;
    std::string upText(double bytesPerSecond) const;

    // "host / sensor @ address": the title's tool tip, and its text when
    // the extended information is asked for (else the host name alone).
    static std::string identification(const TSensorRecord& sensor);
    static std::string title(const TSensorRecord& sensor, bool extendedInfo);

    // One line of the tray hint from the label texts of one poll.
    static std::string hintLine(const TSensorRecord& sensor, const std::string& downText,
                                const std::string& upText, const std::string& failure = {});

    // The scale of a sensor laid out with `ticks` intervals: round steps in
    // the unit for its speed, or, for a live sensor, steps of the full scale
    // the graph has (`liveTopBytesPerSecond`).
    RateScale::TScaleLabels speedScale(const TSensorRecord& sensor, int ticks,
                                       const RateScale::TextWidth& width, int columnWidth) const;
    RateScale::TScaleLabels liveScale(double liveTopBytesPerSecond, int ticks,
                                      const RateScale::TextWidth& width, int columnWidth) const;

    // The tray image for sensor 0's rates (bytes per second) against the
    // tray's full scale (kbit/s).
    static int trayIconIndex(double downRate, double upRate, int32_t downSpeed, int32_t upSpeed);

private:
    TRateUnit m_unit;
};
