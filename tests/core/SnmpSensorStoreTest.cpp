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
// but the three wire values is healed to it.
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
        {"missing", false, {}, 0},
        {"v1", true, int32_t(0), 0},
        {"v2c", true, int32_t(1), 1},
        {"v3", true, int32_t(3), 3},
        {"version 2", true, int32_t(2), 0},
        {"negative", true, int32_t(-1), 0},
        {"text", true, std::string("v2c"), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TMonitorSettings settings;
        settings.resizeSensors(2);
        settings.Sensors[1].SnmpVersion = TSnmpVersion::V2c; // memory is replaced, not kept
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
        EXPECT_EQ(settings.Sensors[0].SnmpVersion, TSnmpVersion::V1);
        EXPECT_EQ(storedNumber(settings.Sensors[1].SnmpVersion), c.loaded);
        EXPECT_EQ(storedVersion(0), 0);
        EXPECT_EQ(storedVersion(1), c.loaded);
    }
}

TEST_F(SnmpSensorStoreTest, SavedVersionsAndFollowedIndexLoadBack)
{
    TMonitorSettings settings;
    settings.resizeSensors(3);
    settings.Sensors[0].SnmpVersion = TSnmpVersion::V2c;
    settings.Sensors[2].SnmpVersion = TSnmpVersion::V2c;
    SnmpSensorStore::save(settings);

    settings.Sensors[2].Sensor = "17";
    WriteRegValue(HKEY_CURRENT_USER, sensorKeyPath(2), "HostName", std::string("Router"), rdString);
    SnmpSensorStore::saveSensorIndex(2, settings.Sensors[2]);

    TMonitorSettings loaded;
    loaded.resizeSensors(3);
    SnmpSensorStore::load(loaded);
    EXPECT_EQ(loaded.Sensors[0].SnmpVersion, TSnmpVersion::V2c);
    EXPECT_EQ(loaded.Sensors[1].SnmpVersion, TSnmpVersion::V1);
    EXPECT_EQ(loaded.Sensors[2].SnmpVersion, TSnmpVersion::V2c);
    std::string index;
    EXPECT_TRUE(
        regVariantToText(ReadRegValue(HKEY_CURRENT_USER, sensorKeyPath(2), "Sensor"), index));
    EXPECT_EQ(index, "17");
    // Only the number was written: the sensor's other values stay.
    EXPECT_NE(storeText().find("\"HostName\"=\"Router\""), std::string::npos);
}

std::string storedText(const char* name)
{
    std::string value;
    EXPECT_TRUE(regVariantToText(ReadRegValue(HKEY_CURRENT_USER, sensorKeyPath(0), name), value));
    return value;
}

// The SNMPv3 user round-trips by name; a missing or unknown name is healed to
// the default and written back; passwords never reach the store and the ones
// in memory survive a load.
TEST_F(SnmpSensorStoreTest, V3UserLoadsHealsAndKeepsPasswordsOut)
{
    TMonitorSettings settings;
    settings.resizeSensors(1);
    SnmpV3User& user = settings.Sensors[0].V3;
    user = {"ops",          SecurityLevel::AuthNoPriv, AuthProtocol::SHA512,
            "authsecret-1", PrivProtocol::DES,         "privsecret-2"};
    settings.Sensors[0].SnmpVersion = TSnmpVersion::V3;
    SnmpSensorStore::save(settings);
    EXPECT_EQ(storeText().find("secret"), std::string::npos);

    SnmpSensorStore::load(settings);
    EXPECT_EQ(user.UserName, "ops");
    EXPECT_EQ(user.Level, SecurityLevel::AuthNoPriv);
    EXPECT_EQ(user.Auth, AuthProtocol::SHA512);
    EXPECT_EQ(user.Priv, PrivProtocol::DES);
    EXPECT_EQ(user.AuthPassword, "authsecret-1");
    EXPECT_EQ(user.PrivPassword, "privsecret-2");

    WriteRegValue(HKEY_CURRENT_USER, sensorKeyPath(0), "V3AuthProtocol", std::string("sha256"),
                  rdString);
    WriteRegValue(HKEY_CURRENT_USER, sensorKeyPath(0), "V3SecurityLevel", int32_t(3), rdInteger);
    SnmpSensorStore::load(settings);
    EXPECT_EQ(user.Auth, AuthProtocol::SHA256);
    EXPECT_EQ(user.Level, SecurityLevel::AuthPriv);
    EXPECT_EQ(user.Priv, PrivProtocol::DES);
    EXPECT_EQ(storedText("V3AuthProtocol"), "SHA-256");
    EXPECT_EQ(storedText("V3SecurityLevel"), "authPriv");

    TMonitorSettings fresh;
    fresh.resizeSensors(2);
    SnmpSensorStore::load(fresh);
    EXPECT_EQ(fresh.Sensors[1].V3.UserName, "");
    EXPECT_EQ(fresh.Sensors[1].V3.Level, SecurityLevel::AuthPriv);
    EXPECT_EQ(fresh.Sensors[1].V3.Auth, AuthProtocol::SHA256);
    EXPECT_EQ(fresh.Sensors[1].V3.Priv, PrivProtocol::AES128);
}

} // namespace
