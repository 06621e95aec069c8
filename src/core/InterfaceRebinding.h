#pragma once

// After an agent restarts its interfaces may be numbered anew. A sensor keeps
// its interface by name (SensorName, the ifDescr it was set up with), and
// never silently graphs another interface that now has its old index.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// sysUpTime (hundredths of a second, unsigned 32-bit) went back: the agent
// restarted. (It also goes back when it passes its top after 497 days; a
// check of the interface then finds it unchanged.)
bool agentRestarted(std::uint32_t previousUpTime, std::uint32_t upTime);

struct WalkedInterface
{
    std::int32_t index = 0;
    std::string name; // ifDescr
};

// The interfaces of a walk of ifDescr: each row's OID text and value text.
// A row's index is the one arc after column; rows with anything else there
// (no arc, several, not a number in 1..2147483647) are not interfaces.
std::vector<WalkedInterface>
walkedInterfaces(const std::string& column,
                 const std::vector<std::pair<std::string, std::string>>& rows);

enum class RebindOutcome
{
    Keep,      // the stored index still has the stored name
    Rebind,    // exactly one other interface has the name: use its index
    NotFound,  // no interface has the name
    Ambiguous, // several interfaces have the name, none at the stored index
};

struct RebindDecision
{
    RebindOutcome outcome = RebindOutcome::NotFound;
    std::int32_t index = 0; // the index to poll for Keep and Rebind
};

RebindDecision rebindInterface(std::int32_t storedIndex, const std::string& storedName,
                               const std::vector<WalkedInterface>& walked);
