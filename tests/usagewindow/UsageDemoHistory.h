#pragma once

#include "CalendarDay.h"
#include "UsageDatabase.h"

#include <cmath>
#include <cstdint>
#include <string>

// A history with a shape a person recognises: evenings busier than nights,
// weekends busier than weekdays, one sensor scaled from another.
// Octets of one hour, by its start (seconds since the epoch) and a scale.
inline uint64_t demoHourOctets(int64_t hourStart, uint64_t scale)
{
    const int64_t hourOfDay = (hourStart / 3600) % 24;
    const int64_t day = hourStart / 86400;
    const double evening = 1.0 + std::sin((static_cast<double>(hourOfDay) - 14.0) / 24.0 * 6.283);
    const double weekend = day % 7 >= 2 && day % 7 <= 3 ? 1.6 : 1.0;
    return static_cast<uint64_t>(scale * (0.2 + evening) * weekend) +
           static_cast<uint64_t>(day % 5);
}

// Writes `days` days of hourly octets up to `now` for `key` (one minute row
// per hour, at the hour's start), and per-minute octets for the last
// `minuteDays` days. Upload is a quarter of download.
inline void fillDemoHistory(TUsageDatabase& db, const std::string& key, const std::string& name,
                            int64_t now, int days, int minuteDays, uint64_t scale)
{
    TUsageBatch batch;
    const int64_t lastHour = now - now % 3600;
    const int64_t minuteFrom = now - static_cast<int64_t>(minuteDays) * 86400;
    for (int64_t hour = lastHour - static_cast<int64_t>(days) * 86400; hour <= lastHour;
         hour += 3600) {
        const uint64_t octets = demoHourOctets(hour, scale);
        if (hour >= minuteFrom) {
            for (int64_t m = 0; m < 60; ++m) {
                const int64_t minute = hour + m * 60;
                if (minute > now)
                    break;
                batch[{key, minute}] = {{octets / 60, octets / 240},
                                        TCalendarDay::localDayOf(minute).key()};
            }
        } else {
            batch[{key, hour}] = {{octets, octets / 4}, TCalendarDay::localDayOf(hour).key()};
        }
    }
    db.write(batch, {{key, name}}, now);
}
