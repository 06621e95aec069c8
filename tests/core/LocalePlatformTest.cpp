#include "LocalePlatform.h"
#include "GeneratedLocale.h"

#include <gtest/gtest.h>

#include <chrono>

#include <ctime>

// glibc's newlocale keeps the parsed LOCPATH list that GeneratedLocale sets;
// that is the C library's allocation, not one of ours.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:__argz_add_sep\n";
}

namespace {

TEST(LocalePlatform, PosixLocaleGivesTheCLibraryPatterns)
{
    const locale_t posix = ::newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    ASSERT_NE(posix, locale_t(nullptr));
    const locale_t previous = ::uselocale(posix);
    const TLocaleFormats formats = currentLocaleFormats();
    ::uselocale(previous);
    ::freelocale(posix);
    EXPECT_EQ(formats.shortDate, "%m/%d/%y");
    EXPECT_EQ(formats.longTime, "%H:%M:%S");
    EXPECT_EQ(formats.decimalPoint, ".");
}

TEST(LocalePlatform, GermanLocaleWritesItsDateAndDecimalComma)
{
    GeneratedLocale german("de_DE", "de_DE.UTF-8");
    if (!german.valid())
        GTEST_SKIP() << "cannot compile de_DE (package locales missing)";
    const TLocaleFormats formats = currentLocaleFormats();
    EXPECT_EQ(formats.decimalPoint, ",");
    TLocalDateTime when;
    when.time.tm_year = 2026 - 1900;
    when.time.tm_mon = 2;
    when.time.tm_mday = 9;
    when.time.tm_hour = 7;
    when.time.tm_min = 5;
    when.time.tm_sec = 3;
    EXPECT_EQ(LogTextFormat::formatTimeStamp(when, formats), "09.03.2026 07:05:03");
    // The C library's own number formatting follows the locale as well; the
    // text must carry exactly one separator, the locale's.
    EXPECT_EQ(LogTextFormat::formatGeneral(1.25, formats.decimalPoint), "1,25");
    EXPECT_EQ(LogTextFormat::formatGeneral(1.5e-7, formats.decimalPoint), "1,5E-7");
    EXPECT_EQ(LogTextFormat::formatOneDecimal(2.25, formats.decimalPoint), "2,3");
    EXPECT_EQ(LogTextFormat::formatOneDecimal(1e20, formats.decimalPoint),
              "100000000000000000000,0");
}

TEST(LocalePlatform, NowIsTheLocalCalendarTime)
{
    // The precise wall clock, as localNow reads it: time() may read a coarse
    // clock that lags it by a few milliseconds across a second's boundary.
    using Clock = std::chrono::system_clock;
    const std::time_t before = Clock::to_time_t(Clock::now());
    const TLocalDateTime now = localNow();
    const std::time_t after = Clock::to_time_t(Clock::now());
    std::tm copy = now.time;
    const std::time_t seconds = std::mktime(&copy);
    EXPECT_GE(seconds, before);
    EXPECT_LE(seconds, after);
    EXPECT_GE(now.milliseconds, 0);
    EXPECT_LT(now.milliseconds, 1000);
}

} // namespace
