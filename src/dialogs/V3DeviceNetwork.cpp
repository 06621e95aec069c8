#include "V3DeviceNetwork.h"

#include "BindingText.h"

V3DeviceNetwork::V3DeviceNetwork(IDeviceNetwork& inner, UserSource user)
    : ForwardingDeviceNetwork(inner), m_user(std::move(user))
{
}

SnmpV3Result V3DeviceNetwork::read(V3Read read, const std::vector<std::string>& oids,
                                   const std::string& host)
{
    const SnmpV3User user = m_user ? m_user() : SnmpV3User();
    SnmpV3Result result = inner().readV3(read, oids, user, host, m_engines);
    if (result.ok())
        m_failures.erase(host);
    else
        m_failures[host] = snmpV3OutcomeText(result.Outcome, user.UserName, result.Detail);
    return result;
}

bool V3DeviceNetwork::readValue(const std::string& oid, const std::string& community,
                                const std::string& host, std::string& value)
{
    std::vector<std::optional<std::string>> values;
    const bool answered = readValuesV2c({oid}, community, host, values);
    value = answered && !values.empty() && values[0] ? *values[0] : std::string();
    return answered;
}

bool V3DeviceNetwork::readNext(std::string& oid, const std::string& community,
                               const std::string& host, std::string& value)
{
    (void)community;
    value.clear();
    const SnmpV3Result result = read(V3Read::GetNext, {oid}, host);
    // The end of the agent's view is no next object: the walk stays put.
    if (!result.ok() || result.VarBinds.size() != 1 || !result.VarBinds[0].hasValue())
        return false;
    oid = result.VarBinds[0].Oid;
    value = bindingText(result.VarBinds[0]);
    return true;
}

bool V3DeviceNetwork::readValuesV2c(const std::vector<std::string>& oids,
                                    const std::string& community, const std::string& host,
                                    std::vector<std::optional<std::string>>& values)
{
    (void)community;
    values.assign(oids.size(), std::nullopt);
    const SnmpV3Result result = read(V3Read::Get, oids, host);
    if (!result.ok())
        return false;
    for (std::size_t i = 0; i < result.VarBinds.size() && i < values.size(); ++i) {
        if (result.VarBinds[i].hasValue())
            values[i] = bindingText(result.VarBinds[i]);
    }
    return true;
}

SnmpWalkEnd V3DeviceNetwork::walkColumn(const std::string& column, const std::string& community,
                                        const std::string& host, WalkedValues values,
                                        std::vector<std::pair<std::string, std::string>>& rows)
{
    (void)community;
    rows.clear();
    const SnmpV3Result result = read(
        values == WalkedValues::Counters ? V3Read::WalkCounters : V3Read::Walk, {column}, host);
    for (const SnmpBinding& binding : result.VarBinds)
        rows.emplace_back(binding.Oid, bindingText(binding));
    // A failure before any page says nothing of how a walk ends.
    if (!result.ok() && result.WalkEnd == SnmpWalkEnd::Complete)
        return SnmpWalkEnd::NoAnswer;
    return result.WalkEnd;
}

std::string V3DeviceNetwork::lastFailure(const std::string& host)
{
    const auto it = m_failures.find(host);
    return it == m_failures.end() ? std::string() : it->second;
}
