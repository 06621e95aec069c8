#include "BillingPeriod.h"

#include <gtest/gtest.h>

namespace {

struct PeriodCase
{
    int32_t day;
    int startDay;
    int32_t first;
    int32_t next;
    int32_t previousFirst;
};

const PeriodCase kPeriods[] = {
    // Start on the 1st: calendar months.
    {20260115, 1, 20260101, 20260201, 20251201},
    {20260101, 1, 20260101, 20260201, 20251201},
    {20261231, 1, 20261201, 20270101, 20261101},
    // Start on the 15th: the 14th still belongs to the period before.
    {20260314, 15, 20260215, 20260315, 20260115},
    {20260315, 15, 20260315, 20260415, 20260215},
    {20260105, 15, 20251215, 20260115, 20251115},
    // Start on the 31st: February has none, its period starts on its last day.
    {20260227, 31, 20260131, 20260228, 20251231},
    {20260228, 31, 20260228, 20260331, 20260131},
    {20280229, 31, 20280229, 20280331, 20280131}, // leap year
    {20280228, 31, 20280131, 20280229, 20271231},
    {20260430, 31, 20260430, 20260531, 20260331}, // April has 30 days
    // Start on the 30th in February and March.
    {20260301, 30, 20260228, 20260330, 20260130},
    // Out of range start days count as 1.
    {20260210, 0, 20260201, 20260301, 20260101},
    {20260210, 32, 20260201, 20260301, 20260101},
};

TEST(BillingPeriodTest, PeriodBoundaries)
{
    for (const PeriodCase& c : kPeriods) {
        const TBillingPeriod p =
            TBillingPeriod::containing(TCalendarDay::fromKey(c.day), c.startDay);
        EXPECT_EQ(p.first.key(), c.first) << c.day << " start " << c.startDay;
        EXPECT_EQ(p.next.key(), c.next) << c.day << " start " << c.startDay;
        EXPECT_TRUE(p.contains(TCalendarDay::fromKey(c.day)));
        const TBillingPeriod before = p.previous(c.startDay);
        EXPECT_EQ(before.first.key(), c.previousFirst) << c.day << " start " << c.startDay;
        // Periods follow one another without gap or overlap.
        EXPECT_EQ(before.next.key(), p.first.key()) << c.day;
    }
}

TEST(BillingPeriodTest, EveryDayOfSeveralYearsLiesInExactlyOnePeriod)
{
    for (int startDay = 1; startDay <= 31; ++startDay) {
        TCalendarDay day{2027, 12, 25};
        TBillingPeriod p = TBillingPeriod::containing(day, startDay);
        for (int i = 0; i < 3 * 366; ++i) {
            day = day.plusDays(1);
            if (!p.contains(day)) {
                const TBillingPeriod following = TBillingPeriod::containing(day, startDay);
                ASSERT_EQ(following.first.key(), p.next.key()) << day.text() << " " << startDay;
                ASSERT_EQ(following.first.key(), day.key());
                ASSERT_GE(following.days(), 28);
                ASSERT_LE(following.days(), 31);
                p = following;
            }
        }
    }
}

TEST(BillingPeriodTest, CalendarSerialsRoundTrip)
{
    for (int64_t serial = -800000; serial < 800000; serial += 17) {
        const TCalendarDay d = TCalendarDay::fromSerial(serial);
        ASSERT_EQ(d.serial(), serial);
        ASSERT_GE(d.day, 1);
        ASSERT_LE(d.day, daysInMonth(d.year, d.month));
    }
    EXPECT_EQ((TCalendarDay{1970, 1, 1}.serial()), 0);
    EXPECT_EQ((TCalendarDay{2000, 3, 1}.serial() - TCalendarDay{2000, 2, 28}.serial()), 2);
    EXPECT_EQ((TCalendarDay{1900, 3, 1}.serial() - TCalendarDay{1900, 2, 28}.serial()), 1);
}

struct ProjectionCase
{
    double used;
    double elapsed;
    double period;
    double expected;
};

TEST(BillingPeriodTest, ProjectionToThePeriodEnd)
{
    const ProjectionCase cases[] = {
        {10e9, 10 * 86400.0, 30 * 86400.0, 30e9}, // a third of the way: three times
        {10e9, 30 * 86400.0, 30 * 86400.0, 10e9}, // at the end: what was used
        {5e9, 0, 30 * 86400.0, 5e9},              // no time passed: nothing to project
        {0, 86400.0, 30 * 86400.0, 0},
    };
    for (const ProjectionCase& c : cases)
        EXPECT_DOUBLE_EQ(projectToPeriodEnd(c.used, c.elapsed, c.period), c.expected);
}

} // namespace
