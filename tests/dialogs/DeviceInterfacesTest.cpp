#include "DeviceInterfaces.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

using DeviceInterfaces::CounterSnapshot;

TEST(DeviceInterfaces, entryTextAddsNameAndAliasOnlyWhenTheySaySomething)
{
    struct Case
    {
        DeviceInterface interface;
        const char* text;
    };
    const Case cases[] = {
        {{3, "eth0", "", ""}, "Interface 3 is eth0"},
        {{3, "eth0", "eth0", ""}, "Interface 3 is eth0"},
        {{3, "eth0", "wan", ""}, "Interface 3 is eth0 - wan"},
        {{3, "eth0", "", "Internet"}, "Interface 3 is eth0 \"Internet\""},
        {{12, "Intel 82574L", "eth1", "to the modem"},
         "Interface 12 is Intel 82574L - eth1 \"to the modem\""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DeviceInterfaces::entryText(c.interface), c.text);
}

TEST(DeviceInterfaces, ratesOfTwoReadingsPerInterface)
{
    constexpr uint64_t kTop64 = std::numeric_limits<uint64_t>::max();
    struct Case
    {
        const char* what;
        CounterSnapshot first, second;
        double seconds;
        std::map<int32_t, double> rates;
    };
    const Case cases[] = {
        {"plain",
         {CounterWidth::Bits64, {{1, 100}, {3, 1000}}},
         {CounterWidth::Bits64, {{1, 100}, {3, 5000}}},
         2,
         {{1, 0}, {3, 2000}}},
        {"32-bit sum past its top",
         {CounterWidth::Bits32, {{2, 0xFFFFFF00u}}},
         {CounterWidth::Bits32, {{2, 0x100}}},
         1,
         {{2, 512}}},
        {"64-bit past its top",
         {CounterWidth::Bits64, {{2, kTop64 - 9}}},
         {CounterWidth::Bits64, {{2, 10}}},
         1,
         {{2, 20}}},
        {"64-bit back: reset",
         {CounterWidth::Bits64, {{2, 1ull << 60}}},
         {CounterWidth::Bits64, {{2, 10}}},
         1,
         {{2, 0}}},
        {"new interface has no rate",
         {CounterWidth::Bits64, {{1, 0}}},
         {CounterWidth::Bits64, {{1, 0}, {9, 500}}},
         1,
         {{1, 0}}},
        {"widths differ",
         {CounterWidth::Bits32, {{1, 0}}},
         {CounterWidth::Bits64, {{1, 5}}},
         1,
         {}},
        {"no time passed",
         {CounterWidth::Bits64, {{1, 0}}},
         {CounterWidth::Bits64, {{1, 5}}},
         0,
         {{1, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(DeviceInterfaces::rates(c.first, c.second, c.seconds), c.rates);
    }
}

} // namespace
