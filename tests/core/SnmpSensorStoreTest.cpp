#include "SnmpSensorStore.h"
#include "util/StoreFixture.h"

#include "srcGeneral.h"
#include "srcRegOptions.h"

#include <gtest/gtest.h>

namespace {

class SnmpSensorStoreTest : public StoreFixture
{
};

int32_t storedVersion(std::size_t sensor)
{
    int32_t value = -1;
    EXPECT_TRUE(regVariantToInt(
        ReadRegValue(HKEY_CURRENT_USER, sensorKeyPath(sensor), "SnmpVersion"), value));
    return value;
}

// An older store has no version: every sensor stays SNMPv1, and anything
// but the two wire values is healed to it.
TEST_F(SnmpSensorStoreTest, VersionLoadsAndHeals)
{
    struct Case
    {
        const char* what;
        bool write;
        TRegVariant stored;
        int32_t loaded;
    };
    const Case cases[] = {
        {"missing", false, {}, 0},          {"v1", true, int32_t(0), 0},
        {"v2c", true, int32_t(1), 1},       {"version 3", true, int32_t(3), 0},
        {"negative", true, int32_t(-1), 0}, {"text", true, std::string("v2c"), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TMonitorSettings settings;
        settings.resizeSensors(2);
        settings.Sensors[1].SnmpVersion = 1; // memory is replaced, not kept
        if (c.write) {
            const bool text = std::holds_alternative<std::string>(c.stored);
            if (text)
                WriteRegValue(HKEY_CURRENT_USER, sensorKeyPath(1), "SnmpVersion",
                              std::get<std::string>(c.stored), rdString);
            else
                WriteRegValue(HKEY_CURRENT_USER, sensorKeyPath(1), "SnmpVersion",
                              std::get<int32_t>(c.stored), rdInteger);
        }
        SnmpSensorStore::load(settings);
        EXPECT_EQ(settings.Sensors[0].SnmpVersion, 0);
        EXPECT_EQ(settings.Sensors[1].SnmpVersion, c.loaded);
        EXPECT_EQ(storedVersion(0), 0);
        EXPECT_EQ(storedVersion(1), c.loaded);
    }
}

TEST_F(SnmpSensorStoreTest, SavedVersionsAndFollowedIndexLoadBack)
{
    TMonitorSettings settings;
    settings.resizeSensors(3);
    settings.Sensors[0].SnmpVersion = 1;
    settings.Sensors[2].SnmpVersion = 1;
    SnmpSensorStore::save(settings);

    settings.Sensors[2].Sensor = "17";
    WriteRegValue(HKEY_CURRENT_USER, sensorKeyPath(2), "HostName", std::string("Router"), rdString);
    SnmpSensorStore::saveSensorIndex(2, settings.Sensors[2]);

    TMonitorSettings loaded;
    loaded.resizeSensors(3);
    SnmpSensorStore::load(loaded);
    EXPECT_EQ(loaded.Sensors[0].SnmpVersion, 1);
    EXPECT_EQ(loaded.Sensors[1].SnmpVersion, 0);
    EXPECT_EQ(loaded.Sensors[2].SnmpVersion, 1);
    std::string index;
    EXPECT_TRUE(
        regVariantToText(ReadRegValue(HKEY_CURRENT_USER, sensorKeyPath(2), "Sensor"), index));
    EXPECT_EQ(index, "17");
    // Only the number was written: the sensor's other values stay.
    EXPECT_NE(storeText().find("\"HostName\"=\"Router\""), std::string::npos);
}

} // namespace
