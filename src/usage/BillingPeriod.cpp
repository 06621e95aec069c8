#include "BillingPeriod.h"

namespace {

TCalendarDay startIn(int year, int month, int startDay)
{
    const int length = daysInMonth(year, month);
    return TCalendarDay{year, month, startDay < length ? startDay : length};
}

void stepMonth(int& year, int& month, int by)
{
    const int index = year * 12 + (month - 1) + by;
    year = index / 12;
    month = index % 12 + 1;
}

} // namespace

TBillingPeriod TBillingPeriod::containing(const TCalendarDay& day, int startDay)
{
    if (startDay < 1 || startDay > 31)
        startDay = 1;
    int year = day.year;
    int month = day.month;
    if (day < startIn(year, month, startDay))
        stepMonth(year, month, -1);
    TBillingPeriod period;
    period.first = startIn(year, month, startDay);
    stepMonth(year, month, 1);
    period.next = startIn(year, month, startDay);
    return period;
}

TBillingPeriod TBillingPeriod::previous(int startDay) const
{
    return containing(first.plusDays(-1), startDay);
}

double projectToPeriodEnd(double usedOctets, double elapsedSeconds, double periodSeconds)
{
    if (elapsedSeconds <= 0 || periodSeconds <= 0)
        return usedOctets;
    if (elapsedSeconds >= periodSeconds)
        return usedOctets;
    return usedOctets * periodSeconds / elapsedSeconds;
}
