#include "SnmpBulkPage.h"
#include "SNMPReadMany.h"

#include "Ber.h"

#include <gtest/gtest.h>

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

TEST(SnmpBulkPage, TakesRowsUntilTheColumnOrTheBoundEnds)
{
    const std::string row1 = IfDescr + ".1";
    const std::string row2 = IfDescr + ".2";
    const std::string row10 = IfDescr + ".10";
    const std::string nextColumn = "1.3.6.1.2.1.2.2.1.3.1";
    struct Case
    {
        const char* what;
        SnmpResponse page;
        std::size_t maxRows;
        SnmpWalkStep step;
        std::size_t rows;
    };
    const Case cases[] = {
        {"whole page inside the column", reply({binding(row1), binding(row2)}), 10,
         SnmpWalkStep::More, 2},
        {"numbers, not text, decide the order", reply({binding(row2), binding(row10)}), 10,
         SnmpWalkStep::More, 2},
        {"column ends inside the page", reply({binding(row1), binding(nextColumn)}), 10,
         SnmpWalkStep::Done, 1},
        {"a name that only starts like the column",
         reply({binding(row1), binding("1.3.6.1.2.1.2.2.1.20.1")}), 10, SnmpWalkStep::Done, 1},
        {"end of the agent's view", reply({binding(row1), binding(row2, BerTag::EndOfMibView, "")}),
         10, SnmpWalkStep::Done, 1},
        {"bound reached", reply({binding(row1), binding(row2), binding(row10)}), 2,
         SnmpWalkStep::Done, 2},
        {"agent stands still", reply({binding(row1), binding(row1)}), 10, SnmpWalkStep::Broken, 1},
        {"agent goes back", reply({binding(row2), binding(row1)}), 10, SnmpWalkStep::Broken, 1},
        {"error status", reply({binding(row1)}, 5), 10, SnmpWalkStep::Done, 0},
        {"empty page", reply({}), 10, SnmpWalkStep::Done, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string last = IfDescr;
        std::vector<SnmpBinding> rows;
        EXPECT_EQ(takeBulkPage(IfDescr, last, c.page, c.maxRows, rows), c.step);
        ASSERT_EQ(rows.size(), c.rows);
        if (!rows.empty())
            EXPECT_EQ(last, rows.back().Oid);
        else
            EXPECT_EQ(last, IfDescr);
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
