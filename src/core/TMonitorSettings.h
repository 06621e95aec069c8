#pragma once

#include "StoredCodes.h"
#include "TSensorRecord.h"

#include <cstdint>
#include <string>
#include <vector>

// The global settings and the sensor list, held by the main window. Everything
// starts zero, false or empty; LoadSettings fills it from the store.
struct TMonitorSettings
{
    int32_t NumberOfHosts = 0; // always Sensors.size(); change both with resizeSensors
    int32_t ScaleSize = 0;     // per cent
    bool AlwaysOnTop = false;
    bool FirstRun = false; // not stored: set by a load that finds no TimesRun
    TColor BackColor = 0;
    std::vector<TSensorRecord> Sensors;
    bool ShowExtendedInfo = false;
    int32_t Interval = 0; // poll period, seconds
    bool ShowX = false;
    TXAction XAction{};
    bool AutoStart = false;
    bool StartMinimized = false;
    int32_t TrayDownSpeed = 0; // not stored: low 32 bits of sensor 0's speeds
    int32_t TrayUpSpeed = 0;
    bool ShowHints = false;
    bool DoPing = false;
    std::string LogFile;
    std::string LogFolder; // with trailing separator
    TLogType LogType{};    // 0, no choice, until loaded
    TLogSecMinType LogSecMinType{};
    int32_t LogTime = 0;
    std::string SysLogServer;
    bool EnableLog = false;
    bool LatencySensor = false;
    std::string LatencyHost;
    bool ShowExternalIP = false; // not stored

    // Sets NumberOfHosts and resizes Sensors with it: existing records keep
    // their contents, new ones are zero-filled.
    void resizeSensors(int32_t count);
};
