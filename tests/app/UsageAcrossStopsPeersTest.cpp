// The usage history across a stop, against net-snmp's agent: the program
// polls, stops while traffic runs on the loopback, and starts again. What the
// history holds is the agent's counter growth over the whole span, to the
// octet, with the closed part marked; an agent restarted meanwhile makes the
// stop a gap.

#include "CalendarDay.h"
#include "SensorPoll.h"
#include "SensorPollV2c.h"
#include "SnmpSensorNetwork.h"
#include "TUsageRecorder.h"
#include "UsageSensors.h"

#include "LoopbackOctets.h"
#include "PeerRequirement.h"
#include "SnmpdPeer.h"
#include "TempDirectory.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <memory>
#include <thread>

namespace {

constexpr const char* kSnmpdAddress = "127.0.0.231";
// The agent reads the kernel's interface statistics again only every few
// seconds: a wait this long lets it see traffic just sent.
constexpr auto kAgentRefresh = std::chrono::milliseconds(3500);

TSensorRecord loopbackSensor()
{
    TSensorRecord sensor;
    sensor.Active = true;
    sensor.HostIP = kSnmpdAddress;
    sensor.HostName = "Loopback";
    sensor.Community = SnmpdPeer::community();
    sensor.Sensor = "1";
    sensor.SensorName = "lo";
    sensor.SnmpVersion = TSnmpVersion::V2c;
    SensorPoll::buildCounterOids(sensor);
    return sensor;
}

class UsageAcrossStopsAgainstSnmpd : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_agent = std::make_unique<SnmpdPeer>(kSnmpdAddress);
        REQUIRE_PEER(m_agent->start(), m_agent->error());
        m_path = m_dir.path() + "/usage.sqlite";
    }

    // One run of the program: a fresh sensor (as after a start), two polls
    // with `octets` sent between them; the first and last down counters read.
    std::pair<uint64_t, uint64_t> run(std::size_t octets)
    {
        TUsageRecorder recorder(m_path, nullptr);
        TSensorRecord sensor = loopbackSensor();
        recorder.setSensors({{UsageSensors::sensorKey(sensor), sensor.HostName, {}}});
        uint64_t first = 0;
        uint64_t last = 0;
        for (int n = 0; n < 2; ++n) {
            if (n == 1) {
                EXPECT_TRUE(sendLoopbackOctets(kSnmpdAddress, octets));
                std::this_thread::sleep_for(kAgentRefresh);
            }
            const SensorPoll::TPollResult result = SensorPoll::applyReading(
                sensor, SensorPoll::readSensor(SensorPoll::targetOf(sensor, false), m_net));
            EXPECT_TRUE(result.replied && result.sample) << result.downText;
            if (!result.sample)
                return {0, 0};
            EXPECT_EQ(result.sample->width, CounterWidth::Bits64);
            const auto now = static_cast<int64_t>(std::time(nullptr));
            recorder.goodPoll(UsageSensors::goodPoll(sensor, *result.sample, now),
                              SensorPoll::counterSpeeds(sensor));
            (n == 0 ? first : last) = result.sample->down;
        }
        recorder.flush(static_cast<int64_t>(std::time(nullptr)));
        return {first, last};
    }

    // The stop: traffic the program does not see.
    static void closedTraffic()
    {
        ASSERT_TRUE(sendLoopbackOctets(kSnmpdAddress, 3000000));
        std::this_thread::sleep_for(kAgentRefresh);
    }

    std::unique_ptr<TUsageDatabase> history() { return TUsageDatabase::openForReading(m_path); }

    std::unique_ptr<SnmpdPeer> m_agent;
    SnmpSensorNetwork m_net;
    TempDirectory m_dir;
    std::string m_path;
};

int32_t today()
{
    return TCalendarDay::localDayOf(std::time(nullptr)).key();
}

TEST_F(UsageAcrossStopsAgainstSnmpd, TheTotalIsTheAgentsGrowthOverTheWholeSpan)
{
    const auto before = run(2000000);
    closedTraffic();
    const auto after = run(1000000);
    const std::string key = UsageSensors::sensorKey(loopbackSensor());
    auto db = history();
    // Around midnight the span may cover two days.
    const int32_t from = TCalendarDay::fromKey(today()).plusDays(-1).key();
    const int32_t to = TCalendarDay::fromKey(today()).plusDays(1).key();
    EXPECT_EQ(db->total(key, from, to).down, after.second - before.first);
    const TOctets closed = db->closedTotal(key, from, to);
    EXPECT_EQ(closed.down, after.first - before.second);
    EXPECT_GE(closed.down, 3000000u);
    EXPECT_TRUE(db->gaps(key, 0, std::time(nullptr) + 60).empty());
}

TEST_F(UsageAcrossStopsAgainstSnmpd, AnAgentRestartedDuringTheStopMakesItAGap)
{
    const auto before = run(2000000);
    closedTraffic();
    ASSERT_TRUE(m_agent->restart()) << m_agent->error();
    const auto after = run(1000000);
    const std::string key = UsageSensors::sensorKey(loopbackSensor());
    auto db = history();
    const int32_t from = TCalendarDay::fromKey(today()).plusDays(-1).key();
    const int32_t to = TCalendarDay::fromKey(today()).plusDays(1).key();
    // Only what each run saw itself.
    EXPECT_EQ(db->total(key, from, to).down,
              (before.second - before.first) + (after.second - after.first));
    EXPECT_EQ(db->closedTotal(key, from, to).down, 0u);
    const auto gaps = db->gaps(key, 0, std::time(nullptr) + 60);
    ASSERT_EQ(gaps.size(), 1u);
    EXPECT_EQ(gaps[0].verdict, ClosedSpanVerdict::AgentRestarted);
}

} // namespace
