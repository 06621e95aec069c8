#pragma once

#include "CounterSeries.h"
#include "SnmpV3User.h"

#include <cstdint>
#include <memory>
#include <string>

// Colours are 0x00BBGGRR, red in the low byte.
using TColor = uint32_t;

// SpeedType: how a sensor's full scale is chosen.
constexpr int32_t stLive = 1;     // the running maximum rate, bytes per second
constexpr int32_t stDetected = 2; // the interface speed read from the agent, kbit/s
constexpr int32_t stBypass = 3;   // speeds chosen by the user, kbit/s

// The graph set of a sensor on the main window (title, rate labels, scope,
// scale). Defined by the window, which creates and frees the controls; the
// model only carries it so that the controls stay with the array position.
struct TSensorControls;

// One monitored interface of one SNMP agent. A default-constructed record is
// zero-filled: every flag false, every number 0, every text empty.
struct TSensorRecord
{
    bool Active = false;
    std::string HostName;
    std::string HostIP;
    std::string Community;
    std::string Sensor; // ifIndex as decimal text
    std::string SensorName;
    std::string DownOID; // built from Sensor and SwapedInOut by the layout
    std::string UpOID;
    int64_t DownSpeed = 0; // kbit/s; bytes per second under stLive
    int64_t UpSpeed = 0;
    int32_t SpeedType = 0;
    bool SwapedInOut = false;
    int32_t PrevDownCount = 0; // 0: no previous reading
    int32_t PrevUpCount = 0;
    int32_t DownCount = 0;
    int32_t UpCount = 0;
    double PrevTime = 0;
    double CurTime = 0;
    // The agent's uptime at the last poll it answered, -1 before any; a lower
    // one means the agent restarted and its counters with it.
    int64_t LastAgentUpTime = -1;
    std::shared_ptr<TSensorControls> Controls;
    TColor DLColor = 0;
    TColor ULColor = 0;
    TColor LightColor = 0;
    bool UseLightColorFor = false;
    TColor DarkColor = 0;
    int32_t GraphPixels = 0;
    bool LighterLine = false;
    int32_t LogPrevDownCount = 0;
    int32_t LogPrevUpCount = 0;
    int32_t LogPrevTime = 0;
    // The log's own baseline of an SNMPv2c or SNMPv3 sensor; a version 1
    // sensor keeps the three fields above.
    CounterSeries LogSeries;
    int32_t TimerToUse = 0; // 0 agent uptime (1/100 s), 1 local tick count (ms)
    bool HalfHeight = false;
    // The graph, its labels, the tray and the log spread an agent's refresh
    // steps over their span (RateRule::Steady); false shows each poll's own
    // octets over its own seconds.
    bool SteadyRates = true;
    // The message version the agent is read with: 0 SNMPv1, 1 SNMPv2c, 3
    // SNMPv3 (the version field of the messages).
    int32_t SnmpVersion = 0;
    // Who an SNMPv3 agent is read as and how. The passwords are only ever in
    // memory here: the store keeps them in the secret store, never beside the
    // other values.
    SnmpV3User V3;
    // Why the secret store gave no passwords for V3 (no keyring, a keyring
    // that failed); empty when it gave them or none were needed. Shown as the
    // reason while the agent refuses the sensor's reads.
    std::string SecretsNote;
    // SNMPv2c and SNMPv3 poll state. The counters are chosen for one agent, interface
    // and direction (CountersFor) at the first poll and after each restart of
    // the agent; each choice counts CounterBinding up, so that no series (the
    // graph's here, the log's above, the usage history's) steps from one
    // choice's counters to another's.
    std::string CountersFor;
    bool HighCapacity = false; // the 64-bit counters
    uint32_t CounterBinding = 0;
    // The graph's baseline; a version 1 sensor keeps PrevDownCount and the
    // fields beside it.
    CounterSeries GraphSeries;
    // The interface name is checked again at the next poll (no interface had
    // it at the last check).
    bool NameCheckPending = false;
    // What the title's tool tip says about the interface (its new number, or
    // that it is gone); empty while nothing happened to it.
    std::string InterfaceNote;
};
