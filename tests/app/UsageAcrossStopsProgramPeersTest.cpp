// The usage history across a stop of the real program: `travimetra
// --headless` polls net-snmp's agent, is stopped with SIGTERM while a transfer
// of known size runs on the loopback, and is started again. What `travimetra
// --usage --csv` then reports is the agent's counter growth over the whole
// span as snmpget reads it, with the part counted while closed in its own
// columns; an agent restarted during the stop makes the stop a gap.

#include "HeadlessProcess.h"
#include "usage/UsageCsv.h"

#include "LoopbackOctets.h"
#include "PeerRequirement.h"
#include "SnmpdPeer.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <sstream>
#include <thread>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

constexpr const char* kAgent = "127.0.0.155";
constexpr const char* kMetrics = "127.0.0.156";
constexpr std::size_t kClosedTransfer = 20'000'000;

struct Counters
{
    uint64_t down = 0, up = 0;
    bool operator==(const Counters& o) const { return down == o.down && up == o.up; }
};

// The loopback interface's 64-bit counters as snmpget reads them.
Counters snmpget()
{
    const std::string out =
        runCommand({"snmpget", "-v2c", "-c", SnmpdPeer::community(), "-On", "-Oq", "-Ov", kAgent,
                    "1.3.6.1.2.1.31.1.1.1.6.1", "1.3.6.1.2.1.31.1.1.1.10.1"});
    Counters c;
    std::istringstream(out) >> c.down >> c.up;
    return c;
}

// The agent reads the kernel's statistics again only every few seconds and
// every read of ours moves the loopback's counters: waiting for a new value
// gives a few seconds in which the poll and snmpget read the same one.
Counters freshlyRefreshed()
{
    const Counters first = snmpget();
    for (int i = 0; i < 40; ++i) {
        std::this_thread::sleep_for(250ms);
        const Counters now = snmpget();
        if (!(now == first))
            return now;
    }
    return first;
}

struct StopRow
{
    const char* what;
    bool agentRestarted;
};

class UsageAcrossStopsOfTheProgram : public ::testing::TestWithParam<StopRow>
{
protected:
    void SetUp() override
    {
        REQUIRE_PEER(!findExecutable("snmpd").empty() && geteuid() == 0,
                     "snmpd, and root for its port 161");
        ASSERT_TRUE(m_agent.start()) << m_agent.error();
        auto seed = m_program.store(1, {kAgent}, 1, kMetrics, 19751);
        ASSERT_TRUE(seed.integer("0", "SnmpVersion", 1).write(m_program.home()));
    }

    // One run of the program for about `seconds`: the agent's counters when
    // its first poll and its last were read.
    std::pair<Counters, Counters> run(std::chrono::seconds length)
    {
        const Counters first = freshlyRefreshed();
        EXPECT_TRUE(m_program.start());
        std::this_thread::sleep_for(length);
        const Counters last = freshlyRefreshed();
        std::this_thread::sleep_for(1300ms); // one poll after the refresh
        EXPECT_TRUE(m_program.signalAndWait(SIGTERM, 5s)) << m_program.output();
        EXPECT_EQ(snmpget(), last) << "the agent refreshed before the program's end";
        return {first, last};
    }

    std::string report(const char* form)
    {
        int status = -1;
        std::vector<std::string> args{"--usage"};
        if (*form)
            args.push_back(form);
        const std::string out = runCommand(m_program.command(args), &status);
        EXPECT_EQ(status, 0) << out;
        return out;
    }

    SnmpdPeer m_agent{kAgent};
    HeadlessProcess m_program;
};

TEST_P(UsageAcrossStopsOfTheProgram, TheTotalIsTheAgentsGrowthOverTheWholeSpan)
{
    const StopRow& row = GetParam();
    const auto before = run(8s);
    ASSERT_TRUE(sendLoopbackOctets(kAgent, kClosedTransfer));
    if (row.agentRestarted) {
        ASSERT_TRUE(m_agent.restart()) << m_agent.error();
    }
    std::this_thread::sleep_for(5s);
    const auto after = run(8s);

    const std::string csv = report("--csv");
    const auto totals = usageCsvRow(csv, std::string(kAgent) + "#");
    ASSERT_TRUE(totals) << csv;
    const std::string text = report("");
    const uint64_t closedDown = after.first.down - before.second.down;
    const uint64_t closedUp = after.first.up - before.second.up;
    ASSERT_GE(closedDown, kClosedTransfer);
    std::printf("%s: the agent counted %llu octets down from the first poll to the last, %llu "
                "while closed; the report: %llu, %llu closed\n",
                row.what, static_cast<unsigned long long>(after.second.down - before.first.down),
                static_cast<unsigned long long>(closedDown),
                static_cast<unsigned long long>(totals->down),
                static_cast<unsigned long long>(totals->closedDown));
    if (row.agentRestarted) {
        // Only what each run saw itself.
        EXPECT_EQ(totals->down, after.second.down - closedDown - before.first.down) << csv;
        EXPECT_EQ(totals->up, after.second.up - closedUp - before.first.up) << csv;
        EXPECT_EQ(totals->closedDown, 0u) << csv;
        EXPECT_NE(text.find(", the agent restarted"), std::string::npos) << text;
    } else {
        EXPECT_EQ(totals->down, after.second.down - before.first.down) << csv;
        EXPECT_EQ(totals->up, after.second.up - before.first.up) << csv;
        EXPECT_EQ(totals->closedDown, closedDown) << csv;
        EXPECT_EQ(totals->closedUp, closedUp) << csv;
        EXPECT_NE(text.find("Counted while closed: "), std::string::npos) << text;
        EXPECT_EQ(text.find("Not counted"), std::string::npos) << text;
    }
}

INSTANTIATE_TEST_SUITE_P(Stops, UsageAcrossStopsOfTheProgram,
                         ::testing::Values(StopRow{"counted", false},
                                           StopRow{"agentRestarted", true}),
                         [](const auto& info) { return std::string(info.param.what); });

} // namespace
