#include "SnmpBulkPage.h"

#include <cstdint>

namespace {

// The next arc of a dotted text, taken off its front; -1 when none is left.
std::int64_t takeArc(const std::string& text, std::size_t& pos)
{
    if (pos >= text.size()) {
        return -1;
    }
    std::int64_t value = 0;
    while (pos < text.size() && text[pos] != '.') {
        const char c = text[pos++];
        if (c >= '0' && c <= '9' && value <= 0xFFFFFFFFLL) {
            value = value * 10 + (c - '0');
        }
    }
    ++pos; // past the dot
    return value;
}

bool isUnder(const std::string& oid, const std::string& column)
{
    return oid.size() > column.size() + 1 && oid.compare(0, column.size(), column) == 0 &&
           oid[column.size()] == '.';
}

} // namespace

int compareOids(const std::string& a, const std::string& b)
{
    std::size_t posA = 0;
    std::size_t posB = 0;
    while (true) {
        const std::int64_t arcA = takeArc(a, posA);
        const std::int64_t arcB = takeArc(b, posB);
        if (arcA != arcB) {
            return arcA < arcB ? -1 : 1;
        }
        if (arcA < 0) {
            return 0;
        }
    }
}

SnmpWalkStep takeBulkPage(const std::string& column, std::string& lastOid,
                          const SnmpResponse& response, SnmpWalkBudget& budget,
                          std::vector<SnmpBinding>& rows)
{
    if (response.ErrorStatus != 0 || response.Bindings.empty()) {
        return SnmpWalkStep::Done;
    }
    for (const SnmpBinding& binding : response.Bindings) {
        if (binding.isException() || !isUnder(binding.Oid, column)) {
            return SnmpWalkStep::Done;
        }
        if (compareOids(binding.Oid, lastOid) <= 0) {
            return SnmpWalkStep::Broken;
        }
        if (!budget.keeps(binding)) {
            lastOid = binding.Oid;
            continue;
        }
        SnmpBinding row = binding;
        if (!budget.take(row)) {
            return SnmpWalkStep::Full;
        }
        lastOid = row.Oid;
        rows.push_back(std::move(row));
    }
    if (budget.rowsLeft() == 0) {
        budget.setEnd(SnmpWalkEnd::RowLimit);
        return SnmpWalkStep::Full;
    }
    return SnmpWalkStep::More;
}
