#include "OptionsWorkingCopy.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

// A store of sensors "a", "b", "c"... each with a poll state the dialog never
// edits and a usage entry whose period start day tells which sensor it is.
struct Store
{
    TMonitorSettings settings;
    TUsageSettings usage;
};

Store storeOf(const std::string& names)
{
    Store store;
    store.settings.resizeSensors(int32_t(names.size()));
    for (std::size_t i = 0; i < names.size(); ++i) {
        TSensorRecord& r = store.settings.Sensors[i];
        r.HostName = std::string(1, names[i]);
        r.Active = i == 0;
        r.DownSpeed = 1000 * int64_t(i + 1);
        r.UpSpeed = 100 * int64_t(i + 1);
        r.PrevDownCount = 7;
        r.LastAgentUpTime = 42;
        store.usage.Sensors.push_back({int32_t(i + 1), int32_t(10 * (i + 1)), TQuotaKind::Both});
    }
    store.settings.TrayDownSpeed = 1;
    store.settings.TrayUpSpeed = 2;
    store.usage.RateUnit = TRateUnit::KibibytesPerSecond;
    return store;
}

std::string namesOf(const OptionsWorkingCopy& work)
{
    std::string names;
    for (const TSensorConfig& entry : work.sensors())
        names += entry.HostName;
    return names;
}

// The usage entries as the sensors they were loaded with ('a' + day - 1);
// '+' for an entry with the defaults.
std::string usageOf(const TUsageSettings& usage)
{
    std::string names;
    for (const TSensorUsageSettings& entry : usage.Sensors)
        names += entry.QuotaGB == 0 ? '+' : char('a' + entry.PeriodStartDay - 1);
    return names;
}

TEST(OptionsWorkingCopy, AddRemoveAndMoveKeepTheListsAligned)
{
    struct Step
    {
        const char* what;
        void (*edit)(OptionsWorkingCopy&);
        const char* sensors; // after the step
        const char* usage;
    };
    // clang-format off
    const std::vector<Step> steps = {
        {"loaded", [](OptionsWorkingCopy&) {}, "abc", "abc"},
        {"first down", [](OptionsWorkingCopy& w) { w.swap(0, 1); }, "bac", "bac"},
        {"last up", [](OptionsWorkingCopy& w) { w.swap(2, 1); }, "bca", "bca"},
        {"added by the device dialog",
         [](OptionsWorkingCopy& w) { w.sensors().push_back({}); w.sensors().back().HostName = "d"; w.align(); },
         "bcad", "bca+"},
        {"the new one up", [](OptionsWorkingCopy& w) { w.swap(3, 2); }, "bcda", "bc+a"},
        {"middle removed", [](OptionsWorkingCopy& w) { w.remove(1); }, "bda", "b+a"},
        {"first removed", [](OptionsWorkingCopy& w) { w.remove(0); }, "da", "+a"},
        {"last removed", [](OptionsWorkingCopy& w) { w.remove(1); }, "d", "+"},
        {"a move outside refused, nothing moves",
         [](OptionsWorkingCopy& w) { EXPECT_THROW(w.swap(0, 1), std::out_of_range); }, "d", "+"},
        {"a remove outside refused", [](OptionsWorkingCopy& w) {
             EXPECT_THROW(w.remove(-1), std::out_of_range);
             EXPECT_THROW(w.remove(1), std::out_of_range); }, "d", "+"},
        {"the last one removed", [](OptionsWorkingCopy& w) { w.remove(0); }, "", ""},
        {"nothing left to remove",
         [](OptionsWorkingCopy& w) { EXPECT_THROW(w.remove(0), std::out_of_range); }, "", ""},
    };
    // clang-format on
    const Store store = storeOf("abc");
    OptionsWorkingCopy work;
    work.load(store.settings, store.usage);
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.edit(work);
        EXPECT_EQ(namesOf(work), step.sensors);
        EXPECT_EQ(usageOf(work.usage()), step.usage);
    }
}

TEST(OptionsWorkingCopy, AStoreWithFewerUsageEntriesGetsTheDefaults)
{
    Store store = storeOf("abc");
    store.usage.Sensors.resize(1);
    OptionsWorkingCopy work;
    work.load(store.settings, store.usage);
    EXPECT_EQ(usageOf(work.usage()), "a++");
    // The usage page handing back a shorter list is aligned too.
    TUsageSettings page = work.usage();
    page.Sensors.clear();
    work.setUsage(page);
    EXPECT_EQ(usageOf(work.usage()), "+++");
}

TEST(OptionsWorkingCopy, CancelLeavesTheStoreUntouched)
{
    Store store = storeOf("abc");
    const Store before = storeOf("abc");
    OptionsWorkingCopy work;
    work.load(store.settings, store.usage);
    work.sensors()[1].HostName = "changed";
    work.sensors()[2].Active = true;
    work.swap(0, 2);
    work.remove(1);
    TUsageSettings page = work.usage();
    page.RateUnit = TRateUnit::MegabitsPerSecond;
    work.setUsage(page);
    // Cancel writes nothing: the store is what it was.
    ASSERT_EQ(store.settings.Sensors.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(TSensorConfig::fromRecord(store.settings.Sensors[i]) ==
                    TSensorConfig::fromRecord(before.settings.Sensors[i]));
    }
    EXPECT_EQ(usageOf(store.usage), "abc");
    EXPECT_EQ(store.usage.RateUnit, TRateUnit::KibibytesPerSecond);
}

TEST(OptionsWorkingCopy, OkWritesExactlyTheChanges)
{
    struct Case
    {
        const char* what;
        void (*edit)(OptionsWorkingCopy&);
        const char* sensors; // the store's sensors afterwards
        const char* usage;
        std::vector<bool> active;
        int32_t trayDown;
        int32_t trayUp;
        std::vector<std::size_t> changed; // the records whose stored fields differ
    };
    // clang-format off
    const std::vector<Case> cases = {
        {"nothing edited: the same values", [](OptionsWorkingCopy&) {},
         "abc", "abc", {true, false, false}, 1000, 100, {}},
        {"one field of one sensor", [](OptionsWorkingCopy& w) { w.sensors()[1].SteadyRates = false; },
         "abc", "abc", {true, false, false}, 1000, 100, {1}},
        {"activated", [](OptionsWorkingCopy& w) { w.sensors()[2].Active = true; },
         "abc", "abc", {true, false, true}, 1000, 100, {2}},
        {"moved: the tray follows the new first", [](OptionsWorkingCopy& w) { w.swap(0, 1); },
         "bac", "bac", {false, true, false}, 2000, 200, {0, 1}},
        {"removed", [](OptionsWorkingCopy& w) { w.remove(0); },
         "bc", "bc", {false, false}, 2000, 200, {0, 1}},
        {"added", [](OptionsWorkingCopy& w) {
             w.sensors().push_back({}); w.sensors().back().HostName = "d"; w.align(); },
         "abcd", "abc+", {true, false, false, false}, 1000, 100, {3}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Store store = storeOf("abc");
        const Store before = storeOf("abc");
        OptionsWorkingCopy work;
        work.load(store.settings, store.usage);
        c.edit(work);
        work.writeSensors(store.settings);
        work.writeUsage(store.usage);

        std::string names;
        std::vector<bool> active;
        for (const TSensorRecord& r : store.settings.Sensors) {
            names += r.HostName;
            active.push_back(r.Active);
        }
        EXPECT_EQ(names, c.sensors);
        EXPECT_EQ(store.settings.NumberOfHosts, int32_t(names.size()));
        EXPECT_EQ(active, c.active);
        EXPECT_EQ(usageOf(store.usage), c.usage);
        EXPECT_EQ(store.settings.TrayDownSpeed, c.trayDown);
        EXPECT_EQ(store.settings.TrayUpSpeed, c.trayUp);
        std::vector<std::size_t> changed;
        for (std::size_t i = 0; i < store.settings.Sensors.size(); ++i) {
            const TSensorRecord& r = store.settings.Sensors[i];
            if (i >= before.settings.Sensors.size() ||
                TSensorConfig::fromRecord(r) !=
                    TSensorConfig::fromRecord(before.settings.Sensors[i]))
                changed.push_back(i);
            // What the dialog does not edit stays with the array position.
            if (i < before.settings.Sensors.size()) {
                EXPECT_EQ(r.PrevDownCount, 7);
                EXPECT_EQ(r.LastAgentUpTime, 42);
            }
        }
        EXPECT_EQ(changed, c.changed);
    }
}

TEST(OptionsWorkingCopy, WriteActiveTouchesOnlyCountAndActiveFlags)
{
    Store store = storeOf("abc");
    OptionsWorkingCopy work;
    work.load(store.settings, store.usage);
    work.remove(0);
    work.sensors()[0].Active = true;
    work.writeActive(store.settings);
    ASSERT_EQ(store.settings.Sensors.size(), 2u);
    EXPECT_EQ(store.settings.NumberOfHosts, 2);
    // The window rebuilds its graphs from the flags before the rest is written.
    EXPECT_TRUE(store.settings.Sensors[0].Active);
    EXPECT_FALSE(store.settings.Sensors[1].Active);
    EXPECT_EQ(store.settings.Sensors[0].HostName, "a");
    EXPECT_EQ(store.settings.TrayDownSpeed, 1);
}

} // namespace
