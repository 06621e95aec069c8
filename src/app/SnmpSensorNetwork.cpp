#include "SnmpSensorNetwork.h"

#include "SNMPRead.h"
#include "SNMPReadMany.h"
#include "SNMPv3Read.h"
#include "SensorPollV2c.h"
#include "SnmpGet.h"
#include "TPINGSend.h"
#include "TickCount.h"

TReadReply SnmpSensorNetwork::read(const TReadRequest& request)
{
    if (request.version == SNMPVersion2c)
        return readV2c(request);
    if (request.version == SensorPoll::kSnmpVersion3)
        return readV3(request);
    TSnmpGetOutcome outcome = SNMPGet(request.oids, request.community, request.host);
    TReadReply reply;
    reply.answered = outcome.answered;
    reply.values = std::move(outcome.typed);
    reply.otherSender = std::move(outcome.otherSender);
    return reply;
}

namespace {

// An SNMPv2c get's readings as the poll takes them.
TReadReply v2cReply(const TReadRequest& request, bool answered,
                    const std::vector<SNMPReading>& readings)
{
    TReadReply reply;
    reply.answered = answered;
    reply.values.resize(request.oids.size());
    for (std::size_t i = 0; i < readings.size() && i < request.oids.size(); ++i) {
        // A binding that is no value of the OID asked is none.
        if (readings[i].Outcome == SNMPReadOutcome::Value)
            reply.values[i] = SnmpValue::ofBinding(readings[i].Binding);
        else if (readings[i].Binding.isException())
            reply.values[i].kind = ValueKind::Exception;
    }
    return reply;
}

} // namespace

TReadReply SnmpSensorNetwork::readV2c(const TReadRequest& request)
{
    std::vector<SNMPReading> readings;
    const bool answered =
        SNMPReadValues(request.oids, request.community, request.host, SNMPVersion2c, readings);
    return v2cReply(request, answered, readings);
}

void SnmpSensorNetwork::readTogether(const std::vector<TReadRequest>& requests,
                                     const ReadEnded& ended)
{
    std::vector<SNMPGetRequest> gets;
    std::vector<std::size_t> asked; // index in requests of each get
    for (std::size_t i = 0; i < requests.size(); ++i) {
        if (requests[i].version != SNMPVersion2c) {
            const uint32_t now = tickCount();
            ended(i, v2cReply(requests[i], false, {}), now, now);
            continue;
        }
        gets.push_back({requests[i].oids, requests[i].community, requests[i].host, SNMPVersion2c});
        asked.push_back(i);
    }
    SNMPReadTogether(gets, [&](std::size_t get, SNMPGetEnd end) {
        const TReadRequest& request = requests[asked[get]];
        ended(asked[get], v2cReply(request, end.answered, end.readings), end.sentTick, end.endTick);
    });
}

TReadReply SnmpSensorNetwork::readV3(const TReadRequest& request)
{
    SharedEngineCache::Loan loan = m_engines.lend(request.host);
    const SnmpV3Result result = SNMPv3Get(request.oids, request.v3, request.host, loan.cache);
    m_engines.giveBack(loan);
    TReadReply reply;
    reply.agentRestarted = result.EngineRebooted;
    reply.engineBoots = result.EngineBoots;
    reply.values.resize(request.oids.size());
    if (!result.ok()) {
        // A Report or a refusal is never a value; the user learns why.
        reply.failure = snmpV3OutcomeText(result.Outcome, request.v3.UserName, result.Detail);
        return reply;
    }
    reply.answered = true;
    for (std::size_t i = 0; i < result.VarBinds.size() && i < request.oids.size(); ++i)
        reply.values[i] = SnmpValue::ofBinding(result.VarBinds[i]);
    return reply;
}

bool SnmpSensorNetwork::walkV3(const TReadRequest& column,
                               std::vector<std::pair<std::string, std::string>>& rows)
{
    SharedEngineCache::Loan loan = m_engines.lend(column.host);
    const SnmpV3Result result =
        SNMPv3Walk(column.oids[0], column.v3, column.host, loan.cache, kMaxWalkRows);
    m_engines.giveBack(loan);
    for (const SnmpBinding& binding : result.VarBinds)
        rows.emplace_back(binding.Oid, binding.Value);
    // As for SNMPv2c: a list cut short by anything but the row bound is none.
    return result.ok() &&
           (result.WalkEnd == SnmpWalkEnd::Complete || result.WalkEnd == SnmpWalkEnd::RowLimit);
}

bool SnmpSensorNetwork::walk(const TReadRequest& column,
                             std::vector<std::pair<std::string, std::string>>& rows)
{
    rows.clear();
    if (column.oids.size() != 1)
        return false;
    if (column.version == SensorPoll::kSnmpVersion3)
        return walkV3(column, rows);
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
