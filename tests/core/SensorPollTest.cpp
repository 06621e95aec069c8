#include "FakeSensorNetwork.h"

#include "SensorPoll.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <string>

using namespace SensorPoll;

namespace {

const std::string kDown = "1.3.6.1.2.1.2.2.1.10.3";
const std::string kUp = "1.3.6.1.2.1.2.2.1.16.3";

TSensorRecord sensorOn(const std::string& host)
{
    TSensorRecord s;
    s.Active = true;
    s.HostName = "Router";
    s.HostIP = host;
    s.Community = "vandor";
    s.Sensor = "3";
    s.SpeedType = stDetected;
    s.DownSpeed = 1024;
    s.UpSpeed = 1024;
    buildCounterOids(s);
    return s;
}

// Scripts one poll: the reachability read and the first time reading answer
// `first`, the counters `down` and `up`, then the second time reading `second`.
void scriptPoll(FakeSensorNetwork& net, const std::string& first, const std::string& second,
                const std::string& down, const std::string& up)
{
    net.script(kUpTimeOid, {{true, first}, {true, first}, {true, second}});
    net.answer(kDown, down);
    net.answer(kUp, up);
}

TEST(SensorPoll, CounterOidsFollowTheInterfaceIndexAndSwap)
{
    TSensorRecord s;
    s.Sensor = "7";
    buildCounterOids(s);
    EXPECT_EQ(s.DownOID, "1.3.6.1.2.1.2.2.1.10.7");
    EXPECT_EQ(s.UpOID, "1.3.6.1.2.1.2.2.1.16.7");
    s.SwapedInOut = true;
    buildCounterOids(s);
    EXPECT_EQ(s.DownOID, "1.3.6.1.2.1.2.2.1.16.7");
    EXPECT_EQ(s.UpOID, "1.3.6.1.2.1.2.2.1.10.7");
}

TEST(SensorPoll, WorkedExampleUsesTheMidpointOfTheTimeReadings)
{
    FakeSensorNetwork net;
    TSensorRecord s = sensorOn("10.0.0.1");
    s.PrevTime = 100000.0;
    s.PrevDownCount = 1000000;
    s.PrevUpCount = 2000000;
    scriptPoll(net, "100500", "100502", "1512800", "2000501");

    const TPollResult r = pollSensor(s, net);
    EXPECT_TRUE(r.replied);
    EXPECT_DOUBLE_EQ(s.CurTime, 100501.0);
    EXPECT_NEAR(r.downRate, 512800 / 5.01, 1e-6);
    EXPECT_EQ(r.downText, "DL: 100.0 kb/s");
    EXPECT_EQ(roundRate(r.downRate), 102355);
    EXPECT_NEAR(r.upRate, 100.0, 1e-9);
    EXPECT_EQ(r.upText, "UL: 0.1 kb/s");
    // This poll becomes the previous one.
    EXPECT_EQ(s.PrevDownCount, 1512800);
    EXPECT_EQ(s.PrevUpCount, 2000501);
    EXPECT_DOUBLE_EQ(s.PrevTime, 100501.0);
    // Reachability, time, down, up, time: five reads to the sensor's agent.
    ASSERT_EQ(net.m_requests.size(), 5u);
    EXPECT_EQ(net.m_requests[0], std::string(kUpTimeOid) + "@10.0.0.1/vandor");
    EXPECT_EQ(net.m_requests[2], kDown + "@10.0.0.1/vandor");
    EXPECT_EQ(net.m_requests[3], kUp + "@10.0.0.1/vandor");
}

TEST(SensorPoll, FirstPollAndStandingClockGiveZeroRates)
{
    FakeSensorNetwork net;
    TSensorRecord s = sensorOn("10.0.0.1");
    scriptPoll(net, "500", "500", "1000", "2000");
    TPollResult r = pollSensor(s, net);
    EXPECT_EQ(r.downRate, 0);
    EXPECT_EQ(r.downText, "DL: 0.0 kb/s");
    EXPECT_EQ(r.upText, "UL: 0.0 kb/s");

    // Same time readings again, counters moved: no time passed, rates 0.
    scriptPoll(net, "500", "500", "9000", "9000");
    r = pollSensor(s, net);
    EXPECT_EQ(r.downRate, 0);
    EXPECT_EQ(r.upRate, 0);
    // The clock going back (agent restart) gives 0 too.
    scriptPoll(net, "100", "100", "10000", "10000");
    r = pollSensor(s, net);
    EXPECT_EQ(r.downRate, 0);
    EXPECT_EQ(s.PrevDownCount, 10000);
}

TEST(SensorPoll, CountersWrapAt32Bits)
{
    FakeSensorNetwork net;
    TSensorRecord s = sensorOn("10.0.0.1");
    // 4294966296 arrives as the signed text -1000; 2^32 + 1000 wrapped is 1000.
    s.PrevDownCount = -1000;
    s.PrevUpCount = 2147483000;
    s.PrevTime = 1000;
    scriptPoll(net, "1100", "1100", "1000", "-2147483000");
    const TPollResult r = pollSensor(s, net);
    EXPECT_DOUBLE_EQ(r.downRate, 2000.0);
    // 2147483000 -> 2^32 - 2147483000 = an increase of 1296 across the sign.
    EXPECT_DOUBLE_EQ(r.upRate, 1296.0);
    EXPECT_EQ(wrappingDifference(INT32_MIN, INT32_MAX), 1);
}

TEST(SensorPoll, TimeSumWrapsAndCounterGoingBackIsZeroAndANewBaseline)
{
    // Two readings near 2^31 - 1 overflow their 32-bit sum: the midpoint is
    // far below the previous time, so the rates are 0.
    EXPECT_DOUBLE_EQ(midpointTime(2147483600, 2147483640), -28.0);
    FakeSensorNetwork net;
    TSensorRecord s = sensorOn("10.0.0.1");
    s.PrevTime = 2147483600.0;
    s.PrevDownCount = 5000;
    s.PrevUpCount = 5000;
    scriptPoll(net, "2147483600", "2147483640", "9000", "9000");
    EXPECT_EQ(pollSensor(s, net).downRate, 0);

    s.PrevTime = 0;
    s.PrevDownCount = 5000;
    s.LastAgentUpTime = -1; // not an agent that restarted: its counter went back
    scriptPoll(net, "100", "100", "3000", "5000");
    TPollResult r = pollSensor(s, net);
    EXPECT_EQ(r.downRate, 0);
    EXPECT_EQ(r.downText, "DL: 0.0 kb/s");
    // The lower reading is the baseline the next poll measures from.
    EXPECT_EQ(s.PrevDownCount, 3000);
    scriptPoll(net, "200", "200", "4024", "5000");
    r = pollSensor(s, net);
    EXPECT_DOUBLE_EQ(r.downRate, 1024.0);
}

TEST(SensorPoll, SilentAgentTakesTheErrorBranch)
{
    FakeSensorNetwork net; // answers nothing
    TSensorRecord s = sensorOn("10.0.0.1");
    s.DownCount = 70;
    s.UpCount = 80;
    s.PrevDownCount = 0; // as after a rebuild
    s.CurTime = 42;
    s.PrevTime = 40;
    const TPollResult r = pollSensor(s, net);
    EXPECT_FALSE(r.replied);
    EXPECT_EQ(r.downText, "Error on DL sensor");
    EXPECT_EQ(r.upText, "Error on UL sensor");
    EXPECT_EQ(r.downRate, 1);
    EXPECT_EQ(r.upRate, 1);
    EXPECT_EQ(net.m_requests.size(), 1u);
    // Nothing was read: the last poll's values move along unchanged.
    EXPECT_EQ(s.DownCount, 70);
    EXPECT_EQ(s.PrevDownCount, 70);
    EXPECT_EQ(s.PrevUpCount, 80);
    EXPECT_DOUBLE_EQ(s.PrevTime, 42);
}

// A reading lost or unusable after the agent answered the reachability read:
// the error branch, the previous values kept, and a report only for a text
// that is not a number.
TEST(SensorPoll, LostOrBadReadingAfterReachabilityTakesTheErrorBranch)
{
    struct Case
    {
        const char* what;
        std::vector<FakeSensorNetwork::Reply> upTime; // reachability, first, second
        FakeSensorNetwork::Reply down;
        FakeSensorNetwork::Reply up;
        const char* report;
    };
    const Case cases[] = {
        {"download counter lost", {{true, "500"}}, {false, ""}, {true, "20"}, ""},
        {"upload counter lost", {{true, "500"}}, {true, "20"}, {false, ""}, ""},
        {"counter answered empty", {{true, "500"}}, {true, ""}, {true, "20"}, ""},
        {"first time re-read lost",
         {{true, "500"}, {false, ""}, {true, "500"}},
         {true, "20"},
         {true, "20"},
         ""},
        {"second time re-read lost",
         {{true, "500"}, {true, "500"}, {false, ""}},
         {true, "20"},
         {true, "20"},
         ""},
        {"counter not a number",
         {{true, "500"}},
         {true, "12abc"},
         {true, "20"},
         "'12abc' is not a valid integer value"},
        {"counter beyond 32 bits",
         {{true, "500"}},
         {true, "4294967296"},
         {true, "20"},
         "'4294967296' is not a valid integer value"},
        {"time not a number",
         {{true, "500"}, {true, "x1"}},
         {true, "20"},
         {true, "20"},
         "'x1' is not a valid integer value"},
    };
    for (const Case& c : cases) {
        FakeSensorNetwork net;
        TSensorRecord s = sensorOn("10.0.0.1");
        s.PrevDownCount = 102400;
        s.PrevUpCount = 10;
        s.DownCount = 102400;
        s.UpCount = 10;
        s.PrevTime = 400;
        s.CurTime = 400;
        net.script(kUpTimeOid, c.upTime);
        net.script(kDown, {c.down});
        net.script(kUp, {c.up});
        const TPollResult r = pollSensor(s, net);
        EXPECT_FALSE(r.replied) << c.what;
        EXPECT_EQ(r.downText, "Error on DL sensor") << c.what;
        EXPECT_EQ(r.upText, "Error on UL sensor") << c.what;
        EXPECT_EQ(r.downRate, 1) << c.what;
        EXPECT_EQ(r.upRate, 1) << c.what;
        EXPECT_EQ(r.report, c.report) << c.what;
        EXPECT_EQ(s.PrevDownCount, 102400) << c.what;
        EXPECT_EQ(s.PrevUpCount, 10) << c.what;
        EXPECT_DOUBLE_EQ(s.PrevTime, 400) << c.what;
        // Every read of the poll was still made, one request each.
        EXPECT_EQ(net.m_requests.size(), 5u) << c.what;
    }
}

TEST(SensorPoll, NextGoodPollMeasuresOverTheWholeGap)
{
    FakeSensorNetwork net;
    TSensorRecord s = sensorOn("10.0.0.1");
    scriptPoll(net, "100", "100", "1000", "1000");
    pollSensor(s, net);
    net.script(kUpTimeOid, {{true, "200"}});
    net.script(kDown, {{false, ""}});
    EXPECT_FALSE(pollSensor(s, net).replied);
    // 2 s after the last good poll, 2048 octets more: 1024 per second, not
    // 2048 over the last second alone.
    scriptPoll(net, "300", "300", "3048", "1000");
    const TPollResult r = pollSensor(s, net);
    EXPECT_TRUE(r.replied);
    EXPECT_DOUBLE_EQ(r.downRate, 1024.0);
}

TEST(SensorPoll, ReadingsRunApartFromTheSensor)
{
    // The reads alone, as a network thread makes them: in their order, with
    // the ping first when asked, and the index carried through.
    FakeSensorNetwork net;
    scriptPoll(net, "100", "101", "5", "6");
    TSensorRecord s = sensorOn("10.0.0.7");
    TSensorTarget target = targetOf(s, true);
    target.index = 4;
    const TSensorReading reading = readSensor(target, net);
    EXPECT_EQ(reading.index, 4);
    EXPECT_EQ(net.m_pings, std::vector<std::string>{"10.0.0.7"});
    const std::vector<std::string> order = {std::string(kUpTimeOid) + "@10.0.0.7/vandor",
                                            std::string(kUpTimeOid) + "@10.0.0.7/vandor",
                                            kDown + "@10.0.0.7/vandor", kUp + "@10.0.0.7/vandor",
                                            std::string(kUpTimeOid) + "@10.0.0.7/vandor"};
    EXPECT_EQ(net.m_requests, order);
    EXPECT_EQ(reading.down, std::optional<std::string>("5"));
    EXPECT_EQ(reading.secondTime, std::optional<std::string>("101"));

    // A failed ping: nothing is read, the labels say so, nothing advances.
    FakeSensorNetwork unreachable;
    unreachable.m_pingResult = -1;
    const TSensorReading none = readSensor(target, unreachable);
    EXPECT_TRUE(none.pingFailed);
    EXPECT_TRUE(unreachable.m_requests.empty());
    const TPollResult r = applyReading(s, none);
    EXPECT_FALSE(r.pinged);
    EXPECT_EQ(r.downText, "Error on response");
    EXPECT_EQ(r.upText, "Error on response");
}

TEST(SensorPoll, PassTargetsAreTheActiveSensorsInOrder)
{
    TMonitorSettings settings;
    settings.resizeSensors(4);
    for (int i = 0; i < 4; ++i)
        settings.Sensors[std::size_t(i)] = sensorOn("10.0.0." + std::to_string(i + 1));
    settings.Sensors[1].Active = false;
    settings.DoPing = true;
    const std::vector<TSensorTarget> targets = passTargets(settings);
    ASSERT_EQ(targets.size(), 3u);
    EXPECT_EQ(targets[0].index, 0);
    EXPECT_EQ(targets[1].index, 2);
    EXPECT_EQ(targets[2].host, "10.0.0.4");
    EXPECT_TRUE(targets[2].pingFirst);
    EXPECT_EQ(targets[2].downOid, kDown);
}

TEST(SensorPoll, AnswerFromAnotherAddressIsNamedUntilTheAgentAnswers)
{
    TPollResult result;
    result.otherSender = "10.9.9.9";
    EXPECT_EQ(titleToolTip(result),
              std::optional<std::string>(
                  "The device answered from 10.9.9.9; poll that address instead."));
    result.otherSender.clear();
    result.replied = true;
    EXPECT_EQ(titleToolTip(result), std::optional<std::string>(""));
    result.replied = false;
    EXPECT_EQ(titleToolTip(result), std::nullopt);
}

TEST(SensorPoll, EmptyUptimeFallsBackToTheBareOidThenToZero)
{
    FakeSensorNetwork net;
    TSensorRecord s = sensorOn("10.0.0.1");
    net.answer(kUpTimeOid, "");
    net.answer(kUpTimeFallbackOid, "");
    net.answer(kDown, "5");
    net.answer(kUp, "6");
    TPollResult r = pollSensor(s, net);
    EXPECT_DOUBLE_EQ(s.CurTime, 0);
    EXPECT_EQ(r.downRate, 0);
    EXPECT_EQ(std::count(net.m_requests.begin(), net.m_requests.end(),
                         std::string(kUpTimeFallbackOid) + "@10.0.0.1/vandor"),
              2);

    net.answer(kUpTimeFallbackOid, "300");
    net.answer(kDown, "1029");
    r = pollSensor(s, net);
    EXPECT_DOUBLE_EQ(s.CurTime, 300);
    EXPECT_DOUBLE_EQ(r.downRate, 1024.0 / 3.0);
}

TEST(SensorPoll, LocalClockNeedsTheAgentButTimesWithTicks)
{
    FakeSensorNetwork net;
    TSensorRecord s = sensorOn("10.0.0.1");
    s.TimerToUse = TTimerToUse::LocalTickCount;
    // Past 2^31 ms of uptime: the readings become negative and still differ
    // by the elapsed time.
    net.m_ticks = 2147483000u;
    net.m_tickStep = 1000;
    net.answer(kUpTimeOid, "7");
    net.answer(kDown, "1000");
    net.answer(kUp, "1000");
    pollSensor(s, net);
    net.answer(kDown, "3000");
    const TPollResult r = pollSensor(s, net);
    // Midpoints 2147483500 and 2147485500 (wrapped): 2 s apart.
    EXPECT_DOUBLE_EQ(r.downRate, 1000.0);
    EXPECT_EQ(r.upRate, 0);
    // Only the reachability read asks for the uptime.
    EXPECT_EQ(std::count(net.m_requests.begin(), net.m_requests.end(),
                         std::string(kUpTimeOid) + "@10.0.0.1/vandor"),
              2);
    EXPECT_EQ(tickReading(4294967295u), -1);

    FakeSensorNetwork silent;
    EXPECT_FALSE(pollSensor(s, silent).replied);
}

TEST(SensorPoll, LiveMaximumOnlyGrowsWithHalvesToEven)
{
    FakeSensorNetwork net;
    TSensorRecord s = sensorOn("10.0.0.1");
    s.SpeedType = stLive;
    s.DownSpeed = 1;
    s.UpSpeed = 1;
    s.PrevTime = 0;
    s.PrevDownCount = 1000;
    s.PrevUpCount = 1000;
    // 2.5 bytes/s download rounds to 2, above the saved maximum of 1.
    scriptPoll(net, "200", "200", "1005", "1001");
    TPollResult r = pollSensor(s, net);
    ASSERT_TRUE(r.newMaximum.has_value());
    EXPECT_EQ(*r.newMaximum, 2);
    EXPECT_EQ(s.DownSpeed, 2);
    EXPECT_EQ(s.UpSpeed, 2);

    // The upload is the larger rate now: 3.5 -> 4.
    scriptPoll(net, "400", "400", "1005", "1008");
    r = pollSensor(s, net);
    ASSERT_TRUE(r.newMaximum.has_value());
    EXPECT_EQ(*r.newMaximum, 4);

    // Lower rates leave it.
    scriptPoll(net, "600", "600", "1006", "1009");
    r = pollSensor(s, net);
    EXPECT_FALSE(r.newMaximum.has_value());
    EXPECT_EQ(s.DownSpeed, 4);
    // Nor does a rate above one direction's maximum but below the other's.
    s.UpSpeed = 100;
    scriptPoll(net, "800", "800", "1016", "1009");
    EXPECT_FALSE(pollSensor(s, net).newMaximum.has_value());
    EXPECT_EQ(s.DownSpeed, 4);

    // A silent agent's rate of 1 never raises a maximum of 1 or more.
    FakeSensorNetwork silent;
    EXPECT_FALSE(pollSensor(s, silent).newMaximum.has_value());

    EXPECT_EQ(roundRate(0.5), 0);
    EXPECT_EQ(roundRate(1.5), 2);
    EXPECT_EQ(roundRate(-2.5), -2);
    EXPECT_EQ(roundRate(1e12), INT32_MAX);
}

TEST(SensorPoll, DetectedSpeedIsNeverChangedByThePoll)
{
    FakeSensorNetwork net;
    TSensorRecord s = sensorOn("10.0.0.1");
    s.PrevDownCount = 1;
    scriptPoll(net, "0", "100", "100000000", "1");
    EXPECT_FALSE(pollSensor(s, net).newMaximum.has_value());
    EXPECT_EQ(s.DownSpeed, 1024);
}

TEST(SensorPoll, TrayLevelsFollowTheFullScale)
{
    EXPECT_EQ(trayLevel(0, 1024), 0);
    EXPECT_EQ(trayLevel(1, 1024), 1);
    EXPECT_EQ(trayLevel(20480, 1024), 1);
    EXPECT_EQ(trayLevel(20481, 1024), 2);
    EXPECT_EQ(trayLevel(40960, 1024), 2);
    EXPECT_EQ(trayLevel(61440, 1024), 3);
    EXPECT_EQ(trayLevel(81920, 1024), 4);
    EXPECT_EQ(trayLevel(81921, 1024), 5);
    EXPECT_EQ(trayLevel(131072, 1024), 5);
    EXPECT_EQ(trayLevel(-1, 1024), 5);
    // A live sensor starts from a speed of 1: 81 bytes/s is already the top.
    EXPECT_EQ(trayLevel(80, 1), 4);
    EXPECT_EQ(trayLevel(81, 1), 5);
    // No full scale: idle or busy, never a division by zero.
    EXPECT_EQ(trayLevel(0, 0), 0);
    EXPECT_EQ(trayLevel(12, 0), 5);
    EXPECT_EQ(trayLevel(-12, 0), 5);

    EXPECT_EQ(trayIconIndex(0, 0, 1024, 1024), 0);
    EXPECT_EQ(trayIconIndex(40960, 61440, 1024, 1024), 15);
    EXPECT_EQ(trayIconIndex(-5, -5, 1024, 1024), 35);
}

TEST(SensorPoll, BaseLineSitsAtTheSpeedRatio)
{
    TSensorRecord s;
    s.DownSpeed = 1024;
    s.UpSpeed = 256;
    EXPECT_EQ(baseOffset(s), 50);
    s.LighterLine = true;
    EXPECT_EQ(baseOffset(s), 25);
    s.UpSpeed = 1024;
    EXPECT_EQ(baseOffset(s), 50);
    s.UpSpeed = 10; // 0.9765625 % -> 1
    EXPECT_EQ(baseOffset(s), 1);
    s.UpSpeed = 2048; // twice the download: above the top edge, as the ratio says
    EXPECT_EQ(baseOffset(s), 200);
    s.UpSpeed = 2611; // 254.98 % rounds to the last offset an 8-bit value holds
    EXPECT_EQ(baseOffset(s), 255);
    s.UpSpeed = 2617; // 255.6 % rounds to 256: would wrap to 0 in 8 bits, held instead
    EXPECT_EQ(baseOffset(s), 255);
    s.UpSpeed = 1024 * 1000; // far beyond
    EXPECT_EQ(baseOffset(s), 255);
    s.DownSpeed = 0;
    EXPECT_EQ(baseOffset(s), 50);
}

TEST(SensorPoll, LabelsRoundToOneDecimal)
{
    EXPECT_EQ(rateLabel("DL: ", 0), "DL: 0.0 kb/s");
    EXPECT_EQ(rateLabel("DL: ", 102355.29), "DL: 100.0 kb/s");
    EXPECT_EQ(rateLabel("UL: ", 1024 * 0.25), "UL: 0.3 kb/s");
    EXPECT_EQ(rateLabel("UL: ", -1024 * 0.04), "UL: 0.0 kb/s");
    EXPECT_EQ(rateLabel("UL: ", 1024 * 12345.67), "UL: 12345.7 kb/s");
    TSensorRecord s;
    s.HostName = "Box";
    EXPECT_EQ(hintLine(s, "DL: 1.0 kb/s", "UL: 2.0 kb/s"), "Box -> DL: 1.0 kb/s | UL: 2.0 kb/s");
}

TEST(SensorPoll, LabelsUseTheLocaleDecimalPoint)
{
    // Build a locale with a decimal comma in a folder of our own.
    char pattern[] = "/tmp/travimetra-locale-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string dir = pattern;
    const std::string command =
        "localedef -i de_DE -f UTF-8 " + dir + "/de_DE.UTF-8 >/dev/null 2>&1";
    const bool built = std::system(command.c_str()) == 0 ||
                       std::filesystem::exists(dir + "/de_DE.UTF-8/LC_NUMERIC");
    if (!built) {
        std::filesystem::remove_all(dir);
        GTEST_SKIP() << "localedef cannot build de_DE";
    }
    setenv("LOCPATH", dir.c_str(), 1);
    const bool switched = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
    std::string text;
    if (switched)
        text = rateLabel("DL: ", 1536);
    std::setlocale(LC_NUMERIC, "C");
    unsetenv("LOCPATH");
    std::filesystem::remove_all(dir);
    ASSERT_TRUE(switched);
    EXPECT_EQ(text, "DL: 1,5 kb/s");
}

} // namespace
