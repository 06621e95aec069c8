// Version 1 sensors turn their counters into rates by the same rule as every
// other version: graph, labels and tray through the poll, the log through its
// own readings.
#include "FakeSensorNetwork.h"
#include "FakeTrafficLogIO.h"

#include "SensorPoll.h"
#include "TrafficLog.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

using namespace SensorPoll;

namespace {

const std::string kDown = "1.3.6.1.2.1.2.2.1.10.3";
const std::string kUp = "1.3.6.1.2.1.2.2.1.16.3";
constexpr double K = 100000; // the transfer's true rate, bytes per second
constexpr int kStart = 999;  // the agent's uptime at the first poll, seconds (a refresh)
constexpr int64_t kOffset = 5000000;

// What an agent that refreshes its counters every `refresh` seconds shows at
// `t` seconds of a steady transfer of K bytes per second.
int64_t countedAt(int t, int refresh)
{
    return kOffset + int64_t(t / refresh * refresh) * int64_t(K);
}

TSensorRecord sensorWith(bool steady)
{
    TSensorRecord s;
    s.Active = true;
    s.HostName = "Router";
    s.HostIP = "10.0.0.1";
    s.Community = "vandor";
    s.Sensor = "3";
    s.SpeedType = stLive;
    s.SteadyRates = steady;
    buildCounterOids(s);
    return s;
}

struct Case
{
    const char* what;
    int refresh; // seconds between the agent's counter refreshes
    int poll;    // seconds between polls
    bool steady;
    // What each poll after the first shows, in K; empty: the transfer's rate
    // within 1 % from poll `settled` on (as soon as for SNMPv2c).
    std::vector<double> shown;
    int settled = 0;
};

// clang-format off
const std::vector<Case> kCases = {
    {"refresh 3 s, poll 1 s, each poll on its own: 0, 0, 3x", 3, 1, false,
     {0, 0, 3, 0, 0, 3, 0, 0, 3, 0, 0, 3}},
    {"refresh 3 s, poll 1 s, steady", 3, 1, true, {}, 5},
    {"refresh 3 s, poll 5 s, each poll on its own: beats", 3, 5, false,
     {0.6, 1.2, 1.2, 0.6, 1.2, 1.2, 0.6, 1.2, 1.2, 0.6, 1.2, 1.2}},
    {"refresh 3 s, poll 5 s, steady", 3, 5, true, {}, 2},
    {"refreshed at every poll: the same under either rule", 1, 1, true,
     {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}},
};
// clang-format on

void expectShown(const Case& c, const std::vector<double>& rates)
{
    ASSERT_EQ(rates.size(), 12u);
    for (std::size_t i = 0; i < rates.size(); ++i) {
        SCOPED_TRACE(i);
        if (!c.shown.empty()) {
            EXPECT_NEAR(rates[i], c.shown[i] * K, 1e-6 * K);
        } else if (int(i) >= c.settled) {
            EXPECT_NEAR(rates[i], K, 0.01 * K);
        }
    }
}

TEST(SteadyRatesV1, TheGraphFollowsTheSensorsRule)
{
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        FakeSensorNetwork net;
        TSensorRecord s = sensorWith(c.steady);
        std::vector<double> rates;
        for (int i = 0; i <= 12; ++i) {
            const int t = kStart + i * c.poll;
            const std::string time = std::to_string(t * 100);
            net.script(kUpTimeOid, {{true, time}, {true, time}, {true, time}});
            net.answer(kDown, std::to_string(countedAt(t, c.refresh)));
            net.answer(kUp, std::to_string(countedAt(t, c.refresh) / 10));
            const TPollResult r = pollSensor(s, net);
            ASSERT_TRUE(r.replied);
            if (i > 0) {
                rates.push_back(r.downRate);
                EXPECT_NEAR(r.upRate, r.downRate / 10, 1e-6 * K);
                // The label says what the graph draws.
                EXPECT_EQ(r.downText, rateLabel("DL: ", r.downRate));
            }
        }
        expectShown(c, rates);
    }
}

TEST(SteadyRatesV1, TheLogFollowsTheSensorsRule)
{
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        TMonitorSettings settings;
        settings.resizeSensors(1);
        TSensorRecord& s = settings.Sensors[0];
        s = sensorWith(c.steady);
        s.SensorName = "eth0";
        settings.EnableLog = true;
        settings.LogType = TrafficLog::ltOneFile;
        settings.LogFile = "/logs/traffic.log";
        FakeTrafficLogIO io;
        TLocaleFormats formats;
        std::vector<double> rates;
        for (int i = 0; i <= 12; ++i) {
            const int t = kStart + i * c.poll;
            io.answer("10.0.0.1", SensorPoll::kUpTimeOid, std::to_string(t * 100));
            io.answer("10.0.0.1", kDown, std::to_string(countedAt(t, c.refresh)));
            io.answer("10.0.0.1", kUp, std::to_string(countedAt(t, c.refresh) / 10));
            io.appends.clear();
            TrafficLog::logTick(settings, io, formats);
            ASSERT_EQ(io.appends.size(), 1u);
            // date;name;address;down bytes/s;...
            std::string line = io.appends.front().text;
            for (int field = 0; field < 3; ++field)
                line = line.substr(line.find(';') + 1);
            if (i > 0)
                rates.push_back(std::stod(line.substr(0, line.find(';'))));
        }
        expectShown(c, rates);
    }
}

} // namespace
