#include "InterfaceRebinding.h"

bool agentRestarted(std::uint32_t previousUpTime, std::uint32_t upTime)
{
    return upTime < previousUpTime;
}

RebindDecision rebindInterface(std::int32_t storedIndex, const std::string& storedName,
                               const std::vector<WalkedInterface>& walked)
{
    RebindDecision decision;
    int matches = 0;
    for (const WalkedInterface& walkedInterface : walked) {
        if (walkedInterface.name != storedName) {
            continue;
        }
        if (walkedInterface.index == storedIndex) {
            return {RebindOutcome::Keep, storedIndex};
        }
        if (matches++ == 0) {
            decision.index = walkedInterface.index;
        }
    }
    if (matches == 0) {
        return {RebindOutcome::NotFound, 0};
    }
    // Two interfaces of one name: picking one could be picking the wrong one.
    if (matches > 1) {
        return {RebindOutcome::Ambiguous, 0};
    }
    decision.outcome = RebindOutcome::Rebind;
    return decision;
}
