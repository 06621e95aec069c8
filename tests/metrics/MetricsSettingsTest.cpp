#include "MetricsSettings.h"
#include "util/StoreFixture.h"

#include "srcGeneral.h"
#include "srcRegOptions.h"

#include <gtest/gtest.h>

namespace {

class MetricsSettingsTest : public StoreFixture
{
};

TEST_F(MetricsSettingsTest, AnOlderStoreGetsTheDefaultsAppended)
{
    WriteRegValue(HKEY_CURRENT_USER, kSettingsKey, "LatencyHost", std::string("example.org"),
                  rdString);
    const TMetricsSettings loaded = MetricsSettingsStore::load(true);
    EXPECT_FALSE(loaded.Enabled);
    EXPECT_EQ(loaded.Address, "127.0.0.1");
    EXPECT_EQ(loaded.Port, 9741);
    // Written after every older value, in their order.
    const std::string text = storeText();
    const auto older = text.find("\"LatencyHost\"");
    const auto enabled = text.find("\"MetricsEnabled\"=hex:");
    const auto address = text.find("\"MetricsAddress\"=\"127.0.0.1\"");
    const auto port = text.find("\"MetricsPort\"=dword:0000260d");
    ASSERT_NE(older, std::string::npos);
    ASSERT_NE(enabled, std::string::npos) << text;
    ASSERT_NE(address, std::string::npos) << text;
    ASSERT_NE(port, std::string::npos) << text;
    EXPECT_LT(older, enabled);
    EXPECT_LT(enabled, address);
    EXPECT_LT(address, port);
}

TEST_F(MetricsSettingsTest, WithoutHealingTheStoreIsNotWritten)
{
    MetricsSettingsStore::load(false);
    EXPECT_FALSE(std::filesystem::exists(storeFile()));
}

TEST_F(MetricsSettingsTest, SavedValuesComeBack)
{
    TMetricsSettings saved;
    saved.Enabled = true;
    saved.Address = "192.0.2.7";
    saved.Port = 65535;
    MetricsSettingsStore::save(saved);
    EXPECT_EQ(MetricsSettingsStore::load(false), saved);
}

struct PortCase
{
    int32_t stored;
    int32_t loaded;
};

TEST_F(MetricsSettingsTest, PortsOutsideOneTo65535TakeTheDefault)
{
    const PortCase cases[] = {{0, 9741}, {1, 1}, {65535, 65535}, {65536, 9741}, {-1, 9741}};
    for (const PortCase& c : cases) {
        WriteRegValue(HKEY_CURRENT_USER, kSettingsKey, "MetricsPort", c.stored, rdInteger);
        EXPECT_EQ(MetricsSettingsStore::load(true).Port, c.loaded) << c.stored;
    }
    // A port of another kind is as unusable as a missing one.
    WriteRegValue(HKEY_CURRENT_USER, kSettingsKey, "MetricsPort", std::string("80"), rdString);
    EXPECT_EQ(MetricsSettingsStore::load(true).Port, 80) << "a decimal text is read as a number";
    WriteRegValue(HKEY_CURRENT_USER, kSettingsKey, "MetricsPort", std::string("eighty"), rdString);
    EXPECT_EQ(MetricsSettingsStore::load(true).Port, 9741);
}

struct AddressCase
{
    const char* address;
    bool loopback;
};

TEST(MetricsAddressTest, OnlyLoopbackAddressesStayOnThisComputer)
{
    const AddressCase cases[] = {
        {"127.0.0.1", true},     {"127.255.255.254", true},
        {"127.0.0.92", true},    {"::1", true},
        {"0.0.0.0", false},      {"::", false},
        {"192.168.1.10", false}, {"128.0.0.1", false},
        {"localhost", false},    {"", false},
        {"127.0.0.1 ", false},   {"::ffff:127.0.0.1", false},
    };
    for (const AddressCase& c : cases)
        EXPECT_EQ(MetricsAddress::isLoopback(c.address), c.loopback) << c.address;
}

} // namespace
