#include "TrafficLog.h"

#include "ConvertError.h"
#include "FakeTrafficLogIO.h"
#include "LogFileAppend.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace TrafficLog;

const char* const kUpTime = "1.3.6.1.2.1.1.3.0";
const char* const kUpTimeBare = "1.3.6.1.2.1.1.3";
const char* const kDown = "1.3.6.1.2.1.2.2.1.10.1";
const char* const kUp = "1.3.6.1.2.1.2.2.1.16.1";

TSensorRecord sensorAt(const std::string& host, int32_t timerToUse = 1)
{
    TSensorRecord s;
    s.Active = true;
    s.HostName = "router";
    s.HostIP = host;
    s.Community = "vandor";
    s.SensorName = "eth0";
    s.DownOID = kDown;
    s.UpOID = kUp;
    s.TimerToUse = static_cast<TTimerToUse>(timerToUse);
    return s;
}

std::vector<std::string> fields(const std::string& line)
{
    std::vector<std::string> result;
    std::string::size_type start = 0;
    for (;;) {
        const auto end = line.find(';', start);
        result.push_back(line.substr(start, end - start));
        if (end == std::string::npos)
            return result;
        start = end + 1;
    }
}

class TrafficLogTick : public ::testing::Test
{
protected:
    void SetUp() override
    {
        settings.resizeSensors(1);
        settings.Sensors[0] = sensorAt("10.0.0.1");
        settings.EnableLog = true;
        settings.LogType = ltOneFile;
        settings.LogFile = "/logs/traffic.log";
        settings.LogFolder = "/logs/";
        settings.SysLogServer = "127.0.0.1";
        io.now.time.tm_year = 126;
        io.now.time.tm_mon = 2;
        io.now.time.tm_mday = 9;
        io.now.time.tm_hour = 14;
        io.now.time.tm_min = 5;
        io.now.time.tm_sec = 7;
    }
    void counters(const std::string& host, const std::string& down, const std::string& up)
    {
        io.answer(host, kDown, down);
        io.answer(host, kUp, up);
    }

    TMonitorSettings settings;
    FakeTrafficLogIO io;
    TLocaleFormats formats;
};

TEST(TrafficLogPeriod, SecondsOrMinutesAndNothingElse)
{
    EXPECT_EQ(logPeriod(30, TLogSecMinType::Seconds), 30000u);
    EXPECT_EQ(logPeriod(5, TLogSecMinType::Minutes), 300000u);
    EXPECT_EQ(logPeriod(5, static_cast<TLogSecMinType>(2)), 0u);
    EXPECT_EQ(logPeriod(5, static_cast<TLogSecMinType>(-1)), 0u);
    EXPECT_EQ(logPeriod(0, TLogSecMinType::Seconds), 0u);
    EXPECT_EQ(logPeriod(-3, TLogSecMinType::Minutes), 0u);
    EXPECT_EQ(logPeriod(71583, TLogSecMinType::Minutes), 0u); // beyond 2^32 ms
    EXPECT_EQ(logPeriod(71582, TLogSecMinType::Minutes), 4294920000u);
}

TEST(TrafficLogNames, PerSensorFileKeepsTheNameInsideTheFolder)
{
    TSensorRecord s = sensorAt("192.168.1.1");
    EXPECT_EQ(perSensorFileName("/var/log/tm", s), "/var/log/tm/router@192.168.1.1.log");
    // The separator is added even after one.
    EXPECT_EQ(perSensorFileName("/var/log/tm/", s), "/var/log/tm//router@192.168.1.1.log");
    s.HostName = "../../etc/cron.d/x";
    s.HostIP = "a/b";
    EXPECT_EQ(perSensorFileName("/logs", s), "/logs/.._.._etc_cron.d_x@a_b.log");
    s.HostName = std::string("nul") + '\0' + "name";
    s.HostIP = "h";
    EXPECT_EQ(perSensorFileName("/logs", s), "/logs/nul_name@h.log");
}

TEST(TrafficLogNames, NoControlCharacterTravelsAndNamesFitAFileSystem)
{
    const std::string forged = "r1\n03/09/26 14:05:07;bank;10.0.0.9;1;0.0;1;0.0\r\x1b[2J\x7f";
    struct Case
    {
        const char* name;
        std::string hostName;
        std::string hostIP;
        std::string fileName; // the per-sensor file's own name
    };
    const std::string ip = "192.168.1.1";
    const std::string longName(300, 'n');
    const std::string longHost(260, 'h');
    // "é" is two bytes: a cut must not split it.
    std::string accented;
    for (int i = 0; i < 130; ++i)
        accented += "\xC3\xA9";
    const Case cases[] = {
        {"line break and escapes", forged, ip,
         "r1_03_09_26 14:05:07;bank;10.0.0.9;1;0.0;1;0.0__[2J_@192.168.1.1.log"},
        {"a name too long is cut", longName, ip, std::string(255 - 16, 'n') + "@192.168.1.1.log"},
        {"the cut keeps whole characters", accented, ip,
         [&] {
             std::string kept;
             for (int i = 0; i < 119; ++i)
                 kept += "\xC3\xA9";
             return kept + "@192.168.1.1.log";
         }()},
        {"an address too long leaves no name", "name", longHost,
         "@" + std::string(250, 'h') + ".log"},
        {"control characters in the address", "name", "10.0.0.1\n", "name@10.0.0.1_.log"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TSensorRecord s = sensorAt(c.hostIP);
        s.HostName = c.hostName;
        s.SensorName = "eth0\n<14>forged";
        const std::string path = perSensorFileName("/logs", s);
        ASSERT_EQ(path.rfind("/logs/", 0), 0u);
        const std::string fileName = path.substr(6);
        EXPECT_EQ(fileName, c.fileName);
        EXPECT_LE(fileName.size(), kMaxFileNameBytes);
        const std::string line = logLine("stamp", s, 1024, 2048, ".");
        const std::string syslog = syslogText(s, 1024, 2048, ".");
        for (const std::string* text : {&fileName, &syslog}) {
            for (char ch : *text)
                EXPECT_FALSE(static_cast<unsigned char>(ch) < 0x20 || ch == 0x7F) << *text;
        }
        // One line, ended by its own line feed only.
        EXPECT_EQ(line.find_first_of(std::string("\0\r\n\x1b\x7f", 5)), line.size() - 1);
    }
}

TEST(TrafficLogLine, SevenFieldsWithTheLocaleSeparator)
{
    TSensorRecord s = sensorAt("192.168.1.1");
    EXPECT_EQ(logLine("03/09/26 14:05:07", s, 102400, 1536, "."),
              "03/09/26 14:05:07;router;192.168.1.1;102400;100.0;1536;1.5\n");
    EXPECT_EQ(logLine("09.03.2026", s, 1000.0 / 3.0, -2048, ","),
              "09.03.2026;router;192.168.1.1;333,333333333333;0,3;-2048;-2,0\n");
    // Kibibytes in both directions: ten of them are not 10.2 thousand bytes.
    EXPECT_EQ(logLine("stamp", s, 10240, 20480, "."),
              "stamp;router;192.168.1.1;10240;10.0;20480;20.0\n");
}

TEST(TrafficLogLine, ASeparatorInANameAddsNoField)
{
    const struct
    {
        const char* hostName;
        const char* hostIP;
        const char* line;
    } rows[] = {
        {"core;1;2", "10.0.0.1", "stamp;core 1 2;10.0.0.1;1024;1.0;0;0.0\n"},
        {";", "10.0.0.1", "stamp; ;10.0.0.1;1024;1.0;0;0.0\n"},
        {"a\n;b", "10.0.0.1;x", "stamp;a  b;10.0.0.1 x;1024;1.0;0;0.0\n"},
        {"caf\xC3\xA9 \"q\"", "h", "stamp;caf\xC3\xA9 \"q\";h;1024;1.0;0;0.0\n"},
    };
    for (const auto& row : rows) {
        TSensorRecord s = sensorAt(row.hostIP);
        s.HostName = row.hostName;
        const std::string line = logLine("stamp", s, 1024, 0, ".");
        EXPECT_EQ(line, row.line);
        EXPECT_EQ(std::count(line.begin(), line.end(), ';'), 6) << line;
    }
}

TEST(TrafficLogLine, SyslogTextNamesSensorAndBothRates)
{
    TSensorRecord s = sensorAt("192.168.1.1");
    EXPECT_EQ(syslogText(s, 102400, 51.2, "."), "router [eth0@192.168.1.1] 100.0 Up: 0.1");
    EXPECT_EQ(syslogText(s, 0, 1536, ","), "router [eth0@192.168.1.1] 0,0 Up: 1,5");
    EXPECT_EQ(syslogText(s, 10240, 20480, "."), "router [eth0@192.168.1.1] 10.0 Up: 20.0");
}

TEST(TrafficLogRates, FirstTickAndStalledClockLogZero)
{
    TSensorRecord s = sensorAt("h");
    TLogReadings r{500000, 1000, 1000, 2000};
    // No previous counters: both directions start from this reading.
    TLogRates rates = logRates(s, r);
    EXPECT_EQ(rates.down, 0);
    EXPECT_EQ(rates.up, 0);

    s.LogPrevDownCount = 10;
    s.LogPrevUpCount = 20;
    s.LogPrevTime = 500000;
    rates = logRates(s, r); // no time passed
    EXPECT_EQ(rates.down, 0);
    EXPECT_EQ(rates.up, 0);
    s.LogPrevTime = 600000; // the clock went back
    rates = logRates(s, r);
    EXPECT_EQ(rates.down, 0);
    EXPECT_EQ(rates.up, 0);
}

TEST(TrafficLogRates, CounterGoingBackLogsZeroAndBecomesTheBaseline)
{
    TSensorRecord s = sensorAt("h");
    s.LogPrevDownCount = 900000;
    s.LogPrevUpCount = 1000;
    s.LogPrevTime = 1000;
    // The agent started again: its download counter is far below the last.
    TLogReadings r{11000, 1000, 4000, 11240};
    TLogRates rates = logRates(s, r);
    EXPECT_EQ(rates.down, 0);
    EXPECT_DOUBLE_EQ(rates.up, 1024);
    keepReadings(s, r);
    r = {12000, 1000, 6048, 11240};
    rates = logRates(s, r);
    EXPECT_DOUBLE_EQ(rates.down, 2048);
}

TEST(TrafficLogDetached, ATickOnACopyComesBackOnlyForUnchangedSensors)
{
    TMonitorSettings model;
    model.Sensors = {sensorAt("10.0.0.1"), sensorAt("10.0.0.2"), sensorAt("10.0.0.2"),
                     sensorAt("10.0.0.2"), sensorAt("10.0.0.2")};
    TMonitorSettings logged = detachedCopy(model);
    for (TSensorRecord& sensor : logged.Sensors) {
        sensor.LogPrevDownCount = 77;
        sensor.LogPrevTime = 5;
    }
    // Sensors edited while the tick was out (the address, either counter,
    // the version) start their log afresh.
    model.Sensors[1].HostIP = "10.0.0.3";
    model.Sensors[2].DownOID += "0";
    model.Sensors[3].UpOID += "0";
    model.Sensors[4].SnmpVersion = TSnmpVersion::V2c;
    keepLogged(model, logged);
    EXPECT_EQ(model.Sensors[0].LogPrevDownCount, 77);
    EXPECT_EQ(model.Sensors[0].LogPrevTime, 5);
    for (std::size_t i = 1; i < model.Sensors.size(); ++i)
        EXPECT_EQ(model.Sensors[i].LogPrevDownCount, 0) << i;

    // An error of the tick is its report, not an exception.
    FakeTrafficLogIO io;
    TMonitorSettings failing;
    failing.EnableLog = true;
    failing.LogType = ltOneFile;
    failing.LogFile = "/log";
    failing.Sensors = {sensorAt("10.0.0.1")};
    io.answer("10.0.0.1", kDown, "x");
    io.answer("10.0.0.1", kUp, "1");
    const TDetachedTick tick = logDetached(failing, io, TLocaleFormats{});
    EXPECT_EQ(tick.report, "'x' is not a valid integer value");
}

TEST(TrafficLogRates, DifferencesWrapModulo32Bits)
{
    TSensorRecord s = sensorAt("h");
    s.LogPrevDownCount = int32_t(0xFFFFFED8u); // 2^32 - 296
    s.LogPrevUpCount = 2147483000;
    s.LogPrevTime = 2147480000;
    // Both the counters and the clock pass their ends between the readings.
    TLogReadings r{int32_t(2147480000u + 30000u), 1000, 3071704, int32_t(2147483000u + 30720u)};
    const TLogRates rates = logRates(s, r);
    EXPECT_DOUBLE_EQ(rates.down, 102400);
    EXPECT_DOUBLE_EQ(rates.up, 1024);
}

TEST_F(TrafficLogTick, ReadsAgentUptimeWithItsFallback)
{
    TSensorRecord& s = settings.Sensors[0];
    s.TimerToUse = TTimerToUse::AgentUpTime;
    io.answer("10.0.0.1", kUpTime, "");
    io.answer("10.0.0.1", kUpTimeBare, "4500");
    counters("10.0.0.1", "7", "8");
    auto r = readSensor(s, io);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->time, 4500);
    EXPECT_EQ(r->divisor, 100);

    io.answer("10.0.0.1", kUpTimeBare, "");
    r = readSensor(s, io);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->time, 0);
}

TEST_F(TrafficLogTick, UnreadableUptimeSkipsTheSensorAndKeepsItsReadings)
{
    TSensorRecord& s = settings.Sensors[0];
    s.TimerToUse = TTimerToUse::AgentUpTime;
    s.LogPrevDownCount = 11;
    s.LogPrevUpCount = 22;
    s.LogPrevTime = 33;
    counters("10.0.0.1", "1000", "2000");
    logTick(settings, io, formats);
    EXPECT_TRUE(io.appends.empty());
    EXPECT_EQ(s.LogPrevDownCount, 11);
    EXPECT_EQ(s.LogPrevUpCount, 22);
    EXPECT_EQ(s.LogPrevTime, 33);
    // Not even the counters were asked for.
    EXPECT_EQ(io.asked, std::vector<std::string>{"10.0.0.1 1.3.6.1.2.1.1.3.0"});
}

TEST_F(TrafficLogTick, UnknownTimeSourceOrUnreadableCounterSkipsTheSensor)
{
    TSensorRecord& s = settings.Sensors[0];
    s.LogPrevDownCount = 5;
    counters("10.0.0.1", "1000", "2000");
    s.TimerToUse = static_cast<TTimerToUse>(2);
    logTick(settings, io, formats);
    EXPECT_TRUE(io.appends.empty());

    s.TimerToUse = TTimerToUse::LocalTickCount;
    io.answer("10.0.0.1", kUp, "", false);
    logTick(settings, io, formats);
    io.answer("10.0.0.1", kUp, ""); // answered, but with nothing
    logTick(settings, io, formats);
    EXPECT_TRUE(io.appends.empty());
    EXPECT_EQ(s.LogPrevDownCount, 5);
    EXPECT_EQ(s.LogPrevTime, 0);
}

TEST_F(TrafficLogTick, NonNumericValueEndsTheTickWithTheConversionError)
{
    settings.resizeSensors(2);
    settings.Sensors[1] = sensorAt("10.0.0.2");
    counters("10.0.0.1", "12x", "2000");
    counters("10.0.0.2", "1000", "2000");
    io.ticks = 1000;
    try {
        logTick(settings, io, formats);
        FAIL() << "no error";
    } catch (const TConvertError& error) {
        EXPECT_STREQ(error.what(), "'12x' is not a valid integer value");
    }
    EXPECT_TRUE(io.appends.empty());
    EXPECT_EQ(settings.Sensors[0].LogPrevTime, 0);
    EXPECT_EQ(settings.Sensors[1].LogPrevTime, 0);
}

TEST_F(TrafficLogTick, OneFileGetsABlockOfLinesInSensorOrder)
{
    settings.resizeSensors(3);
    settings.Sensors[1] = sensorAt("10.0.0.2");
    settings.Sensors[1].HostName = "modem";
    settings.Sensors[2] = sensorAt("10.0.0.3");
    settings.Sensors[2].Active = false;
    settings.Sensors[2].LogPrevDownCount = 99;
    counters("10.0.0.1", "1000", "2000");
    counters("10.0.0.2", "5000", "6000");
    counters("10.0.0.3", "1", "1");
    io.ticks = 100000;
    logTick(settings, io, formats);
    io.ticks = 130000;
    counters("10.0.0.1", "3073000", "32720");
    counters("10.0.0.2", "5000", "6000");
    logTick(settings, io, formats);

    ASSERT_EQ(io.appends.size(), 4u);
    for (const auto& append : io.appends)
        EXPECT_EQ(append.path, "/logs/traffic.log");
    EXPECT_EQ(io.appends[0].text, "03/09/26 14:05:07;router;10.0.0.1;0;0.0;0;0.0\n");
    EXPECT_EQ(io.appends[1].text, "03/09/26 14:05:07;modem;10.0.0.2;0;0.0;0;0.0\n");
    const auto line = fields(io.appends[2].text);
    ASSERT_EQ(line.size(), 7u);
    EXPECT_EQ(line[3], "102400");
    EXPECT_EQ(line[4], "100.0");
    EXPECT_EQ(line[5], "1024");
    EXPECT_EQ(line[6], "1.0\n");
    EXPECT_EQ(fields(io.appends[3].text)[1], "modem");
    // The inactive sensor was neither read nor touched.
    for (const auto& asked : io.asked)
        EXPECT_EQ(asked.find("10.0.0.3"), std::string::npos) << asked;
    EXPECT_EQ(settings.Sensors[2].LogPrevDownCount, 99);
    EXPECT_EQ(settings.Sensors[0].LogPrevDownCount, 3073000);
    EXPECT_EQ(settings.Sensors[0].LogPrevTime, 130000);
}

TEST_F(TrafficLogTick, FilePerSensorAndSyslogDestinations)
{
    settings.LogType = ltFilePerSensor;
    settings.Sensors[0].HostName = "core/switch";
    counters("10.0.0.1", "1000", "2000");
    io.ticks = 5000;
    logTick(settings, io, formats);
    ASSERT_EQ(io.appends.size(), 1u);
    EXPECT_EQ(io.appends[0].path, "/logs//core_switch@10.0.0.1.log");
    EXPECT_EQ(fields(io.appends[0].text)[1], "core/switch");

    settings.LogType = ltSyslog;
    io.ticks = 15000;
    counters("10.0.0.1", "1000", "12240");
    logTick(settings, io, formats);
    ASSERT_EQ(io.syslogs.size(), 1u);
    EXPECT_EQ(io.syslogs[0].server, "127.0.0.1");
    EXPECT_EQ(io.syslogs[0].facility, 7);
    EXPECT_EQ(io.syslogs[0].severity, 6);
    EXPECT_EQ(io.syslogs[0].text, "core/switch [eth0@10.0.0.1] 0.0 Up: 1.0");
    EXPECT_EQ(io.appends.size(), 1u);
}

TEST_F(TrafficLogTick, LoggingOffOrUnknownTypeWritesNothingButFollowsTheCounters)
{
    counters("10.0.0.1", "1000", "2000");
    io.ticks = 5000;
    settings.LogType = static_cast<TLogType>(4);
    logTick(settings, io, formats);
    settings.LogType = ltOneFile;
    settings.EnableLog = false;
    logTick(settings, io, formats);
    EXPECT_TRUE(io.appends.empty());
    EXPECT_TRUE(io.syslogs.empty());
    EXPECT_EQ(settings.Sensors[0].LogPrevDownCount, 1000);
}

TEST_F(TrafficLogTick, FileErrorEndsTheTickAndKeepsThatSensorsReadings)
{
    settings.resizeSensors(2);
    settings.Sensors[1] = sensorAt("10.0.0.2");
    counters("10.0.0.1", "1000", "2000");
    counters("10.0.0.2", "1000", "2000");
    io.ticks = 5000;
    io.failAppend = [](const std::string& path) {
        throw TLogFileError("Cannot open log file \"" + path + "\": No space left on device");
    };
    EXPECT_THROW(logTick(settings, io, formats), TLogFileError);
    EXPECT_EQ(settings.Sensors[0].LogPrevDownCount, 0);
    EXPECT_EQ(settings.Sensors[0].LogPrevTime, 0);
    // The second sensor was not reached.
    for (const auto& asked : io.asked)
        EXPECT_EQ(asked.find("10.0.0.2"), std::string::npos) << asked;

    io.failAppend = nullptr;
    logTick(settings, io, formats);
    EXPECT_EQ(io.appends.size(), 2u);
}

TEST_F(TrafficLogTick, StampOmitsTheTimeAtMidnight)
{
    io.now.time.tm_hour = 0;
    io.now.time.tm_min = 0;
    io.now.time.tm_sec = 0;
    io.now.milliseconds = 0;
    counters("10.0.0.1", "1000", "2000");
    io.ticks = 5000;
    logTick(settings, io, formats);
    ASSERT_EQ(io.appends.size(), 1u);
    EXPECT_EQ(fields(io.appends[0].text)[0], "03/09/26");
}

TEST_F(TrafficLogTick, LineForASensorPastTheEndIsRefusedNotMadeUp)
{
    settings.resizeSensors(2);
    for (const int index : {2, 3, -1})
        EXPECT_THROW(WriteOneLog(settings, io, formats, settings.LogFile, ltOneFile, index, 1, 1),
                     std::out_of_range)
            << index;
    EXPECT_TRUE(io.appends.empty());
    WriteOneLog(settings, io, formats, settings.LogFile, ltOneFile, 1, 1, 1);
    EXPECT_EQ(io.appends.size(), 1u);
}

} // namespace
