#include "LogTextFormat.h"

#include <gtest/gtest.h>

namespace {

using namespace LogTextFormat;

TLocalDateTime at(int year, int month, int day, int hour, int minute, int second, int ms = 0)
{
    TLocalDateTime when;
    when.time.tm_year = year - 1900;
    when.time.tm_mon = month - 1;
    when.time.tm_mday = day;
    when.time.tm_hour = hour;
    when.time.tm_min = minute;
    when.time.tm_sec = second;
    when.time.tm_isdst = -1;
    when.milliseconds = ms;
    return when;
}

TEST(LogTextFormat, GeneralFormatKeepsUpToFifteenSignificantDigits)
{
    EXPECT_EQ(formatGeneral(102400, "."), "102400");
    EXPECT_EQ(formatGeneral(0, "."), "0");
    EXPECT_EQ(formatGeneral(-0.0, "."), "0");
    EXPECT_EQ(formatGeneral(-2048, "."), "-2048");
    EXPECT_EQ(formatGeneral(1.5, "."), "1.5");
    EXPECT_EQ(formatGeneral(1024.0 / 3.0, "."), "341.333333333333");
    EXPECT_EQ(formatGeneral(2.0 / 3.0, "."), "0.666666666666667");
    EXPECT_EQ(formatGeneral(123456789012345.0, "."), "123456789012345");
    EXPECT_EQ(formatGeneral(0.00001, "."), "0.00001");
    EXPECT_EQ(formatGeneral(0.000123, "."), "0.000123");
}

TEST(LogTextFormat, GeneralFormatGoesScientificOutsideItsRange)
{
    EXPECT_EQ(formatGeneral(1e15, "."), "1E15");
    EXPECT_EQ(formatGeneral(1234567890123456.0, "."), "1.23456789012346E15");
    EXPECT_EQ(formatGeneral(0.0000015, "."), "1.5E-6");
    EXPECT_EQ(formatGeneral(-1e20, "."), "-1E20");
}

TEST(LogTextFormat, NumbersUseTheGivenDecimalSeparator)
{
    EXPECT_EQ(formatGeneral(3413.5, ","), "3413,5");
    EXPECT_EQ(formatGeneral(1234567890123456.0, ","), "1,23456789012346E15");
    EXPECT_EQ(formatOneDecimal(100, ","), "100,0");
    EXPECT_EQ(formatOneDecimal(1e20, ","), "100000000000000000000,0");
}

TEST(LogTextFormat, OneDecimalRoundsHalvesAwayFromZero)
{
    EXPECT_EQ(formatOneDecimal(100, "."), "100.0");
    EXPECT_EQ(formatOneDecimal(99.956, "."), "100.0");
    EXPECT_EQ(formatOneDecimal(0.25, "."), "0.3");
    EXPECT_EQ(formatOneDecimal(-0.25, "."), "-0.3");
    EXPECT_EQ(formatOneDecimal(-1.04, "."), "-1.0");
    EXPECT_EQ(formatOneDecimal(-0.04, "."), "0.0");
    EXPECT_EQ(formatOneDecimal(0, "."), "0.0");
}

TEST(LogTextFormat, TimeStampIsShortDateSpaceLongTime)
{
    TLocaleFormats posix; // the C library's own patterns
    EXPECT_EQ(formatTimeStamp(at(2026, 3, 9, 14, 5, 7), posix), "03/09/26 14:05:07");

    TLocaleFormats german{"%d.%m.%Y", "%T", ","};
    EXPECT_EQ(formatTimeStamp(at(2026, 3, 9, 14, 5, 7), german), "09.03.2026 14:05:07");

    TLocaleFormats american{"%m/%d/%Y", "%I:%M:%S %p", "."};
    EXPECT_EQ(formatTimeStamp(at(2026, 12, 31, 23, 59, 59), american), "12/31/2026 11:59:59 PM");
}

TEST(LogTextFormat, TimeIsLeftOutOnlyAtExactlyMidnight)
{
    TLocaleFormats german{"%d.%m.%Y", "%T", ","};
    EXPECT_EQ(formatTimeStamp(at(2026, 1, 1, 0, 0, 0), german), "01.01.2026");
    EXPECT_EQ(formatTimeStamp(at(2026, 1, 1, 0, 0, 0, 1), german), "01.01.2026 00:00:00");
    EXPECT_EQ(formatTimeStamp(at(2026, 1, 1, 0, 0, 1), german), "01.01.2026 00:00:01");
    EXPECT_EQ(formatTimeStamp(at(2026, 1, 1, 12, 0, 0), german), "01.01.2026 12:00:00");
}

} // namespace
