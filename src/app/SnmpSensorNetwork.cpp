#include "SnmpSensorNetwork.h"

#include "SNMPRead.h"
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
    TSnmpGetOutcome outcome = SNMPGet(request.oids, request.community, request.host);
    TReadReply reply;
    reply.answered = outcome.answered;
    reply.values = std::move(outcome.values);
    reply.otherSender = std::move(outcome.otherSender);
    return reply;
}

int SnmpSensorNetwork::pingRoundTrip(const std::string& host)
{
    return PingRoundTrip(host);
}

uint32_t SnmpSensorNetwork::tickCount()
{
    return TickCount32();
}
