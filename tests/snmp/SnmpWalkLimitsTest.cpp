// Column walks against an agent of the test's own that is as large, slow or
// wrong as a hostile device can be: every walk ends within its limits, says
// how it ended, keeps the rows before, and cuts the agent's texts.
#include "SNMPReadMany.h"
#include "SNMPv3Read.h"

#include "Ber.h"
#include "PeerRequirement.h"
#include "ScriptedAgent.h"
#include "SnmpBulkPage.h"
#include "TSNMPRec.h"
#include "WaitCancel.h"
#include "widgets/Watchdog.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <future>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr const char* kAgent = "127.0.0.187";
const std::string kDescr = "1.3.6.1.2.1.2.2.1.2";
constexpr int kPageTimeoutMs = 400;

// What the agent's table holds in row i (1-based).
using RowOf = std::function<AgentReply::Binding(int row)>;

struct Table
{
    int rows = 100000;
    RowOf rowOf;
    int rowsPerPage = 1000; // at most; the request's max-repetitions too
    int delayMs = 0;        // before each page
    int silentAfter = 0;    // pages answered, then none; 0: all
    int backAt = 0;         // the row whose page goes back to row 1; 0: none
};

AgentReply::Binding text(int row, std::size_t length)
{
    return {kDescr + "." + std::to_string(row), BerTag::OctetString,
            std::string(length, char('a' + row % 26))};
}

ScriptedAgent::Responder serve(const Table& table)
{
    auto pages = std::make_shared<int>(0);
    return [table, pages](const ScriptedAgent::Request& r) {
        TSNMPRec request;
        if (!request.Decode(r.bytes) || request.VarBindCount() != 1)
            return std::vector<ScriptedAgent::Datagram>{};
        if (table.silentAfter > 0 && ++*pages > table.silentAfter)
            return std::vector<ScriptedAgent::Datagram>{};
        const std::string from = request.VarBind(0).Oid;
        int row = from == kDescr ? 1 : std::stoi(from.substr(kDescr.size() + 1)) + 1;
        std::vector<AgentReply::Binding> page;
        for (int n = 0; n < request.MaxRepetitions() && n < table.rowsPerPage; ++n, ++row) {
            if (row > table.rows) {
                page.push_back({"1.3.6.1.2.1.2.2.1.3.1", BerTag::Integer, "\x06"});
                break;
            }
            page.push_back(table.rowOf(row == table.backAt ? 1 : row));
        }
        return std::vector<ScriptedAgent::Datagram>{
            {AgentReply::responseV2c(request.ID, page), false, table.delayMs}};
    };
}

class WalkLimits : public ::testing::Test
{
protected:
    void SetUp() override { m_started = m_agent.start({}); }

    ScriptedAgent m_agent{kAgent};
    bool m_started = false;
};

TEST_F(WalkLimits, EveryWalkEndsWithinItsLimitsAndSaysHow)
{
    REQUIRE_PEER(m_started, m_agent.error());
    const auto name = [](int row) { return text(row, 8); };
    const auto huge = [](int row) { return text(row, 60000); };
    const auto counterAsText = [](int row) {
        if (row % 2)
            return AgentReply::Binding{kDescr + "." + std::to_string(row), BerTag::OctetString,
                                       "12345"};
        return AgentReply::Binding{kDescr + "." + std::to_string(row), BerTag::Counter32,
                                   AgentReply::unsigned32(std::uint32_t(row))};
    };
    SnmpWalkLimits tenRows;
    tenRows.MaxRows = 10;
    SnmpWalkLimits eightKilobytes;
    eightKilobytes.MaxBytes = 8192;
    SnmpWalkLimits oneSecond;
    oneSecond.Deadline = std::chrono::seconds(1);
    SnmpWalkLimits counters;
    counters.CountersOnly = true;
    const struct
    {
        const char* what;
        Table table;
        SnmpWalkLimits limits;
        SnmpWalkEnd end;
        std::size_t rows; // taken; 0 with `between` set: any number in it
        std::pair<std::size_t, std::size_t> between;
        std::size_t valueLength;
    } cases[] = {
        {"a whole column", {5, name}, {}, SnmpWalkEnd::Complete, 5, {}, 8},
        {"100,000 interfaces, 10 rows wanted",
         {100000, name},
         tenRows,
         SnmpWalkEnd::RowLimit,
         10,
         {},
         8},
        {"60 KB names one row a page, cut and counted",
         {100000, huge, 1},
         eightKilobytes,
         SnmpWalkEnd::ByteLimit,
         8192 / (kDescr.size() + 2 + kMaxAgentTextLength),
         {},
         kMaxAgentTextLength},
        {"one row each 300 ms, for ever",
         {100000, name, 1, 300},
         oneSecond,
         SnmpWalkEnd::TimeLimit,
         0,
         {2, 4},
         8},
        {"a page that goes back", {100, name, 3, 0, 0, 5}, {}, SnmpWalkEnd::OutOfOrder, 4, {}, 8},
        {"an agent that falls silent", {100, name, 3, 0, 2}, {}, SnmpWalkEnd::NoAnswer, 6, {}, 8},
        {"counters and text that reads as one",
         {10, counterAsText},
         counters,
         SnmpWalkEnd::Complete,
         5,
         {},
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        m_agent.setResponder(serve(c.table));
        std::vector<SnmpBinding> rows;
        const Watchdog watchdog(c.what, std::chrono::seconds(20));
        EXPECT_EQ(SNMPBulkWalk(kDescr, "vandor", kAgent, c.limits, rows, kPageTimeoutMs), c.end);
        if (c.rows) {
            EXPECT_EQ(rows.size(), c.rows);
        } else {
            EXPECT_GE(rows.size(), c.between.first);
            EXPECT_LE(rows.size(), c.between.second);
        }
        for (std::size_t i = 0; i < rows.size(); ++i) {
            SCOPED_TRACE(rows[i].Oid);
            if (c.limits.CountersOnly) {
                EXPECT_EQ(rows[i].ValueType, BerTag::Counter32);
                EXPECT_EQ(rows[i].Oid, kDescr + "." + std::to_string(2 * (i + 1)));
                EXPECT_EQ(rows[i].Number, 2 * (i + 1));
            } else {
                EXPECT_EQ(rows[i].Oid, kDescr + "." + std::to_string(i + 1));
                EXPECT_EQ(rows[i].Value, std::string(c.valueLength, char('a' + (i + 1) % 26)));
            }
        }
    }
}

// A walk waiting for a slow agent ends at once when its thread's waits are
// cancelled, with the rows it had.
TEST_F(WalkLimits, ACancelledWalkEndsAtOnce)
{
    REQUIRE_PEER(m_started, m_agent.error());
    m_agent.setResponder(serve({100000, [](int row) { return text(row, 8); }, 1, 4000}));
    WaitCancel cancel;
    std::promise<std::pair<SnmpWalkEnd, std::size_t>> ended;
    std::thread walker([&] {
        WaitCancel::setCurrent(&cancel);
        std::vector<SnmpBinding> rows;
        const SnmpWalkEnd end =
            SNMPBulkWalk(kDescr, "vandor", kAgent, SnmpWalkLimits{}, rows, 5000);
        ended.set_value({end, rows.size()});
    });
    const Watchdog watchdog("cancelled walk", std::chrono::seconds(20));
    std::this_thread::sleep_for(std::chrono::milliseconds(4500)); // the first page is in
    const auto fired = std::chrono::steady_clock::now();
    cancel.fire();
    auto result = ended.get_future();
    // The page in progress would take 4 s more; a busy machine is given 2.
    ASSERT_EQ(result.wait_for(std::chrono::seconds(2)), std::future_status::ready);
    const auto [end, rows] = result.get();
    walker.join();
    EXPECT_EQ(end, SnmpWalkEnd::Cancelled);
    EXPECT_EQ(rows, 1u);
    EXPECT_LT(std::chrono::steady_clock::now() - fired, std::chrono::seconds(2));
}

} // namespace
