#pragma once

// Every object the program reads from an agent, by name, and nowhere else.
// A scalar is asked for by its instance (name + ".0"); the bare name is what
// older agents answer a get of. A column's prefix ends in a dot, so that an
// instance is prefix + the interface number.

// The groups the names below are made from.
#define TRAVIMETRA_MIB_SYSTEM "1.3.6.1.2.1.1"
#define TRAVIMETRA_MIB_INTERFACES "1.3.6.1.2.1.2"
#define TRAVIMETRA_MIB_IF_ENTRY TRAVIMETRA_MIB_INTERFACES ".2.1"
#define TRAVIMETRA_MIB_IFX_ENTRY "1.3.6.1.2.1.31.1.1.1"
#define TRAVIMETRA_MIB_USM_STATS "1.3.6.1.6.3.15.1.1"

namespace Mib {

// system
inline constexpr char kSysDescr[] = TRAVIMETRA_MIB_SYSTEM ".1";
inline constexpr char kSysDescr0[] = TRAVIMETRA_MIB_SYSTEM ".1.0";
inline constexpr char kSysUpTime[] = TRAVIMETRA_MIB_SYSTEM ".3";
inline constexpr char kSysUpTime0[] = TRAVIMETRA_MIB_SYSTEM ".3.0";
inline constexpr char kSysName[] = TRAVIMETRA_MIB_SYSTEM ".5";
inline constexpr char kSysName0[] = TRAVIMETRA_MIB_SYSTEM ".5.0";

// interfaces
inline constexpr char kIfNumber[] = TRAVIMETRA_MIB_INTERFACES ".1";
inline constexpr char kIfNumber0[] = TRAVIMETRA_MIB_INTERFACES ".1.0";
inline constexpr char kIfEntry[] = TRAVIMETRA_MIB_IF_ENTRY;
inline constexpr char kIfDescr[] = TRAVIMETRA_MIB_IF_ENTRY ".2";
inline constexpr char kIfDescrPrefix[] = TRAVIMETRA_MIB_IF_ENTRY ".2.";
inline constexpr char kIfSpeedPrefix[] = TRAVIMETRA_MIB_IF_ENTRY ".5.";
inline constexpr char kIfInOctetsPrefix[] = TRAVIMETRA_MIB_IF_ENTRY ".10.";
inline constexpr char kIfOutOctetsPrefix[] = TRAVIMETRA_MIB_IF_ENTRY ".16.";

// ifXTable, the interface extensions
inline constexpr char kIfName[] = TRAVIMETRA_MIB_IFX_ENTRY ".1";
inline constexpr char kIfHCInOctetsPrefix[] = TRAVIMETRA_MIB_IFX_ENTRY ".6.";
inline constexpr char kIfHCOutOctetsPrefix[] = TRAVIMETRA_MIB_IFX_ENTRY ".10.";
inline constexpr char kIfHighSpeedPrefix[] = TRAVIMETRA_MIB_IFX_ENTRY ".15.";
inline constexpr char kIfAlias[] = TRAVIMETRA_MIB_IFX_ENTRY ".18";

// usmStats, the counters an SNMPv3 Report names
inline constexpr char kUsmStatsUnsupportedSecLevels0[] = TRAVIMETRA_MIB_USM_STATS ".1.0";
inline constexpr char kUsmStatsNotInTimeWindows0[] = TRAVIMETRA_MIB_USM_STATS ".2.0";
inline constexpr char kUsmStatsUnknownUserNames0[] = TRAVIMETRA_MIB_USM_STATS ".3.0";
inline constexpr char kUsmStatsUnknownEngineIDs0[] = TRAVIMETRA_MIB_USM_STATS ".4.0";
inline constexpr char kUsmStatsWrongDigests0[] = TRAVIMETRA_MIB_USM_STATS ".5.0";
inline constexpr char kUsmStatsDecryptionErrors0[] = TRAVIMETRA_MIB_USM_STATS ".6.0";

} // namespace Mib

#undef TRAVIMETRA_MIB_SYSTEM
#undef TRAVIMETRA_MIB_INTERFACES
#undef TRAVIMETRA_MIB_IF_ENTRY
#undef TRAVIMETRA_MIB_IFX_ENTRY
#undef TRAVIMETRA_MIB_USM_STATS
