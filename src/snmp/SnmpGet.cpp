#include "SnmpGet.h"

#include "TSNMPSend.h"

namespace {
constexpr int kGetRequest = 160;
constexpr int kNull = 5;
} // namespace

TSnmpGetOutcome SNMPGet(const std::vector<std::string>& oids, const std::string& community,
                        const std::string& host)
{
    TSnmpGetOutcome outcome;
    outcome.values.resize(oids.size());
    outcome.typed.resize(oids.size());
    TSNMPSend snmp;
    snmp.Query.Reset();
    snmp.Query.Community = community;
    snmp.Query.PDUType = kGetRequest;
    for (const std::string& oid : oids)
        snmp.Query.AddVarBind(oid, "", kNull);
    snmp.TargetHost = host;
    outcome.answered = snmp.Exchange();
    outcome.otherSender = snmp.OtherSender;
    if (outcome.answered) {
        for (std::size_t i = 0; i < oids.size(); ++i) {
            outcome.values[i] = snmp.Reply.FindValue(oids[i]);
            for (std::size_t b = 0; b < snmp.Reply.VarBindCount(); ++b) {
                if (snmp.Reply.VarBind(b).Oid == oids[i]) {
                    outcome.typed[i] = SnmpValue::ofRecord(snmp.Reply.VarBind(b));
                    break;
                }
            }
        }
    }
    return outcome;
}
