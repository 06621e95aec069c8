#pragma once

#include "CounterSeries.h"
#include "SensorDefinition.h"

#include <cstdint>
#include <memory>
#include <string>

// The graph set of a sensor on the main window (title, rate labels, scope,
// scale). Defined by the window, which creates and frees the controls; the
// model only carries it so that the controls stay with the array position.
struct TSensorControls;

// One monitored interface of one SNMP agent: its definition and its poll
// state. A default-constructed record is zero-filled: every flag false (but
// SteadyRates), every number 0, every text empty.
struct TSensorRecord : TSensorDefinition
{
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
    int32_t LogPrevDownCount = 0;
    int32_t LogPrevUpCount = 0;
    int32_t LogPrevTime = 0;
    // The log's own baseline of an SNMPv2c or SNMPv3 sensor; a version 1
    // sensor keeps the three fields above.
    CounterSeries LogSeries;
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
