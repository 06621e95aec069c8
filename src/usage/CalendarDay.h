#pragma once

#include <cstdint>
#include <string>

// A day of the civil calendar in local time. Stored in the database as the
// number yyyymmdd, so days sort and compare as numbers.
struct TCalendarDay
{
    int year = 1970;
    int month = 1; // 1..12
    int day = 1;   // 1..31

    int32_t key() const { return year * 10000 + month * 100 + day; }
    static TCalendarDay fromKey(int32_t key);
    // Days since 1970-01-01 (negative before), for differences and steps.
    int64_t serial() const;
    static TCalendarDay fromSerial(int64_t serial);
    TCalendarDay plusDays(int64_t days) const { return fromSerial(serial() + days); }
    // "2026-02-28"
    std::string text() const;
    // The local day of a wall-clock time (seconds since the epoch).
    static TCalendarDay localDayOf(int64_t wallTime);
    // The wall-clock time at which this local day begins.
    int64_t localStart() const;

    friend bool operator==(const TCalendarDay& a, const TCalendarDay& b)
    {
        return a.key() == b.key();
    }
    friend bool operator<(const TCalendarDay& a, const TCalendarDay& b)
    {
        return a.key() < b.key();
    }
};

int daysInMonth(int year, int month);
