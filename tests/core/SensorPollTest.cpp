#include "FakeSensorNetwork.h"

#include "ConvertError.h"
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

TEST(SensorPoll, TimeSumWrapsAndCounterGoingBackIsNegative)
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
    const TPollResult r = pollSensor(s, net);
    EXPECT_DOUBLE_EQ(r.downRate, -2000.0);
    EXPECT_EQ(r.downText, "DL: -2.0 kb/s");
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

TEST(SensorPoll, FailedCounterReadCountsAsZero)
{
    FakeSensorNetwork net;
    TSensorRecord s = sensorOn("10.0.0.1");
    s.PrevTime = 0;
    s.PrevDownCount = 102400;
    s.PrevUpCount = 10;
    net.script(kUpTimeOid, {{true, "100"}});
    net.script(kDown, {{false, ""}});
    net.answer(kUp, "10");
    const TPollResult r = pollSensor(s, net);
    EXPECT_DOUBLE_EQ(r.downRate, -102400.0);
    EXPECT_EQ(r.downText, "DL: -100.0 kb/s");
    EXPECT_EQ(s.PrevDownCount, 0);
}

TEST(SensorPoll, UnconvertibleTextsRaiseTheConversionError)
{
    FakeSensorNetwork net;
    TSensorRecord s = sensorOn("10.0.0.1");
    scriptPoll(net, "100", "101", "12abc", "0");
    try {
        pollSensor(s, net);
        FAIL() << "no conversion error";
    } catch (const TConvertError& e) {
        EXPECT_STREQ(e.what(), "'12abc' is not a valid integer value");
    }

    // The re-read of the uptime fails: the empty reading cannot be converted.
    FakeSensorNetwork failing;
    failing.script(kUpTimeOid, {{true, "100"}, {false, ""}});
    failing.answer(kDown, "1");
    failing.answer(kUp, "1");
    try {
        pollSensor(s, failing);
        FAIL() << "no conversion error";
    } catch (const TConvertError& e) {
        EXPECT_STREQ(e.what(), "'' is not a valid integer value");
    }

    // A counter beyond 32 bits is no valid reading either.
    scriptPoll(net, "100", "101", "4294967296", "0");
    EXPECT_THROW(pollSensor(s, net), TConvertError);
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
    s.TimerToUse = 1;
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
