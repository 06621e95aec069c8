#pragma once

#include "CalendarDay.h"

#include <cstdint>

// One billing period of a provider: from its first day up to, not including,
// the first day of the next one.
struct TBillingPeriod
{
    TCalendarDay first;
    TCalendarDay next; // first day of the following period

    int64_t days() const { return next.serial() - first.serial(); }
    TCalendarDay last() const { return next.plusDays(-1); }
    bool contains(const TCalendarDay& d) const { return !(d < first) && d < next; }

    // The period that holds `day` for a provider whose periods start on
    // `startDay` (1..31) of each month; in a month shorter than that the
    // period starts on the month's last day (day 31 in February: the 28th or
    // 29th). A start day outside 1..31 counts as 1.
    static TBillingPeriod containing(const TCalendarDay& day, int startDay);
    // The period before this one.
    TBillingPeriod previous(int startDay) const;
};

// Octets to expect by the period's end if the rest of it goes on as far:
// used × period length / time elapsed. Before any time has passed there is
// nothing to project from, and the answer is what was used.
double projectToPeriodEnd(double usedOctets, double elapsedSeconds, double periodSeconds);
