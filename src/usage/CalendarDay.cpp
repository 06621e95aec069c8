#include "CalendarDay.h"

#include <cstdio>
#include <ctime>

int daysInMonth(int year, int month)
{
    static const int lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : lengths[month - 1];
}

TCalendarDay TCalendarDay::fromKey(int32_t key)
{
    return TCalendarDay{key / 10000, key / 100 % 100, key % 100};
}

// Howard Hinnant's days-from-civil and civil-from-days: exact for every
// proleptic Gregorian date, no table, no time zone.
int64_t TCalendarDay::serial() const
{
    const int64_t y = month <= 2 ? year - 1 : year;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t mp = (month + 9) % 12;
    const int64_t doy = (153 * mp + 2) / 5 + day - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

TCalendarDay TCalendarDay::fromSerial(int64_t serial)
{
    const int64_t z = serial + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const int y = static_cast<int>(yoe + era * 400 + (m <= 2 ? 1 : 0));
    return TCalendarDay{y, m, d};
}

std::string TCalendarDay::text() const
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", year, month, day);
    return buffer;
}

TCalendarDay TCalendarDay::localDayOf(int64_t wallTime)
{
    const std::time_t t = static_cast<std::time_t>(wallTime);
    std::tm parts{};
    localtime_r(&t, &parts);
    return TCalendarDay{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday};
}

int64_t TCalendarDay::localStart() const
{
    std::tm parts{};
    parts.tm_year = year - 1900;
    parts.tm_mon = month - 1;
    parts.tm_mday = day;
    parts.tm_isdst = -1;
    return static_cast<int64_t>(std::mktime(&parts));
}
