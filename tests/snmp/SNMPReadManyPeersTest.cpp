#include "SNMPReadMany.h"

#include "CounterStep.h"
#include "InterfaceRebinding.h"
#include "SnmpBulkPage.h"

#include "Ber.h"
#include "ChildProcess.h"
#include "PeerRequirement.h"
#include "ScriptedAgent.h"
#include "SnmpdPeer.h"
#include "TSNMPCheckedSend.h"
#include "TSNMPRec.h"
#include "TickCount.h"
#include "WaitCancel.h"
#include "widgets/Watchdog.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

// Loopback addresses of this suite's own.
constexpr const char* kSnmpdAddress = "127.0.0.171";
constexpr const char* kScriptedAddress = "127.0.0.172";
constexpr const char* kStrangerAddress = "127.0.0.173";

constexpr const char* kUpTime = "1.3.6.1.2.1.1.3.0";
constexpr const char* kIfNumber = "1.3.6.1.2.1.2.1.0";
constexpr const char* kIfEntry = "1.3.6.1.2.1.2.2.1";
constexpr const char* kHcIn = "1.3.6.1.2.1.31.1.1.1.6.";
constexpr const char* kHcOut = "1.3.6.1.2.1.31.1.1.1.10.";
// Replies the scripted agent refuses to give make the read wait this long.
constexpr int kShortTimeoutMs = 400;

using Lines = std::vector<std::pair<std::string, std::string>>;

// net-snmp's tools print "OID value" per line with -On -Oq; the OID has a
// leading dot and strings are quoted when they hold spaces.
Lines netSnmp(const std::vector<std::string>& argv)
{
    int status = -1;
    const std::string out = runCommand(argv, &status);
    EXPECT_EQ(status, 0) << out;
    Lines lines;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) {
        const std::size_t space = line.find(' ');
        if (space == std::string::npos || line.empty() || line[0] != '.')
            continue;
        std::string value = line.substr(space + 1);
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        lines.emplace_back(line.substr(1, space - 1), value);
    }
    return lines;
}

std::vector<std::string> v2cTool(const std::string& tool)
{
    return {tool,  "-v2c", "-c", "vandor", "-On", "-Oq",        "-Ot",
            "-Oe", "-t",   "2",  "-r",     "0",   kSnmpdAddress};
}

std::uint64_t number(const std::string& text)
{
    return std::stoull(text);
}

// ---------------------------------------------------------------- real agent

class ReadManyAgainstSnmpd : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_agent = std::make_unique<SnmpdPeer>(kSnmpdAddress);
        s_started = s_agent->start();
    }
    static void TearDownTestSuite() { s_agent.reset(); }
    void SetUp() override { REQUIRE_PEER(s_started, s_agent->error()); }

    static std::unique_ptr<SnmpdPeer> s_agent;
    static bool s_started;
};
std::unique_ptr<SnmpdPeer> ReadManyAgainstSnmpd::s_agent;
bool ReadManyAgainstSnmpd::s_started = false;

// One request for uptime and both 64-bit counters gives what snmpget -v2c
// reads just before and just after, within the counters' movement.
TEST_F(ReadManyAgainstSnmpd, OneGetOfUpTimeAndBothHighCapacityCountersMatchesSnmpget)
{
    // The loopback interface is index 1 on Linux.
    const std::vector<std::string> oids = {kUpTime, std::string(kHcIn) + "1",
                                           std::string(kHcOut) + "1"};
    std::vector<std::string> argv = v2cTool("snmpget");
    argv.insert(argv.end(), oids.begin(), oids.end());

    const Lines before = netSnmp(argv);
    std::vector<SNMPReading> ours;
    ASSERT_TRUE(SNMPReadValues(oids, "vandor", kSnmpdAddress, SNMPVersion2c, ours));
    const Lines after = netSnmp(argv);
    ASSERT_EQ(before.size(), 3u);
    ASSERT_EQ(after.size(), 3u);
    ASSERT_EQ(ours.size(), 3u);

    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(oids[i]);
        EXPECT_EQ(ours[i].Outcome, SNMPReadOutcome::Value);
        EXPECT_EQ(ours[i].Binding.Oid, oids[i]);
        EXPECT_EQ(ours[i].Binding.ValueType, i == 0 ? BerTag::TimeTicks : BerTag::Counter64);
        EXPECT_EQ(ours[i].Binding.Value, std::to_string(ours[i].Binding.Number));
        EXPECT_LE(number(before[i].second), ours[i].Binding.Number);
        EXPECT_LE(ours[i].Binding.Number, number(after[i].second));
    }
}

TEST_F(ReadManyAgainstSnmpd, MissingInstanceIsAnExceptionNotAValue)
{
    std::vector<SNMPReading> ours;
    ASSERT_TRUE(SNMPReadValues({kUpTime, std::string(kHcIn) + "999999", "1.3.6.1.2.1.1.3"},
                               "vandor", kSnmpdAddress, SNMPVersion2c, ours));
    ASSERT_EQ(ours.size(), 3u);
    EXPECT_EQ(ours[0].Outcome, SNMPReadOutcome::Value);
    EXPECT_EQ(ours[1].Outcome, SNMPReadOutcome::Exception);
    EXPECT_EQ(ours[1].Binding.ValueType, BerTag::NoSuchInstance);
    EXPECT_EQ(ours[2].Outcome, SNMPReadOutcome::Exception);
    EXPECT_EQ(ours[1].Binding.Value, "");
}

// In version 1 the same request fails as a whole: noSuchName, no values.
TEST_F(ReadManyAgainstSnmpd, VersionOneGetWithAMissingObjectHasNoValues)
{
    std::vector<SNMPReading> ours;
    ASSERT_TRUE(SNMPReadValues({kUpTime, std::string(kHcIn) + "999999"}, "vandor", kSnmpdAddress,
                               SNMPVersion1, ours));
    ASSERT_EQ(ours.size(), 2u);
    EXPECT_EQ(ours[0].Outcome, SNMPReadOutcome::Missing);
    EXPECT_EQ(ours[1].Outcome, SNMPReadOutcome::Missing);

    ASSERT_TRUE(SNMPReadValues({kUpTime}, "vandor", kSnmpdAddress, SNMPVersion1, ours));
    EXPECT_EQ(ours[0].Outcome, SNMPReadOutcome::Value);
}

// The interface table in GetBulk pages (more than one: 22 columns a row) has
// the names snmpbulkwalk -v2c finds, and the values of the columns that stand
// still; a column walk bounded by ifNumber the same.
TEST_F(ReadManyAgainstSnmpd, BulkWalkMatchesSnmpbulkwalk)
{
    std::vector<SNMPReading> count;
    ASSERT_TRUE(SNMPReadValues({kIfNumber}, "vandor", kSnmpdAddress, SNMPVersion2c, count));
    ASSERT_EQ(count[0].Outcome, SNMPReadOutcome::Value);
    const std::size_t interfaces = std::stoul(count[0].Binding.Value);
    ASSERT_GT(interfaces, 0u);

    std::vector<SnmpBinding> rows;
    ASSERT_TRUE(SNMPBulkWalk(kIfEntry, "vandor", kSnmpdAddress, 1000, rows));
    std::vector<std::string> argv = v2cTool("snmpbulkwalk");
    argv.push_back(kIfEntry);
    const Lines theirs = netSnmp(argv);
    ASSERT_GT(theirs.size(), 24u); // more than one page
    ASSERT_EQ(rows.size(), theirs.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(theirs[i].first);
        EXPECT_EQ(rows[i].Oid, theirs[i].first);
        // The columns that stand still: index, descr, type, mtu, speed,
        // admin and oper status, last change (the address is printed as hex).
        const std::string tail = theirs[i].first.substr(std::string(kIfEntry).size() + 1);
        const int col = std::stoi(tail.substr(0, tail.find('.')));
        if (col <= 9 && col != 6) {
            EXPECT_EQ(rows[i].isUnsigned() ? std::to_string(rows[i].Number) : rows[i].Value,
                      theirs[i].second);
        }
    }

    for (const char* column :
         {"1.3.6.1.2.1.2.2.1.2", "1.3.6.1.2.1.31.1.1.1.1", "1.3.6.1.2.1.31.1.1.1.15"}) {
        SCOPED_TRACE(column);
        ASSERT_TRUE(SNMPBulkWalk(column, "vandor", kSnmpdAddress, interfaces, rows));
        std::vector<std::string> walk = v2cTool("snmpbulkwalk");
        walk.push_back(column);
        const Lines names = netSnmp(walk);
        ASSERT_EQ(rows.size(), names.size());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(rows[i].Oid, names[i].first);
            EXPECT_EQ(rows[i].isUnsigned() ? std::to_string(rows[i].Number) : rows[i].Value,
                      names[i].second);
        }
        // The bound holds: one row asked, one row given.
        ASSERT_TRUE(SNMPBulkWalk(column, "vandor", kSnmpdAddress, 1, rows));
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(rows[0].Oid, names[0].first);
    }
}

// ---------------------------------------------------------------- scripted agent

class ReadManyAgainstScriptedAgent : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_started = m_agent.start({});
        REQUIRE_PEER(m_started, m_agent.error());
    }
    // Answers every request in SNMPv2c with the given bindings.
    void answerV2c(std::vector<AgentReply::Binding> bindings)
    {
        m_agent.setResponder([bindings](const ScriptedAgent::Request& r) {
            return std::vector<ScriptedAgent::Datagram>{
                {AgentReply::responseV2c(AgentReply::requestId(r.bytes), bindings)}};
        });
    }

    bool m_started = false;
    ScriptedAgent m_agent{kScriptedAddress, kStrangerAddress};
};

TEST_F(ReadManyAgainstScriptedAgent, Counter64EdgeValuesAreReadExactlyAndOversizeIsRefused)
{
    const std::string oid = std::string(kHcIn) + "3";
    struct Case
    {
        const char* what;
        std::string content;
        bool answered;
        const char* text;
    };
    const Case cases[] = {
        {"0", std::string(1, '\0'), true, "0"},
        {"2^32", std::string("\x01\0\0\0\0", 5), true, "4294967296"},
        {"2^63", std::string("\0\x80\0\0\0\0\0\0\0", 9), true, "9223372036854775808"},
        {"2^64-1", std::string("\0", 1) + std::string(8, '\xFF'), true, "18446744073709551615"},
        {"nine octets with leading 00", std::string("\0\0\0\0\0\0\0\0\x2A", 9), true, "42"},
        {"nine octets, 2^64 and more", std::string("\x01\0\0\0\0\0\0\0\0", 9), false, ""},
        {"ten octets", std::string(9, '\0') + "\x01", false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        answerV2c({{oid, BerTag::Counter64, c.content}});
        std::vector<SNMPReading> ours;
        ASSERT_EQ(
            SNMPReadValues({oid}, "vandor", kScriptedAddress, SNMPVersion2c, ours, kShortTimeoutMs),
            c.answered);
        if (!c.answered) {
            EXPECT_TRUE(ours.empty());
            continue;
        }
        ASSERT_EQ(ours.size(), 1u);
        EXPECT_EQ(ours[0].Outcome, SNMPReadOutcome::Value);
        EXPECT_EQ(ours[0].Binding.Value, c.text);
    }
}

TEST_F(ReadManyAgainstScriptedAgent, ExceptionsAreFailedReadsBesideRealValues)
{
    const std::vector<std::string> oids = {kUpTime, std::string(kHcIn) + "3",
                                           std::string(kHcOut) + "3", "1.3.6.1.9"};
    answerV2c({{oids[0], BerTag::TimeTicks, AgentReply::unsigned32(5000)},
               {oids[1], BerTag::NoSuchObject, ""},
               {oids[2], BerTag::NoSuchInstance, ""},
               {oids[3], BerTag::EndOfMibView, ""}});
    std::vector<SNMPReading> ours;
    ASSERT_TRUE(SNMPReadValues(oids, "vandor", kScriptedAddress, SNMPVersion2c, ours));
    ASSERT_EQ(ours.size(), 4u);
    EXPECT_EQ(ours[0].Outcome, SNMPReadOutcome::Value);
    EXPECT_EQ(ours[0].Binding.Number, 5000u);
    for (std::size_t i = 1; i < 4; ++i) {
        EXPECT_EQ(ours[i].Outcome, SNMPReadOutcome::Exception) << i;
        EXPECT_EQ(ours[i].Binding.Value, "") << i;
    }

    // The request carried all four names in one SNMPv2c GetRequest.
    const std::vector<ScriptedAgent::Request> requests = m_agent.requests();
    ASSERT_EQ(requests.size(), 1u);
    TSNMPRec request;
    ASSERT_TRUE(request.Decode(requests[0].bytes));
    EXPECT_EQ(request.Version, SNMPVersion2c);
    EXPECT_EQ(request.PDUType, BerTag::GetRequest);
    ASSERT_EQ(request.VarBindCount(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(request.VarBind(i).Oid, oids[i]);
        EXPECT_EQ(request.VarBind(i).ValueType, BerTag::Null);
    }
}

// An agent that only speaks version 1 either stays silent or answers in
// version 1; a v2c read takes neither as its answer.
TEST_F(ReadManyAgainstScriptedAgent, VersionOneAgentRefusingV2cIsNoAnswer)
{
    const std::vector<AgentReply::Binding> upTime = {
        {kUpTime, BerTag::TimeTicks, AgentReply::unsigned32(77)}};
    m_agent.setResponder([upTime](const ScriptedAgent::Request& r) {
        TSNMPRec request;
        if (!request.Decode(r.bytes) || request.Version != 0)
            return std::vector<ScriptedAgent::Datagram>{};
        return std::vector<ScriptedAgent::Datagram>{{AgentReply::response(request.ID, upTime)}};
    });
    std::vector<SNMPReading> ours;
    EXPECT_FALSE(SNMPReadValues({kUpTime}, "vandor", kScriptedAddress, SNMPVersion2c, ours,
                                kShortTimeoutMs));
    ASSERT_TRUE(
        SNMPReadValues({kUpTime}, "vandor", kScriptedAddress, SNMPVersion1, ours, kShortTimeoutMs));
    EXPECT_EQ(ours[0].Binding.Value, "77");

    // Answering every version with a version-1 message.
    m_agent.setResponder([upTime](const ScriptedAgent::Request& r) {
        return std::vector<ScriptedAgent::Datagram>{
            {AgentReply::response(AgentReply::requestId(r.bytes), upTime)}};
    });
    TSNMPCheckedSend snmp;
    snmp.TargetHost = kScriptedAddress;
    snmp.Timeout = kShortTimeoutMs;
    snmp.Query.Version = SNMPVersion2c;
    snmp.Query.PDUType = BerTag::GetRequest;
    snmp.Query.AddVarBind(kUpTime, "", BerTag::Null);
    EXPECT_FALSE(snmp.Exchange());
    EXPECT_EQ(snmp.Refused[static_cast<int>(SnmpRefusal::WrongVersion)], 1);
}

// A stale answer and a broken one do not pass for the answer that follows.
TEST_F(ReadManyAgainstScriptedAgent, OnlyTheAnswerToThisRequestIsTaken)
{
    const std::string oid = std::string(kHcIn) + "3";
    m_agent.setResponder([oid](const ScriptedAgent::Request& r) {
        const std::int32_t id = AgentReply::requestId(r.bytes);
        const std::string good =
            AgentReply::responseV2c(id, {{oid, BerTag::Counter64, std::string(1, '\x07')}});
        return std::vector<ScriptedAgent::Datagram>{
            {AgentReply::responseV2c(id - 1, {{oid, BerTag::Counter64, "\x63"}})},
            {good.substr(0, good.size() - 1)},
            {good}};
    });
    TSNMPCheckedSend snmp;
    snmp.TargetHost = kScriptedAddress;
    snmp.Query.Version = SNMPVersion2c;
    snmp.Query.PDUType = BerTag::GetRequest;
    snmp.Query.AddVarBind(oid, "", BerTag::Null);
    ASSERT_TRUE(snmp.Exchange());
    ASSERT_EQ(snmp.Reply.Bindings.size(), 1u);
    EXPECT_EQ(snmp.Reply.Bindings[0].Value, "7");
    EXPECT_EQ(snmp.Refused[static_cast<int>(SnmpRefusal::WrongRequestId)], 1);
    EXPECT_EQ(snmp.Refused[static_cast<int>(SnmpRefusal::NotAMessage)], 1);
    EXPECT_EQ(snmp.HostIP, kScriptedAddress);
}

// GetBulk pages: the request asks for no more rows than the bound, each page
// goes on after the last row, and an agent that repeats itself ends the walk
// as a failure instead of looping.
TEST_F(ReadManyAgainstScriptedAgent, BulkWalkAsksPageByPageAndStopsAnAgentGoingInCircles)
{
    const std::string column = "1.3.6.1.2.1.2.2.1.2";
    m_agent.setResponder([column](const ScriptedAgent::Request& r) {
        TSNMPRec request;
        request.Decode(r.bytes);
        // Rows 1, 2, 3 of the column, then the next column.
        const std::string from = request.VarBindCount() > 0 ? request.VarBind(0).Oid : "";
        std::vector<AgentReply::Binding> page;
        int row = from == column ? 1 : std::stoi(from.substr(column.size() + 1)) + 1;
        for (int n = 0; n < request.MaxRepetitions() && n < 2; ++n, ++row) {
            if (row <= 3)
                page.push_back({column + "." + std::to_string(row), BerTag::OctetString,
                                "if" + std::to_string(row)});
            else
                page.push_back({"1.3.6.1.2.1.2.2.1.3.1", BerTag::Integer, "\x06"});
        }
        return std::vector<ScriptedAgent::Datagram>{{AgentReply::responseV2c(request.ID, page)}};
    });
    std::vector<SnmpBinding> rows;
    ASSERT_TRUE(SNMPBulkWalk(column, "vandor", kScriptedAddress, 10, rows, kShortTimeoutMs));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[2].Oid, column + ".3");
    EXPECT_EQ(rows[2].Value, "if3");

    const std::vector<ScriptedAgent::Request> requests = m_agent.requests();
    ASSERT_EQ(requests.size(), 2u);
    TSNMPRec second;
    ASSERT_TRUE(second.Decode(requests[1].bytes));
    EXPECT_EQ(second.Version, SNMPVersion2c);
    EXPECT_EQ(second.PDUType, BerTag::GetBulkRequest);
    EXPECT_EQ(second.NonRepeaters(), 0);
    EXPECT_EQ(second.MaxRepetitions(), 8); // 10 rows wanted, 2 already read
    EXPECT_EQ(second.VarBind(0).Oid, column + ".2");

    // Always the same row back.
    m_agent.setResponder([column](const ScriptedAgent::Request& r) {
        return std::vector<ScriptedAgent::Datagram>{{AgentReply::responseV2c(
            AgentReply::requestId(r.bytes), {{column + ".1", BerTag::OctetString, "lo"}})}};
    });
    EXPECT_FALSE(SNMPBulkWalk(column, "vandor", kScriptedAddress, 10, rows, kShortTimeoutMs));
    EXPECT_EQ(rows.size(), 1u);
}

// ---------------------------------------------------------------- gets read together

// What SNMPReadTogether handed over, by request.
struct TogetherEnds
{
    std::vector<int> order; // request indexes as they ended
    std::map<std::size_t, SNMPGetEnd> ends;
    SNMPGetEnded sink()
    {
        return [this](std::size_t index, SNMPGetEnd end) {
            EXPECT_EQ(ends.count(index), 0u) << "request " << index << " ended twice";
            order.push_back(static_cast<int>(index));
            ends[index] = std::move(end);
        };
    }
};

// Gets read together against snmpd give what each gives read alone: uptime
// and counters within what snmpget reads before and after.
TEST_F(ReadManyAgainstSnmpd, GetsReadTogetherAnswerAsEachDoesAlone)
{
    const std::vector<std::string> oids = {kUpTime, std::string(kHcIn) + "1",
                                           std::string(kHcOut) + "1"};
    std::vector<std::string> argv = v2cTool("snmpget");
    argv.insert(argv.end(), oids.begin(), oids.end());
    const Lines before = netSnmp(argv);
    TogetherEnds ends;
    SNMPReadTogether({{oids, "vandor", kSnmpdAddress},
                      {{oids[1]}, "vandor", kSnmpdAddress},
                      {oids, "vandor", kSnmpdAddress}},
                     ends.sink());
    const Lines after = netSnmp(argv);
    ASSERT_EQ(ends.ends.size(), 3u);
    ASSERT_EQ(before.size(), 3u);
    ASSERT_EQ(after.size(), 3u);
    for (const std::size_t get : {0u, 2u}) {
        const SNMPGetEnd& end = ends.ends[get];
        ASSERT_TRUE(end.answered) << get;
        ASSERT_EQ(end.readings.size(), 3u);
        for (std::size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(end.readings[i].Outcome, SNMPReadOutcome::Value);
            EXPECT_LE(number(before[i].second), end.readings[i].Binding.Number);
            EXPECT_LE(end.readings[i].Binding.Number, number(after[i].second));
        }
    }
    ASSERT_TRUE(ends.ends[1].answered);
    ASSERT_EQ(ends.ends[1].readings.size(), 1u);
    EXPECT_EQ(ends.ends[1].readings[0].Binding.Oid, oids[1]);
}

// Each get ends on its own: answers as they come, refused datagrams leave
// their get waiting, and a get its agent never answers ends last, not before
// its own time-out and without holding up the others.
TEST_F(ReadManyAgainstScriptedAgent, GetsReadTogetherEndEachOnItsOwn)
{
    // The request's first name says how the agent answers it.
    const std::string answered = std::string(kHcIn) + "1";
    const std::string silent = std::string(kHcIn) + "2";
    const std::string refusedFirst = std::string(kHcIn) + "3";
    const std::string late = std::string(kHcIn) + "4";
    m_agent.setResponder([=](const ScriptedAgent::Request& r) {
        TSNMPRec request;
        std::vector<ScriptedAgent::Datagram> out;
        if (!request.Decode(r.bytes) || request.VarBindCount() == 0)
            return out;
        const std::string oid = request.VarBind(0).Oid;
        const std::int32_t id = request.ID;
        const std::string value(1, static_cast<char>(oid.back() - '0'));
        const std::string good = AgentReply::responseV2c(id, {{oid, BerTag::Counter64, value}});
        if (oid == silent)
            return out;
        if (oid == refusedFirst) {
            out.push_back({AgentReply::responseV2c(id + 1000, {{oid, BerTag::Counter64, "\x63"}})});
            out.push_back({good.substr(0, good.size() - 1)});
        }
        out.push_back({good, false, oid == late ? 100 : 0});
        return out;
    });
    TogetherEnds ends;
    SNMPReadTogether({{{silent}, "vandor", kScriptedAddress},
                      {{answered}, "vandor", kScriptedAddress},
                      {{refusedFirst}, "vandor", kScriptedAddress},
                      {{late}, "vandor", kScriptedAddress}},
                     ends.sink(), kShortTimeoutMs);
    ASSERT_EQ(ends.order.size(), 4u);
    EXPECT_EQ(ends.order.back(), 0);
    EXPECT_FALSE(ends.ends[0].answered);
    EXPECT_TRUE(ends.ends[0].readings.empty());
    EXPECT_GE(TickDiff(ends.ends[0].sentTick, ends.ends[0].endTick),
              static_cast<std::uint32_t>(kShortTimeoutMs));
    for (std::size_t get = 1; get < 4; ++get) {
        SCOPED_TRACE(get);
        const SNMPGetEnd& end = ends.ends[get];
        ASSERT_TRUE(end.answered);
        ASSERT_EQ(end.readings.size(), 1u);
        // The value the agent gave is the last digit of the name asked.
        EXPECT_EQ(end.readings[0].Binding.Number, std::uint64_t(get == 1 ? 1 : get + 1));
        EXPECT_LE(TickDiff(end.sentTick, end.endTick),
                  TickDiff(end.sentTick, ends.ends[0].endTick));
    }
    // One datagram per get went out, all from one socket, each get known by
    // a request id of its own.
    const std::vector<ScriptedAgent::Request> requests = m_agent.requests();
    ASSERT_EQ(requests.size(), 4u);
    std::set<std::int32_t> ids;
    for (const ScriptedAgent::Request& request : requests) {
        EXPECT_EQ(request.senderPort, requests[0].senderPort);
        ids.insert(AgentReply::requestId(request.bytes));
    }
    EXPECT_EQ(ids.size(), 4u);
}

// Stopping ends every get still waiting at once, long before its time-out.
TEST_F(ReadManyAgainstScriptedAgent, GetsReadTogetherEndAtOnceWhenCancelled)
{
    Watchdog watchdog("gets read together, then cancelled", std::chrono::seconds(20));
    m_agent.setResponder(
        [](const ScriptedAgent::Request&) { return std::vector<ScriptedAgent::Datagram>{}; });
    WaitCancel cancel;
    TogetherEnds ends;
    std::thread reader([&] {
        WaitCancel::setCurrent(&cancel);
        SNMPReadTogether({{{kUpTime}, "vandor", kScriptedAddress},
                          {{kUpTime, kUpTime}, "vandor", kScriptedAddress}},
                         ends.sink(), 60000);
        WaitCancel::setCurrent(nullptr);
    });
    while (m_agent.requests().size() < 2)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    cancel.fire();
    reader.join();
    ASSERT_EQ(ends.ends.size(), 2u);
    EXPECT_FALSE(ends.ends[0].answered);
    EXPECT_FALSE(ends.ends[1].answered);
}

// ---------------------------------------------------------------- an agent's MIB

// A scripted agent that answers gets and GetBulks from a table of its own
// (which the test may change between requests), the way a router would.
class TableAgent : public ReadManyAgainstScriptedAgent
{
protected:
    using Table = std::vector<AgentReply::Binding>; // in OID order

    void serve(std::function<Table()> table)
    {
        m_agent.setResponder([table](const ScriptedAgent::Request& r) {
            TSNMPRec request;
            request.Decode(r.bytes);
            const Table now = table();
            std::vector<AgentReply::Binding> answer;
            for (std::size_t i = 0; i < request.VarBindCount(); ++i) {
                const std::string& asked = request.VarBind(i).Oid;
                if (request.PDUType == BerTag::GetRequest) {
                    AgentReply::Binding b{asked, BerTag::NoSuchInstance, ""};
                    for (const AgentReply::Binding& row : now)
                        if (row.oid == asked)
                            b = row;
                    answer.push_back(b);
                    continue;
                }
                std::string from = asked;
                for (int n = 0; n < request.MaxRepetitions(); ++n) {
                    AgentReply::Binding next{from, BerTag::EndOfMibView, ""};
                    for (const AgentReply::Binding& row : now) {
                        if (compareOids(row.oid, from) > 0) {
                            next = row;
                            break;
                        }
                    }
                    answer.push_back(next);
                    if (next.type == BerTag::EndOfMibView)
                        break;
                    from = next.oid;
                }
            }
            return std::vector<ScriptedAgent::Datagram>{
                {AgentReply::responseV2c(request.ID, answer)}};
        });
    }

    static std::string counter64(std::uint64_t value)
    {
        std::string content(1, '\0');
        for (int shift = 56; shift >= 0; shift -= 8)
            content += static_cast<char>((value >> shift) & 0xFF);
        return content;
    }
};

// Two polls five seconds apart (by the agent's clock), the download passing
// 2^64 at 100 Gbit/s and the upload at 10 Gbit/s: both rates come out exact.
TEST_F(TableAgent, RatesAreExactAcrossTheTopOf64BitCountersAt10And100Gbits)
{
    const std::string in = std::string(kHcIn) + "4";
    const std::string out = std::string(kHcOut) + "4";
    const std::uint64_t inStep = 100'000'000'000ull / 8 * 5;
    const std::uint64_t outStep = 10'000'000'000ull / 8 * 5;
    const std::uint64_t inFirst = ~std::uint64_t(0) - inStep / 2;
    // Counted on the agent's thread only.
    auto poll = std::make_shared<std::uint64_t>(0);
    serve([=] {
        const std::uint64_t k = (*poll)++;
        return Table{{kUpTime, BerTag::TimeTicks, AgentReply::unsigned32(100000 + 500 * k)},
                     {in, BerTag::Counter64, counter64(inFirst + k * inStep)},
                     {out, BerTag::Counter64, counter64(123 + k * outStep)}};
    });
    std::vector<SNMPReading> first;
    std::vector<SNMPReading> second;
    ASSERT_TRUE(
        SNMPReadValues({kUpTime, in, out}, "vandor", kScriptedAddress, SNMPVersion2c, first));
    ASSERT_TRUE(
        SNMPReadValues({kUpTime, in, out}, "vandor", kScriptedAddress, SNMPVersion2c, second));
    ASSERT_LT(second[1].Binding.Number, first[1].Binding.Number); // passed the top
    const double seconds =
        static_cast<double>(second[0].Binding.Number - first[0].Binding.Number) / 100.0;
    const CounterStep down =
        counterStep(first[1].Binding.Number, second[1].Binding.Number, CounterWidth::Bits64);
    const CounterStep up =
        counterStep(first[2].Binding.Number, second[2].Binding.Number, CounterWidth::Bits64);
    EXPECT_FALSE(down.reset);
    EXPECT_EQ(stepRate(down, seconds), 12'500'000'000.0);
    EXPECT_EQ(stepRate(up, seconds), 1'250'000'000.0);
}

// After the agent restarts (its uptime goes back), the interface of the
// sensor's name is found again under its new index, or found missing.
TEST_F(TableAgent, RenumberedInterfaceIsFoundByNameAfterARestart)
{
    const std::string descr = "1.3.6.1.2.1.2.2.1.2";
    auto interfaces = [descr](std::uint32_t upTime, std::vector<std::pair<int, std::string>> rows) {
        Table t{{kUpTime, BerTag::TimeTicks, AgentReply::unsigned32(upTime)}};
        for (const auto& [index, name] : rows)
            t.push_back({descr + "." + std::to_string(index), BerTag::OctetString, name});
        return t;
    };
    const Table first =
        interfaces(9000000, {{1, "lo"}, {2, "br-lan"}, {7, "ppp0"}, {12, "eth0.2"}});
    serve([first] { return first; });

    const std::vector<std::string> upTime = {kUpTime};
    std::vector<SNMPReading> before;
    ASSERT_TRUE(SNMPReadValues(upTime, "vandor", kScriptedAddress, SNMPVersion2c, before));

    struct Case
    {
        const char* what;
        std::vector<std::pair<int, std::string>> rows;
        RebindOutcome outcome;
        std::int32_t index;
    };
    const Case cases[] = {
        {"renumbered",
         {{1, "lo"}, {4, "ppp0"}, {7, "eth1"}, {9, "br-lan"}},
         RebindOutcome::Rebind,
         4},
        {"unchanged", {{1, "lo"}, {2, "br-lan"}, {7, "ppp0"}}, RebindOutcome::Keep, 7},
        {"gone", {{1, "lo"}, {7, "eth1"}}, RebindOutcome::NotFound, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Table restarted = interfaces(250, c.rows);
        serve([restarted] { return restarted; });
        std::vector<SNMPReading> after;
        ASSERT_TRUE(SNMPReadValues(upTime, "vandor", kScriptedAddress, SNMPVersion2c, after));
        ASSERT_TRUE(agentRestarted(static_cast<std::uint32_t>(before[0].Binding.Number),
                                   static_cast<std::uint32_t>(after[0].Binding.Number)));
        std::vector<SnmpBinding> rows;
        ASSERT_TRUE(SNMPBulkWalk(descr, "vandor", kScriptedAddress, 64, rows));
        std::vector<std::pair<std::string, std::string>> named;
        for (const SnmpBinding& row : rows)
            named.emplace_back(row.Oid, row.Value);
        const RebindDecision d = rebindInterface(7, "ppp0", walkedInterfaces(descr, named));
        EXPECT_EQ(d.outcome, c.outcome);
        EXPECT_EQ(d.index, c.index);
    }
}

} // namespace
