#pragma once

// One reading of a sensor's octet counters, whatever SNMP version read them:
// what every consumer of a poll (graph, labels, log, usage) steps from.

#include "CounterStep.h"

#include <cstdint>

struct CounterSample
{
    // The time reading in 1/divisor s: the agent's uptime in hundredths or
    // the local clock in milliseconds (TimerToUse), each a 32-bit number that
    // wraps; the midpoint of two readings may end in a half. The usage
    // history steps by the wall clock in seconds (divisor 1).
    double time = 0;
    int32_t divisor = 100;
    uint64_t down = 0;
    uint64_t up = 0;
    CounterWidth width = CounterWidth::Bits32;
    // The agent's uptime read with the counters (1/100 s); -1 when not read.
    int64_t agentUpTime = -1;
    // The agent said itself that it started again (its SNMPv3 engine boots
    // went up), whatever its uptime shows.
    bool agentRestarted = false;
    // The SNMPv3 engine's boots the reply carried; -1 when not known.
    int64_t engineBoots = -1;
    // Which choice of counters the sample comes from. The poll counts it up
    // whenever it chooses the counters anew (first poll, agent restart, the
    // interface moved to another number), so that no series steps from one
    // interface's counters to another's.
    uint32_t binding = 0;
};

// The most each direction of the interface carries, in bytes per second; 0
// when it is not known.
struct CounterSpeeds
{
    double down = 0;
    double up = 0;
};
