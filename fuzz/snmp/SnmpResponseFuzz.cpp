// Feeds arbitrary datagrams to the strict reply check of the SNMPv2c reads,
// and what it takes to the binding matcher and the GetBulk page walker.

#include "Ber.h"
#include "SNMPReadMany.h"
#include "SnmpBulkPage.h"
#include "SnmpResponse.h"
#include "TSNMPRec.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

void check(bool condition)
{
    if (!condition) {
        __builtin_trap();
    }
}

bool sameBindings(const SnmpResponse& a, const SnmpResponse& b)
{
    if (a.Bindings.size() != b.Bindings.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.Bindings.size(); ++i) {
        const SnmpBinding& x = a.Bindings[i];
        const SnmpBinding& y = b.Bindings[i];
        if (x.Oid != y.Oid || x.ValueType != y.ValueType || x.Value != y.Value ||
            x.Number != y.Number) {
            return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string datagram(reinterpret_cast<const char*>(data), size);

    SnmpExpectation expected{1, "vandor", 1};
    SnmpResponse response;
    SnmpRefusal reason = parseResponse(datagram, expected, response);
    if (reason == SnmpRefusal::WrongVersion || reason == SnmpRefusal::WrongCommunity ||
        reason == SnmpRefusal::WrongRequestId) {
        // Reach the bindings too: expect what this datagram carries.
        expected = {response.Version, response.Community,
                    reason == SnmpRefusal::WrongRequestId ? response.ID : expected.ID};
        reason = parseResponse(datagram, expected, response);
        if (reason == SnmpRefusal::WrongRequestId) {
            expected.ID = response.ID;
            reason = parseResponse(datagram, expected, response);
        }
    }
    if (reason != SnmpRefusal::None) {
        return 0;
    }

    // Every binding taken is one of its type and within its bounds: sent
    // again by the message encoder, it reads back the same.
    for (const SnmpBinding& b : response.Bindings) {
        if (b.ValueType == BerTag::Counter64) {
            check(b.Value == std::to_string(b.Number));
        }
        if (b.isException() || b.ValueType == BerTag::Null) {
            check(b.Value.empty());
        }
    }
    TSNMPRec again;
    again.Version = response.Version;
    again.Community = response.Community;
    again.PDUType = BerTag::GetResponse;
    again.ID = response.ID;
    again.ErrorStatus = response.ErrorStatus;
    again.ErrorIndex = response.ErrorIndex;
    for (const SnmpBinding& b : response.Bindings) {
        again.AddVarBind(b.Oid, b.Value, b.ValueType);
    }
    SnmpResponse reread;
    check(parseResponse(again.Encode(), expected, reread) == SnmpRefusal::None);
    check(sameBindings(response, reread));

    // Matching never gives a value for another name than the one asked.
    std::vector<std::string> oids;
    for (const SnmpBinding& b : response.Bindings) {
        oids.push_back(b.Oid);
    }
    oids.push_back("1.3.6.1.2.1.1.3.0");
    const std::vector<SNMPReading> readings = matchReadings(oids, response);
    check(readings.size() == oids.size());
    for (std::size_t i = 0; i < readings.size(); ++i) {
        check(readings[i].Binding.Oid == oids[i]);
        if (readings[i].Outcome == SNMPReadOutcome::Value) {
            check(!readings[i].Binding.isException() &&
                  readings[i].Binding.ValueType != BerTag::Null);
        }
    }

    // A page of a walk under the first binding's parent: rows in strictly
    // rising order, within the column, never more than the bound.
    if (!response.Bindings.empty()) {
        const std::string& first = response.Bindings[0].Oid;
        const std::string column = first.substr(0, first.rfind('.'));
        std::string last = column;
        std::vector<SnmpBinding> rows;
        SnmpWalkLimits limits;
        limits.MaxRows = size % 7;
        limits.MaxBytes = size % 301;
        limits.CountersOnly = size % 2 == 0;
        SnmpWalkBudget budget(limits);
        takeBulkPage(column, last, response, budget, rows);
        check(rows.size() <= limits.MaxRows);
        std::string previous = column;
        std::size_t bytes = 0;
        for (const SnmpBinding& row : rows) {
            check(compareOids(previous, row.Oid) < 0);
            check(row.Oid.compare(0, column.size() + 1, column + ".") == 0);
            check(row.Value.size() <= kMaxAgentTextLength || row.ValueType == BerTag::ObjectId);
            check(!limits.CountersOnly || isCounterType(row.ValueType));
            bytes += row.Oid.size() + row.Value.size();
            previous = row.Oid;
        }
        check(bytes <= limits.MaxBytes);
    }
    return 0;
}
