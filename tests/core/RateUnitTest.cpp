#include "RateUnit.h"
#include "SensorPoll.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

namespace {

struct LabelCase
{
    double bytesPerSecond;
    TRateUnit unit;
    const char* expected;
};

// Worked by hand: 125000 B/s is exactly 1 Mbit/s and 0.125 MB/s.
const LabelCase kLabels[] = {
    {102355.29, TRateUnit::KibibytesPerSecond, "DL: 100.0 kb/s"},
    {0, TRateUnit::KibibytesPerSecond, "DL: 0.0 kb/s"},
    {125000, TRateUnit::MegabitsPerSecond, "DL: 1.00 Mbit/s"},
    {125000, TRateUnit::MegabytesPerSecond, "DL: 0.13 MB/s"},
    {0, TRateUnit::MegabitsPerSecond, "DL: 0.00 Mbit/s"},
    {12500000, TRateUnit::MegabitsPerSecond, "DL: 100.00 Mbit/s"},
    {1000000, TRateUnit::MegabytesPerSecond, "DL: 1.00 MB/s"},
    {-1250, TRateUnit::MegabitsPerSecond, "DL: -0.01 Mbit/s"},
    {-1, TRateUnit::MegabitsPerSecond, "DL: 0.00 Mbit/s"}, // no "-0.00"
    {1, TRateUnit::KibibytesPerSecond, "DL: 0.0 kb/s"},
};

TEST(RateUnitTest, LabelsInEachUnit)
{
    std::setlocale(LC_ALL, "C");
    for (const LabelCase& c : kLabels)
        EXPECT_EQ(RateUnit::rateLabel("DL: ", c.bytesPerSecond, c.unit), c.expected)
            << c.bytesPerSecond;
}

TEST(RateUnitTest, KibibyteLabelsAreTheOnesThePollAlwaysWrote)
{
    std::setlocale(LC_ALL, "C");
    for (double rate = 0.01; rate < 3e9; rate = rate * 1.37 + 97.3)
        for (const double signedRate : {rate, -rate})
            EXPECT_EQ(RateUnit::rateLabel("UL: ", signedRate, TRateUnit::KibibytesPerSecond),
                      SensorPoll::rateLabel("UL: ", signedRate))
                << signedRate;
}

TEST(RateUnitTest, LabelsKeepTheirWidthWithinADecade)
{
    std::setlocale(LC_ALL, "C");
    for (const TRateUnit unit : {TRateUnit::KibibytesPerSecond, TRateUnit::MegabitsPerSecond,
                                 TRateUnit::MegabytesPerSecond}) {
        // Every rate whose value in the unit lies in [1, 10) has the same
        // length of text: the decimals never drop a trailing zero.
        const double one = 1.0 / RateUnit::inUnit(1.0, unit);
        std::size_t length = 0;
        for (double v = 1.0; v < 9.99; v += 0.25) {
            const std::string text = RateUnit::rateLabel("", v * one, unit);
            if (length == 0)
                length = text.size();
            EXPECT_EQ(text.size(), length) << text;
        }
    }
}

TEST(RateUnitTest, TheLocaleDecimalPointIsUsed)
{
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
        GTEST_SKIP() << "no German locale here";
    EXPECT_EQ(RateUnit::rateLabel("DL: ", 125000, TRateUnit::MegabitsPerSecond), "DL: 1,00 Mbit/s");
    std::setlocale(LC_ALL, "C");
}

struct StoredCase
{
    int32_t stored;
    TRateUnit unit;
};

TEST(RateUnitTest, StoredNumbersOutsideTheChoiceAreTheDefault)
{
    const StoredCase cases[] = {{0, TRateUnit::KibibytesPerSecond},
                                {1, TRateUnit::MegabitsPerSecond},
                                {2, TRateUnit::MegabytesPerSecond},
                                {3, TRateUnit::KibibytesPerSecond},
                                {-1, TRateUnit::KibibytesPerSecond}};
    for (const StoredCase& c : cases)
        EXPECT_EQ(RateUnit::fromStored(c.stored), c.unit) << c.stored;
}

struct ScaleCase
{
    double maxBytesPerSecond;
    TRateUnit unit;
    int decimals;
    double value;
    const char* label;
};

TEST(RateUnitTest, ScaleLabelsShareDecimalsChosenByTheTop)
{
    std::setlocale(LC_ALL, "C");
    const ScaleCase cases[] = {
        {131072, TRateUnit::KibibytesPerSecond, 0, 65536, "64"},
        {12500000, TRateUnit::MegabitsPerSecond, 0, 6250000, "50"}, // top 100 Mbit/s
        {1250000, TRateUnit::MegabitsPerSecond, 1, 625000, "5.0"},  // top 10 Mbit/s
        {125000, TRateUnit::MegabitsPerSecond, 2, 62500, "0.50"},   // top 1 Mbit/s
        {50000, TRateUnit::MegabitsPerSecond, 3, 25000, "0.200"},   // top 0.4 Mbit/s
        {100000000, TRateUnit::MegabytesPerSecond, 0, 50000000, "50"},
    };
    for (const ScaleCase& c : cases) {
        const int decimals = RateUnit::scaleDecimals(c.maxBytesPerSecond, c.unit);
        EXPECT_EQ(decimals, c.decimals) << c.maxBytesPerSecond;
        EXPECT_EQ(RateUnit::scaleLabel(c.value, c.unit, decimals), c.label);
    }
}

} // namespace
