#include "InterfaceRebinding.h"

#include <charconv>

bool agentRestarted(std::uint32_t previousUpTime, std::uint32_t upTime)
{
    return upTime < previousUpTime;
}

std::vector<WalkedInterface>
walkedInterfaces(const std::string& column,
                 const std::vector<std::pair<std::string, std::string>>& rows)
{
    std::vector<WalkedInterface> interfaces;
    for (const auto& [oid, name] : rows) {
        if (oid.size() <= column.size() + 1 || oid.compare(0, column.size(), column) != 0 ||
            oid[column.size()] != '.') {
            continue;
        }
        const char* first = oid.data() + column.size() + 1;
        const char* last = oid.data() + oid.size();
        std::int32_t index = 0;
        const auto [end, error] = std::from_chars(first, last, index);
        if (error != std::errc() || end != last || index <= 0 || *first == '0') {
            continue;
        }
        interfaces.push_back({index, name});
    }
    return interfaces;
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
