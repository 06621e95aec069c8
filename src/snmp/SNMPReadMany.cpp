#include "SNMPReadMany.h"

#include "Ber.h"
#include "SnmpBulkPage.h"
#include "TSNMPCheckedSend.h"

#include <algorithm>

namespace {

// Rows asked for per GetBulk page: ifDescr and ifName rows of a router are
// short, so this many fit one datagram; an agent sends fewer when they do not.
constexpr std::size_t MaxRepetitions = 24;

void prepare(TSNMPCheckedSend& snmp, const std::string& host, const std::string& community,
             int version, int pduType, int timeoutMs)
{
    snmp.TargetHost = host;
    snmp.Timeout = timeoutMs;
    snmp.Query.Version = version;
    snmp.Query.Community = community;
    snmp.Query.PDUType = pduType;
}

} // namespace

std::vector<SNMPReading> matchReadings(const std::vector<std::string>& oids,
                                       const SnmpResponse& reply)
{
    std::vector<SNMPReading> readings(oids.size());
    for (std::size_t i = 0; i < oids.size(); ++i) {
        SNMPReading& reading = readings[i];
        reading.Binding.Oid = oids[i];
        // With an error status the bindings are echoes of the request (or
        // nothing at all), never values.
        if (reply.ErrorStatus != 0 || i >= reply.Bindings.size() ||
            reply.Bindings[i].Oid != oids[i]) {
            continue;
        }
        reading.Binding = reply.Bindings[i];
        if (reading.Binding.isException()) {
            reading.Outcome = SNMPReadOutcome::Exception;
        } else if (reading.Binding.ValueType != BerTag::Null) {
            reading.Outcome = SNMPReadOutcome::Value;
        }
    }
    return readings;
}

bool SNMPReadValues(const std::vector<std::string>& oids, const std::string& community,
                    const std::string& host, int version, std::vector<SNMPReading>& readings,
                    int timeoutMs)
{
    readings.clear();
    TSNMPCheckedSend snmp;
    prepare(snmp, host, community, version, BerTag::GetRequest, timeoutMs);
    for (const std::string& oid : oids)
        snmp.Query.AddVarBind(oid, "", BerTag::Null);
    if (!snmp.Exchange())
        return false;
    readings = matchReadings(oids, snmp.Reply);
    return true;
}

bool SNMPBulkWalk(const std::string& column, const std::string& community, const std::string& host,
                  std::size_t maxRows, std::vector<SnmpBinding>& rows, int timeoutMs)
{
    rows.clear();
    std::string lastOid = column;
    while (rows.size() < maxRows) {
        TSNMPCheckedSend snmp;
        prepare(snmp, host, community, SNMPVersion2c, BerTag::GetBulkRequest, timeoutMs);
        snmp.Query.NonRepeaters() = 0;
        snmp.Query.MaxRepetitions() =
            static_cast<std::int32_t>(std::min(MaxRepetitions, maxRows - rows.size()));
        snmp.Query.AddVarBind(lastOid, "", BerTag::Null);
        if (!snmp.Exchange())
            return false;
        switch (takeBulkPage(column, lastOid, snmp.Reply, maxRows, rows)) {
        case SnmpWalkStep::More:
            break;
        case SnmpWalkStep::Done:
            return true;
        case SnmpWalkStep::Broken:
            return false;
        }
    }
    return true;
}
