#include "DeviceDiscovery.h"

#include "ConvertError.h"
#include "InterfaceCounters.h"
#include "MibOids.h"
#include "SensorPollV2c.h"
#include "V2cDeviceNetwork.h"
#include "V3DeviceNetwork.h"

#include <algorithm>
#include <charconv>

namespace {

const char* const kNotFound = "Not Found";

std::optional<uint32_t> unsignedOf(const std::optional<std::string>& text)
{
    uint32_t value = 0;
    if (!text)
        return std::nullopt;
    const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), value);
    if (error != std::errc() || end != text->data() + text->size())
        return std::nullopt;
    return value;
}

} // namespace

DeviceDiscovery::DeviceDiscovery(IDeviceNetwork& network, UserSource v3User)
    : m_network(network), m_v3User(std::move(v3User))
{
}

DeviceDiscovery::~DeviceDiscovery() = default;

IDeviceNetwork& DeviceDiscovery::reads(TSnmpVersion version)
{
    if (version == TSnmpVersion::V2c) {
        if (!m_v2cReads)
            m_v2cReads = std::make_unique<V2cDeviceNetwork>(m_network);
        return *m_v2cReads;
    }
    if (version == TSnmpVersion::V3) {
        // One decorator, and so one engine cache, for the discovery's life.
        if (!m_v3Reads)
            m_v3Reads = std::make_unique<V3DeviceNetwork>(m_network, m_v3User);
        return *m_v3Reads;
    }
    return m_network;
}

std::string DeviceDiscovery::get(const DeviceAgent& agent, const std::string& oid)
{
    std::string value;
    reads(agent.version).readValue(oid, agent.community, agent.host, value);
    return value;
}

std::string DeviceDiscovery::firstAnswer(const DeviceAgent& agent, const std::string& first,
                                         const std::string& second)
{
    // Only the texts count here: whether a read failed is not asked.
    std::string value = get(agent, first);
    if (value.empty())
        value = get(agent, second);
    return value.empty() ? kNotFound : value;
}

std::optional<std::string> DeviceDiscovery::name(const DeviceAgent& agent)
{
    std::string name;
    if (!reads(agent.version).readValue(Mib::kSysName0, agent.community, agent.host, name))
        return std::nullopt;
    if (name.empty())
        name = get(agent, Mib::kSysName);
    return name;
}

DeviceInfo DeviceDiscovery::info(const DeviceAgent& agent)
{
    DeviceInfo info;
    const std::optional<std::string> name = this->name(agent);
    if (!name) {
        info.failure = lastFailure(agent);
        info.answeredFrom = reads(agent.version).answeredFrom(agent.host);
        return info;
    }
    info.answered = true;
    info.name = name->empty() ? kNotFound : *name;
    info.description = firstAnswer(agent, Mib::kSysDescr0, Mib::kSysDescr);
    info.interfaces = firstAnswer(agent, Mib::kIfNumber, Mib::kIfNumber0);
    return info;
}

DeviceInterfaceList DeviceDiscovery::interfaces(const DeviceAgent& agent, int maxRows)
{
    DeviceInterfaceList list;
    if (agent.version != TSnmpVersion::V1) {
        list.end = DeviceInterfaces::discover(reads(agent.version), agent.community, agent.host,
                                              std::size_t(std::max(0, maxRows)), list.interfaces);
        return list;
    }
    std::string countText = get(agent, Mib::kIfNumber);
    if (countText.empty())
        countText = get(agent, Mib::kIfNumber0);
    if (countText.empty())
        countText = "0";
    // The count only bounds the walk; an agent cannot make it run forever.
    const int count = std::clamp(strToInt32(countText), 0, maxRows);
    std::string oid = Mib::kIfEntry;
    for (int i = 0; i < count; ++i) {
        if (cancelled()) {
            list.end = SnmpWalkEnd::Cancelled;
            break;
        }
        std::string index;
        m_network.readNext(oid, agent.community, agent.host, index);
        std::string text = index.empty() ? std::string() : description(agent, index);
        list.stepped.push_back({std::move(index), std::move(text)});
    }
    return list;
}

std::string DeviceDiscovery::description(const DeviceAgent& agent, const std::string& index)
{
    return get(agent, Mib::kIfDescrPrefix + index);
}

int64_t DeviceDiscovery::kbpsOfSpeedText(const std::string& ifSpeedText)
{
    const int32_t signedValue = strToInt32(ifSpeedText);
    return int64_t(static_cast<uint32_t>(signedValue)) / 1000;
}

int64_t DeviceDiscovery::detectedKbps(const DeviceAgent& agent, const std::string& index)
{
    if (agent.version == TSnmpVersion::V1)
        return kbpsOfSpeedText(get(agent, Mib::kIfSpeedPrefix + index));
    // ifSpeed stops at 4294967295 bit/s; above that ifHighSpeed tells.
    std::vector<std::optional<std::string>> values;
    reads(agent.version)
        .readValuesV2c({Mib::kIfSpeedPrefix + index, Mib::kIfHighSpeedPrefix + index},
                       agent.community, agent.host, values);
    values.resize(2);
    const std::optional<uint32_t> speed = unsignedOf(values[0]);
    return speed ? detectedSpeedKbps(*speed, unsignedOf(values[1])) : 0;
}

bool DeviceDiscovery::readCounters(const DeviceAgent& agent,
                                   DeviceInterfaces::CounterSnapshot& snapshot)
{
    return DeviceInterfaces::readCounters(reads(agent.version), agent.community, agent.host,
                                          snapshot);
}

std::string DeviceDiscovery::lastFailure(const DeviceAgent& agent)
{
    return reads(agent.version).lastFailure(agent.host);
}
