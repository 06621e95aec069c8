#include "SNMPRead.h"

#include "TSNMPSend.h"

namespace {
constexpr int kGetRequest = 160;
constexpr int kGetNextRequest = 161;
constexpr int kNull = 5;
} // namespace

// Each call has its own client, socket and request id, so nothing of one
// exchange can leak into the next.
bool SNMPReadValue(const std::string& oid, const std::string& community, const std::string& host,
                   std::string& value)
{
    TSNMPSend snmp;
    snmp.Query.Reset();
    snmp.Query.Community = community;
    snmp.Query.PDUType = kGetRequest;
    snmp.Query.AddVarBind(oid, "", kNull);
    snmp.TargetHost = host;
    const bool ok = snmp.Exchange();
    value.clear();
    if (ok)
        value = snmp.Reply.FindValue(oid);
    return ok;
}

bool SNMPReadNext(std::string& oid, const std::string& community, const std::string& host,
                  std::string& value)
{
    TSNMPSend snmp;
    snmp.TargetHost = host;
    snmp.Query.Reset();
    snmp.Query.ID = snmp.Query.ID + 1;
    snmp.Query.Community = community;
    snmp.Query.PDUType = kGetNextRequest;
    snmp.Query.AddVarBind(oid, "", kNull);
    const bool ok = snmp.Exchange();
    value.clear();
    if (ok && snmp.Reply.VarBindCount() > 0) {
        oid = snmp.Reply.VarBind(0).Oid;
        value = snmp.Reply.VarBind(0).Value;
    }
    return ok;
}
