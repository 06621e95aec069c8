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

// Kind, default and choices are the settings table's: what is loaded parses.
std::string loadText(const std::string& key, const char* name)
{
    return std::get<std::string>(loadStoredValue(key, name, true));
}

void loadV3(const std::string& key, SnmpV3User& user)
{
    user.UserName = loadText(key, kUserName);
    parseSecurityLevel(loadText(key, kLevelName), user.Level);
    parseAuthProtocol(loadText(key, kAuthName), user.Auth);
    parsePrivProtocol(loadText(key, kPrivName), user.Priv);
}

void saveV3(const std::string& key, const SnmpV3User& user)
{
    saveStoredValue(key, kUserName, user.UserName);
    saveStoredValue(key, kLevelName, securityLevelName(user.Level));
    saveStoredValue(key, kAuthName, authProtocolName(user.Auth));
    saveStoredValue(key, kPrivName, privProtocolName(user.Priv));
}

} // namespace

void load(TMonitorSettings& settings)
{
    TRegSession session;
    for (std::size_t i = 0; i < settings.Sensors.size(); ++i) {
        const std::string key = sensorKeyPath(i);
        TSnmpVersion version = TSnmpVersion::V1;
        snmpVersionFromStored(std::get<int32_t>(loadStoredValue(key, kVersionName, true)), version);
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
        saveStoredValue(key, kVersionName, storedNumber(settings.Sensors[i].SnmpVersion));
        saveV3(key, settings.Sensors[i].V3);
    }
    session.commit();
}

void saveSensorIndex(std::size_t index, const TSensorRecord& sensor)
{
    WriteRegValue(HKEY_CURRENT_USER, sensorKeyPath(index), "Sensor", sensor.Sensor, rdString);
}

} // namespace SnmpSensorStore
