#include "RateScale.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Texts = std::vector<std::string>;

// A narrow font: 5 pixels a character, 2 for the decimal point, and the
// column the window gives a scale at 100 % less a pixel each side.
int narrowWidth(const std::string& text)
{
    int width = 0;
    for (const char c : text)
        width += c == '.' ? 2 : 5;
    return width;
}
constexpr int kColumn = 24;

struct SpeedCase
{
    const char* what;
    std::int64_t kbps;
    TRateUnit unit;
    int ticks;
    Texts texts;
    double topBytesPerSecond;
    bool plainDigits;
};

const TRateUnit kb = TRateUnit::KibibytesPerSecond;
const TRateUnit mbit = TRateUnit::MegabitsPerSecond;
const TRateUnit mb = TRateUnit::MegabytesPerSecond;

const SpeedCase kSpeedCases[] = {
    // The digits kb/s always had, where they divide the top and fit.
    {"128 kbps", 128, kb, 8, {"0", "2", "4", "6", "8", "10", "12", "14", "16"}, 16384, true},
    {"1024 kbps",
     1024,
     kb,
     8,
     {"0", "16", "32", "48", "64", "80", "96", "112", "128"},
     131072,
     true},
    {"65536 kbps",
     65536,
     kb,
     8,
     {"0", "1024", "2048", "3072", "4096", "5120", "6144", "7168", "8192"},
     8388608,
     true},
    // Round steps at real link speeds, top at the line's rate or just above.
    {"1 Mbit/s kb/s", 1000, kb, 8, {"0", "25", "50", "75", "100", "125"}, 128000, false},
    {"1 Mbit/s Mbit/s", 1000, mbit, 8, {"0.0", "0.2", "0.4", "0.6", "0.8", "1.0"}, 125000, false},
    {"1 Mbit/s MB/s",
     1000,
     mb,
     8,
     {"0.000", "0.025", "0.050", "0.075", "0.100", "0.125"},
     125000,
     false},
    {"100 Mbit/s kb/s",
     100000,
     kb,
     8,
     {"0", "2.5k", "5k", "7.5k", "10k", "12.5k"},
     12800000,
     false},
    {"100 Mbit/s Mbit/s", 100000, mbit, 8, {"0", "20", "40", "60", "80", "100"}, 12.5e6, false},
    {"100 Mbit/s MB/s", 100000, mb, 8, {"0.0", "2.5", "5.0", "7.5", "10.0", "12.5"}, 12.5e6, false},
    {"1 Gbit/s kb/s", 1000000, kb, 8, {"0", "25k", "50k", "75k", "100k", "125k"}, 128000000, false},
    {"1 Gbit/s Mbit/s", 1000000, mbit, 8, {"0", "200", "400", "600", "800", "1000"}, 125e6, false},
    {"1 Gbit/s MB/s", 1000000, mb, 8, {"0", "25", "50", "75", "100", "125"}, 125e6, false},
    {"10 Gbit/s kb/s",
     10000000,
     kb,
     8,
     {"0", "250k", "500k", "750k", "1M", "1.25M"},
     1280000000,
     false},
    {"10 Gbit/s Mbit/s", 10000000, mbit, 8, {"0", "2k", "4k", "6k", "8k", "10k"}, 1.25e9, false},
    {"10 Gbit/s MB/s", 10000000, mb, 8, {"0", "250", "500", "750", "1000", "1250"}, 1.25e9, false},
    // A 1024 kbit/s line in the other units: the next round top.
    {"1024 kbps Mbit/s",
     1024,
     mbit,
     8,
     {"0.0", "0.2", "0.4", "0.6", "0.8", "1.0", "1.2"},
     150000,
     false},
    // Half-height sets: three intervals, 128 does not divide by them.
    {"1024 kbps half", 1024, kb, 3, {"0", "50", "100", "150"}, 153600, false},
    {"1 Gbit/s half Mbit/s", 1000000, mbit, 3, {"0", "500", "1000"}, 125e6, false},
    {"24576 kbps half", 24576, kb, 3, {"0", "1024", "2048", "3072"}, 3145728, true},
    // No speed at all still draws a scale of one unit.
    {"0 kbps", 0, mbit, 8, {"0.0", "0.2", "0.4", "0.6", "0.8", "1.0"}, 125000, false},
};

TEST(RateScale, SpeedScalesAreRoundCompleteAndFit)
{
    for (const SpeedCase& c : kSpeedCases) {
        SCOPED_TRACE(c.what);
        const RateScale::TScaleLabels labels =
            RateScale::speedScale(c.kbps, c.unit, c.ticks, narrowWidth, kColumn);
        EXPECT_EQ(labels.texts, c.texts);
        EXPECT_EQ(labels.ticks + 1, static_cast<int>(labels.texts.size()));
        EXPECT_NEAR(labels.topBytesPerSecond, c.topBytesPerSecond, 1e-6 * c.topBytesPerSecond);
        EXPECT_EQ(labels.plainDigits, c.plainDigits);
        for (const std::string& text : labels.texts)
            EXPECT_LE(narrowWidth(text), kColumn) << text;
    }
}

TEST(RateScale, DigitsThatDoNotFitAreNotKept)
{
    // 1,000,000 kbps in kb/s divides by 8, but "125000" is wider than the
    // column: round steps instead, shortened.
    const auto labels = RateScale::speedScale(1000000, kb, 8, narrowWidth, kColumn);
    EXPECT_FALSE(labels.plainDigits);
    EXPECT_EQ(labels.texts.back(), "125k");
    // A wider column keeps them.
    const auto wide = RateScale::speedScale(1000000, kb, 8, narrowWidth, 40);
    EXPECT_TRUE(wide.plainDigits);
    EXPECT_EQ(wide.texts.back(), "125000");
}

TEST(RateScale, NoWidthMeansEverythingFits)
{
    const auto labels = RateScale::speedScale(10000000, mbit, 8, {}, 0);
    EXPECT_EQ(labels.texts, (Texts{"0", "2000", "4000", "6000", "8000", "10000"}));
}

struct LiveCase
{
    const char* what;
    double top;
    TRateUnit unit;
    int ticks;
    Texts texts;
};

const LiveCase kLiveCases[] = {
    // The live maximum in bytes per second, written in the rate labels' unit.
    {"5000 B/s kb/s", 5000, kb, 8, {"0.0", "0.6", "1.2", "1.8", "2.4", "3.1", "3.7", "4.3", "4.9"}},
    {"125000 B/s Mbit/s",
     125000,
     mbit,
     8,
     {"0.0", "0.1", "0.3", "0.4", "0.5", "0.6", "0.8", "0.9", "1.0"}},
    {"131072 B/s kb/s", 131072, kb, 8, {"0", "16", "32", "48", "64", "80", "96", "112", "128"}},
    {"1.25e9 B/s Mbit/s", 1.25e9, mbit, 4, {"0", "2.5k", "5k", "7.5k", "10k"}},
    // Too small to fit at all: the shortest honest texts.
    {"1 B/s kb/s", 1, kb, 3, {"0", "0.0003", "0.0007", "0.001"}},
};

TEST(RateScale, LiveScalesFollowTheirMaximumInTheUnit)
{
    for (const LiveCase& c : kLiveCases) {
        SCOPED_TRACE(c.what);
        const auto labels = RateScale::fixedScale(c.top, c.unit, c.ticks, narrowWidth, kColumn);
        EXPECT_EQ(labels.texts, c.texts);
        EXPECT_EQ(labels.topBytesPerSecond, c.top);
    }
}

TEST(RateScale, Abbreviations)
{
    const std::pair<double, const char*> rows[] = {
        {0, "0"},       {999, "999"},       {1000, "1k"},       {2500, "2.5k"},
        {999999, "1M"}, {1250000, "1.25M"}, {1e9, "1G"},        {12.5e9, "12.5G"},
        {-2000, "-2k"}, {0.25, "0.25"},     {1234567, "1.23M"},
    };
    for (const auto& [value, text] : rows)
        EXPECT_EQ(RateScale::abbreviated(value, 2), text) << value;
}

} // namespace
