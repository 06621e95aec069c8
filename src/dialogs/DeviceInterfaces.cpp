#include "DeviceInterfaces.h"

#include "InterfaceCounters.h"
#include "InterfaceRebinding.h"

#include <charconv>

namespace DeviceInterfaces {

namespace {

const char* const kIfDescrColumn = Mib::kIfDescr;

using Rows = std::vector<std::pair<std::string, std::string>>;

// Column rows by interface number; rows that are no interface are left out.
std::map<int32_t, std::string> byIndex(const std::string& column, const Rows& rows)
{
    std::map<int32_t, std::string> values;
    for (const WalkedInterface& row : walkedInterfaces(column, rows))
        values.emplace(row.index, row.name);
    return values;
}

std::string columnOf(const char* prefix)
{
    std::string column = prefix;
    if (!column.empty() && column.back() == '.')
        column.pop_back();
    return column;
}

// Both counter columns of one width, added per interface.
bool walkOctets(IDeviceNetwork& network, const std::string& community, const std::string& host,
                const char* inPrefix, const char* outPrefix, std::map<int32_t, uint64_t>& octets,
                uint64_t modulo)
{
    octets.clear();
    bool any = false;
    for (const char* prefix : {inPrefix, outPrefix}) {
        const std::string column = columnOf(prefix);
        Rows rows;
        network.walkColumn(column, community, host, WalkedValues::Counters, rows);
        for (const auto& [index, text] : byIndex(column, rows)) {
            uint64_t value = 0;
            const auto [end, error] =
                std::from_chars(text.data(), text.data() + text.size(), value);
            if (error != std::errc() || end != text.data() + text.size())
                continue;
            octets[index] = modulo ? (octets[index] + value) % modulo : octets[index] + value;
            any = true;
        }
    }
    return any;
}

} // namespace

SnmpWalkEnd discover(IDeviceNetwork& network, const std::string& community, const std::string& host,
                     std::size_t maxRows, std::vector<DeviceInterface>& interfaces)
{
    interfaces.clear();
    Rows rows;
    SnmpWalkEnd end = network.walkColumn(kIfDescrColumn, community, host, WalkedValues::Any, rows);
    if (rows.empty())
        return end;
    for (const WalkedInterface& row : walkedInterfaces(kIfDescrColumn, rows)) {
        if (interfaces.size() >= maxRows) {
            end = SnmpWalkEnd::RowLimit;
            break;
        }
        interfaces.push_back({row.index, row.name, {}, {}});
    }
    // A walk the user cancelled is not followed by two more.
    if (end == SnmpWalkEnd::Cancelled)
        return end;
    Rows names;
    network.walkColumn(kIfNameColumn, community, host, WalkedValues::Any, names);
    Rows aliases;
    network.walkColumn(kIfAliasColumn, community, host, WalkedValues::Any, aliases);
    const auto name = byIndex(kIfNameColumn, names);
    const auto alias = byIndex(kIfAliasColumn, aliases);
    for (DeviceInterface& interface : interfaces) {
        if (const auto it = name.find(interface.index); it != name.end())
            interface.name = it->second;
        if (const auto it = alias.find(interface.index); it != alias.end())
            interface.alias = it->second;
    }
    return end;
}

std::string shortListText(SnmpWalkEnd end, std::size_t shown)
{
    std::string why;
    switch (end) {
    case SnmpWalkEnd::Complete:
    case SnmpWalkEnd::Cancelled:
        return {};
    case SnmpWalkEnd::NoAnswer:
        why = "The agent stopped answering before its list of interfaces ended";
        break;
    case SnmpWalkEnd::OutOfOrder:
        why = "The agent's list of interfaces ended at a reply out of order";
        break;
    case SnmpWalkEnd::RowLimit:
    case SnmpWalkEnd::ByteLimit:
        why = "The agent lists more interfaces than this list holds";
        break;
    case SnmpWalkEnd::TimeLimit:
        why = "The agent took too long to list its interfaces";
        break;
    }
    return why + ": showing the first " +
           (shown == 1 ? std::string("interface") : std::to_string(shown) + " interfaces") + ".";
}

std::string entryText(const DeviceInterface& interface)
{
    std::string text =
        "Interface " + std::to_string(interface.index) + " is " + interface.description;
    if (!interface.name.empty() && interface.name != interface.description)
        text += " - " + interface.name;
    if (!interface.alias.empty())
        text += " \"" + interface.alias + "\"";
    return text;
}

bool readCounters(IDeviceNetwork& network, const std::string& community, const std::string& host,
                  CounterSnapshot& snapshot)
{
    // The sum of the two 64-bit counters wraps at 2^64 like each of them.
    snapshot.width = CounterWidth::Bits64;
    if (walkOctets(network, community, host, kIfHCInOctetsPrefix, kIfHCOutOctetsPrefix,
                   snapshot.octets, 0))
        return true;
    snapshot.width = CounterWidth::Bits32;
    return walkOctets(network, community, host, kIfInOctetsPrefix, kIfOutOctetsPrefix,
                      snapshot.octets, uint64_t(1) << 32);
}

std::map<int32_t, double> rates(const CounterSnapshot& first, const CounterSnapshot& second,
                                double seconds)
{
    std::map<int32_t, double> result;
    if (first.width != second.width)
        return result;
    for (const auto& [index, octets] : second.octets) {
        const auto before = first.octets.find(index);
        if (before == first.octets.end())
            continue;
        result[index] = stepRate(counterStep(before->second, octets, second.width), seconds);
    }
    return result;
}

} // namespace DeviceInterfaces
