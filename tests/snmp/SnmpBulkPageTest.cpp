#include "SnmpBulkPage.h"
#include "SNMPReadMany.h"

#include "Ber.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

const std::string IfDescr = "1.3.6.1.2.1.2.2.1.2";

SnmpBinding binding(const std::string& oid, int type = BerTag::OctetString,
                    const std::string& value = "x")
{
    SnmpBinding b;
    b.Oid = oid;
    b.ValueType = type;
    b.Value = value;
    return b;
}

SnmpResponse reply(std::vector<SnmpBinding> bindings, int errorStatus = 0)
{
    SnmpResponse r;
    r.Bindings = std::move(bindings);
    r.ErrorStatus = errorStatus;
    return r;
}

TEST(SnmpBulkPage, OrdersOidsByTheirNumbers)
{
    struct Case
    {
        const char* a;
        const char* b;
        int order;
    };
    const Case cases[] = {
        {"1.3.6.1.2", "1.3.6.1.10", -1}, // text order would say otherwise
        {"1.3.6.1.10", "1.3.6.1.2", 1},
        {"1.3.6", "1.3.6.0", -1},
        {"1.3.6.1", "1.3.6.1", 0},
        {"1.3.6.1.2.1.2.2.1.2.10", "1.3.6.1.2.1.2.2.1.2.9", 1},
        {"", "0", -1},
        {"2.4294967295", "2.4294967294", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " vs " + c.b);
        EXPECT_EQ(compareOids(c.a, c.b), c.order);
    }
}

SnmpWalkLimits rowsAtMost(std::size_t rows)
{
    SnmpWalkLimits limits;
    limits.MaxRows = rows;
    return limits;
}

TEST(SnmpBulkPage, TakesRowsUntilTheColumnOrTheBoundEnds)
{
    const std::string row1 = IfDescr + ".1";
    const std::string row2 = IfDescr + ".2";
    const std::string row10 = IfDescr + ".10";
    const std::string nextColumn = "1.3.6.1.2.1.2.2.1.3.1";
    SnmpWalkLimits bytes = rowsAtMost(10);
    bytes.MaxBytes = 2 * (row1.size() + 1);
    SnmpWalkLimits counters = rowsAtMost(10);
    counters.CountersOnly = true;
    struct Case
    {
        const char* what;
        SnmpResponse page;
        SnmpWalkLimits limits;
        SnmpWalkStep step;
        std::vector<std::string> rows;
        SnmpWalkEnd end;
    };
    const SnmpWalkEnd complete = SnmpWalkEnd::Complete;
    const Case cases[] = {
        {"whole page inside the column",
         reply({binding(row1), binding(row2)}),
         rowsAtMost(10),
         SnmpWalkStep::More,
         {row1, row2},
         complete},
        {"numbers, not text, decide the order",
         reply({binding(row2), binding(row10)}),
         rowsAtMost(10),
         SnmpWalkStep::More,
         {row2, row10},
         complete},
        {"column ends inside the page",
         reply({binding(row1), binding(nextColumn)}),
         rowsAtMost(10),
         SnmpWalkStep::Done,
         {row1},
         complete},
        {"a name that only starts like the column",
         reply({binding(row1), binding("1.3.6.1.2.1.2.2.1.20.1")}),
         rowsAtMost(10),
         SnmpWalkStep::Done,
         {row1},
         complete},
        {"end of the agent's view",
         reply({binding(row1), binding(row2, BerTag::EndOfMibView, "")}),
         rowsAtMost(10),
         SnmpWalkStep::Done,
         {row1},
         complete},
        {"row bound reached",
         reply({binding(row1), binding(row2), binding(row10)}),
         rowsAtMost(2),
         SnmpWalkStep::Full,
         {row1, row2},
         SnmpWalkEnd::RowLimit},
        {"row bound reached at the page's end",
         reply({binding(row1), binding(row2)}),
         rowsAtMost(2),
         SnmpWalkStep::Full,
         {row1, row2},
         SnmpWalkEnd::RowLimit},
        {"byte bound reached",
         reply({binding(row1), binding(row2), binding(row10)}),
         bytes,
         SnmpWalkStep::Full,
         {row1, row2},
         SnmpWalkEnd::ByteLimit},
        {"agent stands still",
         reply({binding(row1), binding(row1)}),
         rowsAtMost(10),
         SnmpWalkStep::Broken,
         {row1},
         complete},
        {"agent goes back",
         reply({binding(row2), binding(row1)}),
         rowsAtMost(10),
         SnmpWalkStep::Broken,
         {row2},
         complete},
        {"error status",
         reply({binding(row1)}, 5),
         rowsAtMost(10),
         SnmpWalkStep::Done,
         {},
         complete},
        {"empty page", reply({}), rowsAtMost(10), SnmpWalkStep::Done, {}, complete},
        {"only counters: text that reads as a number is passed over",
         reply({binding(row1, BerTag::OctetString, "12345"), binding(row2, BerTag::Counter32, "5"),
                binding(row10, BerTag::IpAddress, "1.2.3.4")}),
         counters,
         SnmpWalkStep::More,
         {row2},
         complete},
        {"only counters: every counter type is one",
         reply({binding(row1, BerTag::Integer, "1"), binding(row2, BerTag::Gauge32, "2"),
                binding(row10, 0x46, "3")}),
         counters,
         SnmpWalkStep::More,
         {row1, row2, row10},
         complete},
        {"only counters: time ticks are none",
         reply({binding(row1, BerTag::TimeTicks, "1"), binding(row2, BerTag::Opaque, "2")}),
         counters,
         SnmpWalkStep::More,
         {},
         complete},
        {"only counters: a skipped row still must move forward",
         reply({binding(row2, BerTag::OctetString, "1"), binding(row1, BerTag::Counter32, "1")}),
         counters,
         SnmpWalkStep::Broken,
         {},
         complete},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string last = IfDescr;
        std::vector<SnmpBinding> rows;
        SnmpWalkBudget budget(c.limits);
        EXPECT_EQ(takeBulkPage(IfDescr, last, c.page, budget, rows), c.step);
        std::vector<std::string> names;
        for (const SnmpBinding& row : rows)
            names.push_back(row.Oid);
        EXPECT_EQ(names, c.rows);
        EXPECT_EQ(budget.end(), c.end);
        // The next page starts after the last binding passed, taken or not.
        if (!rows.empty() && !c.limits.CountersOnly) {
            EXPECT_EQ(last, rows.back().Oid);
        }
        if (c.limits.CountersOnly && c.step == SnmpWalkStep::More) {
            EXPECT_EQ(last, c.page.Bindings.back().Oid);
        }
    }
}

TEST(SnmpWalkBudget, CutsAgentTextsAndKeepsTheDeadline)
{
    const struct
    {
        int type;
        std::size_t length;
        std::size_t kept;
    } texts[] = {
        {BerTag::OctetString, 0, 0},
        {BerTag::OctetString, kMaxAgentTextLength, kMaxAgentTextLength},
        {BerTag::OctetString, kMaxAgentTextLength + 1, kMaxAgentTextLength},
        {BerTag::OctetString, 60000, kMaxAgentTextLength},
        {BerTag::Opaque, 60000, kMaxAgentTextLength},
        // Dotted texts the decoder made are no agent's prose.
        {BerTag::ObjectId, 300, 300},
    };
    for (const auto& t : texts) {
        SCOPED_TRACE(std::to_string(t.type) + " of " + std::to_string(t.length));
        SnmpWalkBudget budget(SnmpWalkLimits{});
        SnmpBinding row = binding(IfDescr + ".1", t.type, std::string(t.length, 'a'));
        ASSERT_TRUE(budget.take(row));
        EXPECT_EQ(row.Value, std::string(t.kept, 'a'));
    }
    // A cut never splits a UTF-8 character: "é" is two bytes, "€" three.
    const struct
    {
        std::size_t ascii; // bytes before the characters
        const char* character;
        std::size_t kept;
    } characters[] = {
        {253, "\xC3\xA9", 255},     {254, "\xC3\xA9", 254},     {252, "\xE2\x82\xAC", 255},
        {253, "\xE2\x82\xAC", 253}, {254, "\xE2\x82\xAC", 254},
    };
    for (const auto& c : characters) {
        SCOPED_TRACE(std::to_string(c.ascii) + " + " + std::to_string(std::strlen(c.character)));
        SnmpBinding row = binding(IfDescr + ".1", BerTag::OctetString,
                                  std::string(c.ascii, 'a') + c.character + "tail");
        cutAgentText(row);
        EXPECT_EQ(row.Value, (std::string(c.ascii, 'a') + c.character).substr(0, c.kept));
    }

    SnmpWalkLimits limits;
    limits.Deadline = std::chrono::milliseconds(1500);
    const auto start = SnmpWalkBudget::Clock::now();
    const SnmpWalkBudget budget(limits, start);
    using std::chrono::milliseconds;
    const struct
    {
        int wanted;
        int after;
        int timeout;
    } pages[] = {
        {5000, 0, 1500}, {1000, 0, 1000}, {5000, 1200, 300},
        {5000, 1500, 0}, {5000, 9000, 0}, {-5, 0, 0},
    };
    for (const auto& p : pages) {
        SCOPED_TRACE(std::to_string(p.wanted) + " ms wanted after " + std::to_string(p.after));
        EXPECT_EQ(budget.pageTimeout(p.wanted, start + milliseconds(p.after)), p.timeout);
    }
}

TEST(SNMPReadMany, MatchesTheReplyBindingByBinding)
{
    const std::vector<std::string> asked = {"1.3.6.1.2.1.1.3.0", "1.3.6.1.2.1.31.1.1.1.6.2",
                                            "1.3.6.1.2.1.31.1.1.1.10.2"};
    struct Case
    {
        const char* what;
        SnmpResponse reply;
        std::vector<SNMPReadOutcome> outcomes;
    };
    using O = SNMPReadOutcome;
    const Case cases[] = {
        {"all three",
         reply({binding(asked[0], BerTag::TimeTicks), binding(asked[1], 0x46),
                binding(asked[2], 0x46)}),
         {O::Value, O::Value, O::Value}},
        {"no instance for one",
         reply({binding(asked[0], BerTag::TimeTicks), binding(asked[1], BerTag::NoSuchInstance),
                binding(asked[2], 0x46)}),
         {O::Value, O::Exception, O::Value}},
        {"one binding short",
         reply({binding(asked[0], BerTag::TimeTicks), binding(asked[1], 0x46)}),
         {O::Value, O::Value, O::Missing}},
        {"reordered",
         reply({binding(asked[1], 0x46), binding(asked[0], BerTag::TimeTicks),
                binding(asked[2], 0x46)}),
         {O::Missing, O::Missing, O::Value}},
        {"noSuchName echo of version 1",
         reply({binding(asked[0], BerTag::Null, ""), binding(asked[1], BerTag::Null, ""),
                binding(asked[2], BerTag::Null, "")},
               2),
         {O::Missing, O::Missing, O::Missing}},
        {"error status with values",
         reply({binding(asked[0], BerTag::TimeTicks)}, 5),
         {O::Missing, O::Missing, O::Missing}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<SNMPReading> readings = matchReadings(asked, c.reply);
        ASSERT_EQ(readings.size(), asked.size());
        for (std::size_t i = 0; i < asked.size(); ++i) {
            EXPECT_EQ(readings[i].Outcome, c.outcomes[i]) << i;
            EXPECT_EQ(readings[i].Binding.Oid, asked[i]) << i;
        }
    }
}

} // namespace
