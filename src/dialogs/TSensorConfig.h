#pragma once

#include "TSensorRecord.h"

#include <cstdint>
#include <string>

// One entry of the options dialog's working list: what a sensor keeps in the
// store, plus its two counter OIDs. No poll state, no controls.
struct TSensorConfig
{
    bool Active = false;
    std::string HostName;
    std::string HostIP;
    std::string Community;
    std::string Sensor;
    std::string SensorName;
    std::string DownOID;
    std::string UpOID;
    int64_t DownSpeed = 0;
    int64_t UpSpeed = 0;
    int32_t SpeedType = 0;
    bool SwapedInOut = false;
    TColor ULColor = 0;
    TColor DLColor = 0;
    TColor LightColor = 0;
    TColor DarkColor = 0;
    int32_t GraphPixels = 0;
    bool LighterLine = false;
    bool UseLightColorFor = false;
    int32_t TimerToUse = 0;
    bool HalfHeight = false;
    bool SteadyRates = true;
    int32_t SnmpVersion = 0; // 0 SNMPv1, 1 SNMPv2c, 3 SNMPv3
    // The SNMPv3 user with its passwords, in memory only, as the record has it.
    SnmpV3User V3;

    static TSensorConfig fromRecord(const TSensorRecord& record);
    // Copies every field above into the record; the rest of it stays.
    void applyTo(TSensorRecord& record) const;

    bool operator==(const TSensorConfig& other) const;
    bool operator!=(const TSensorConfig& other) const { return !(*this == other); }
};
