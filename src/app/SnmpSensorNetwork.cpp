#include "SnmpSensorNetwork.h"

#include "SNMPRead.h"
#include "SNMPReadMany.h"
#include "SnmpGet.h"
#include "TPINGSend.h"
#include "TickCount.h"

bool SnmpSensorNetwork::readValue(const std::string& oid, const std::string& community,
                                  const std::string& host, std::string& value)
{
    return SNMPReadValue(oid, community, host, value);
}

TReadReply SnmpSensorNetwork::read(const TReadRequest& request)
{
    if (request.version == SNMPVersion2c)
        return readV2c(request);
    TSnmpGetOutcome outcome = SNMPGet(request.oids, request.community, request.host);
    TReadReply reply;
    reply.answered = outcome.answered;
    reply.values = std::move(outcome.values);
    reply.otherSender = std::move(outcome.otherSender);
    return reply;
}

TReadReply SnmpSensorNetwork::readV2c(const TReadRequest& request)
{
    std::vector<SNMPReading> readings;
    TReadReply reply;
    reply.answered =
        SNMPReadValues(request.oids, request.community, request.host, SNMPVersion2c, readings);
    reply.values.resize(request.oids.size());
    reply.present.resize(request.oids.size());
    for (std::size_t i = 0; i < readings.size() && i < request.oids.size(); ++i) {
        const SnmpBinding& binding = readings[i].Binding;
        reply.present[i] = readings[i].Outcome == SNMPReadOutcome::Value;
        // Counters and uptime as the unsigned numbers they are.
        reply.values[i] = binding.isUnsigned() ? std::to_string(binding.Number) : binding.Value;
    }
    return reply;
}

bool SnmpSensorNetwork::walk(const TReadRequest& column,
                             std::vector<std::pair<std::string, std::string>>& rows)
{
    rows.clear();
    if (column.oids.size() != 1)
        return false;
    std::vector<SnmpBinding> bindings;
    const bool ended =
        SNMPBulkWalk(column.oids[0], column.community, column.host, kMaxWalkRows, bindings);
    for (const SnmpBinding& binding : bindings)
        rows.emplace_back(binding.Oid, binding.Value);
    return ended;
}

int SnmpSensorNetwork::pingRoundTrip(const std::string& host)
{
    return PingRoundTrip(host);
}

uint32_t SnmpSensorNetwork::tickCount()
{
    return TickCount32();
}
