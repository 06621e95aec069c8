#pragma once

#include "SnmpV3User.h"
#include "StoredCodes.h"

#include <cstdint>
#include <string>

// Colours are 0x00BBGGRR, red in the low byte.
using TColor = uint32_t;

// What a sensor is, as its user chose it: every field the store keeps for it
// (the passwords, which live in the secret store, with them) and the two
// counter OIDs built from them. The poll's record and the options dialog's
// working list both are one; a new field is one line here, plus its line in
// the settings table when it is stored.
//
// X(type, name, initial value): in the record's order.
#define TRAVIMETRA_SENSOR_DEFINITION(X)                                                            \
    X(bool, Active, false)                                                                         \
    X(std::string, HostName, )                                                                     \
    X(std::string, HostIP, )                                                                       \
    X(std::string, Community, )                                                                    \
    X(std::string, Sensor, ) /* ifIndex as decimal text */                                         \
    X(std::string, SensorName, )                                                                   \
    X(std::string, DownOID, ) /* built from Sensor and SwapedInOut by the layout */                \
    X(std::string, UpOID, )                                                                        \
    X(int64_t, DownSpeed, 0) /* kbit/s; bytes per second under stLive */                           \
    X(int64_t, UpSpeed, 0)                                                                         \
    X(TSpeedType, SpeedType, ) /* 0, no choice, until loaded */                                    \
    X(bool, SwapedInOut, false)                                                                    \
    X(TColor, DLColor, 0)                                                                          \
    X(TColor, ULColor, 0)                                                                          \
    X(TColor, LightColor, 0)                                                                       \
    X(bool, UseLightColorFor, false)                                                               \
    X(TColor, DarkColor, 0)                                                                        \
    X(int32_t, GraphPixels, 0)                                                                     \
    X(bool, LighterLine, false)                                                                    \
    X(TTimerToUse, TimerToUse, TTimerToUse::AgentUpTime)                                           \
    X(bool, HalfHeight, false)                                                                     \
    /* The graph, its labels, the tray and the log spread an agent's refresh */                    \
    /* steps over their span (RateRule::Steady); false shows each poll's own */                    \
    /* octets over its own seconds. */                                                             \
    X(bool, SteadyRates, true)                                                                     \
    X(TSnmpVersion, SnmpVersion, TSnmpVersion::V1)                                                 \
    /* Who an SNMPv3 agent is read as and how. The passwords are only ever in */                   \
    /* memory here: the store keeps them in the secret store, never beside the */                  \
    /* other values. */                                                                            \
    X(SnmpV3User, V3, )

struct TSensorDefinition
{
#define TRAVIMETRA_DECLARE_FIELD(type, name, initial) type name{initial};
    TRAVIMETRA_SENSOR_DEFINITION(TRAVIMETRA_DECLARE_FIELD)
#undef TRAVIMETRA_DECLARE_FIELD
};

// Every field alike, the passwords included.
bool sameDefinition(const TSensorDefinition& a, const TSensorDefinition& b);
