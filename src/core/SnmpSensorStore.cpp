#include "SnmpSensorStore.h"

#include "RegSession.h"
#include "RegVariant.h"
#include "srcGeneral.h"
#include "srcRegOptions.h"

#include <algorithm>

namespace SnmpSensorStore {

namespace {

const char* const kVersionName = "SnmpVersion";
const char* const kUserName = "V3UserName";
const char* const kLevelName = "V3SecurityLevel";
const char* const kAuthName = "V3AuthProtocol";
const char* const kPrivName = "V3PrivProtocol";

// A value read as text; false when it is missing or not text.
bool readText(const std::string& key, const char* name, std::string& text)
{
    try {
        return regVariantToText(ReadRegValue(HKEY_CURRENT_USER, key, name), text);
    } catch (const TRegistryError&) {
        return false;
    }
}

// A protocol or level value: its name parsed with parse, or the default
// written back when the value is missing or names nothing known.
template <typename Value, typename Parse, typename Name>
void loadChoice(const std::string& key, const char* name, Value fallback, Parse parse, Name nameOf,
                Value& value)
{
    std::string text;
    if (readText(key, name, text) && parse(text, value))
        return;
    value = fallback;
    WriteRegValue(HKEY_CURRENT_USER, key, name, nameOf(value), rdString);
}

void loadV3(const std::string& key, SnmpV3User& user)
{
    if (!readText(key, kUserName, user.UserName)) {
        user.UserName.clear();
        WriteRegValue(HKEY_CURRENT_USER, key, kUserName, user.UserName, rdString);
    }
    // A new SNMPv3 sensor is authenticated and private with the current
    // protocols unless its user chooses otherwise.
    loadChoice(key, kLevelName, SecurityLevel::AuthPriv, parseSecurityLevel, securityLevelName,
               user.Level);
    loadChoice(key, kAuthName, AuthProtocol::SHA256, parseAuthProtocol, authProtocolName,
               user.Auth);
    loadChoice(key, kPrivName, PrivProtocol::AES128, parsePrivProtocol, privProtocolName,
               user.Priv);
}

void saveV3(const std::string& key, const SnmpV3User& user)
{
    WriteRegValue(HKEY_CURRENT_USER, key, kUserName, user.UserName, rdString);
    WriteRegValue(HKEY_CURRENT_USER, key, kLevelName, securityLevelName(user.Level), rdString);
    WriteRegValue(HKEY_CURRENT_USER, key, kAuthName, authProtocolName(user.Auth), rdString);
    WriteRegValue(HKEY_CURRENT_USER, key, kPrivName, privProtocolName(user.Priv), rdString);
}

} // namespace

void load(TMonitorSettings& settings)
{
    TRegSession session;
    for (std::size_t i = 0; i < settings.Sensors.size(); ++i) {
        const std::string key = sensorKeyPath(i);
        int32_t stored = 0;
        TSnmpVersion version = TSnmpVersion::V1;
        bool ok = false;
        try {
            ok = regVariantToInt(ReadRegValue(HKEY_CURRENT_USER, key, kVersionName), stored) &&
                 snmpVersionFromStored(stored, version);
        } catch (const TRegistryError&) {
            ok = false;
        }
        if (!ok) {
            version = TSnmpVersion::V1;
            WriteRegValue(HKEY_CURRENT_USER, key, kVersionName, storedNumber(version), rdInteger);
        }
        settings.Sensors[i].SnmpVersion = version;
        // The passwords are not in the store; whoever loads them keeps them.
        SnmpV3User& user = settings.Sensors[i].V3;
        const std::string authPassword = std::move(user.AuthPassword);
        const std::string privPassword = std::move(user.PrivPassword);
        loadV3(key, user);
        user.AuthPassword = authPassword;
        user.PrivPassword = privPassword;
    }
    session.commit();
}

void save(const TMonitorSettings& settings)
{
    TRegSession session;
    const std::size_t count =
        std::min(settings.Sensors.size(), std::size_t(std::max(0, settings.NumberOfHosts)));
    for (std::size_t i = 0; i < count; ++i) {
        const std::string key = sensorKeyPath(i);
        WriteRegValue(HKEY_CURRENT_USER, key, kVersionName,
                      storedNumber(settings.Sensors[i].SnmpVersion), rdInteger);
        saveV3(key, settings.Sensors[i].V3);
    }
    session.commit();
}

void saveSensorIndex(std::size_t index, const TSensorRecord& sensor)
{
    WriteRegValue(HKEY_CURRENT_USER, sensorKeyPath(index), "Sensor", sensor.Sensor, rdString);
}

} // namespace SnmpSensorStore
