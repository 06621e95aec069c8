#pragma once

// The numbered choices the store keeps, each as its own type valued as
// stored, so that a choice is never compared with a bare number and one
// choice can never be given where another is meant. A value read from the
// store outside its choices never reaches these types: the load replaces it
// with its default first (srcRegOptions, SnmpSensorStore).

#include <cstdint>

// The message version a sensor's agent is read with; the stored number is the
// version field of the messages ("SnmpVersion").
enum class TSnmpVersion : int32_t
{
    V1 = 0,
    V2c = 1,
    V3 = 3,
};

// The clock a sensor's rates are taken over ("TimerToUse").
enum class TTimerToUse : int32_t
{
    AgentUpTime = 0,    // the agent's sysUpTime, 1/100 s
    LocalTickCount = 1, // this computer's tick count, ms
};

// How a sensor's full scale is chosen ("SpeedType").
enum class TSpeedType : int32_t
{
    Live = 1,     // the running maximum rate, bytes per second
    Detected = 2, // the interface speed read from the agent, kbit/s
    Bypass = 3,   // speeds chosen by the user, kbit/s
};

// Where the traffic log goes ("LogType").
enum class TLogType : int32_t
{
    OneFile = 1,
    FilePerSensor = 2,
    Syslog = 3,
};

// The unit of LogTime ("LogSecMinType").
enum class TLogSecMinType : int32_t
{
    Seconds = 0,
    Minutes = 1,
};

// What the window's "X" button does ("XAction").
enum class TXAction : int32_t
{
    MinimizeToTray = 0,
    Terminate = 1,
};

// The version a stored number names; false for a number that names none.
constexpr bool snmpVersionFromStored(int32_t stored, TSnmpVersion& version)
{
    if (stored != 0 && stored != 1 && stored != 3)
        return false;
    version = static_cast<TSnmpVersion>(stored);
    return true;
}

// The stored number of a choice; for the SNMP version also the version
// field of its messages.
template <typename Code> constexpr int32_t storedNumber(Code code)
{
    return static_cast<int32_t>(code);
}

// The names the program has always used for the speed types.
constexpr TSpeedType stLive = TSpeedType::Live;
constexpr TSpeedType stDetected = TSpeedType::Detected;
constexpr TSpeedType stBypass = TSpeedType::Bypass;
