#include "PollFigures.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

struct OutcomeCase
{
    const char* what;
    bool pinged;
    bool replied;        // the poll's result
    bool readingReplied; // the reachability read
    const char* failure;
    const char* report;
    TPollOutcome expected;
};

TEST(PollFiguresTest, EachPollEndsWithOneNamedReason)
{
    const OutcomeCase cases[] = {
        {"good poll", true, true, true, "", "", TPollOutcome::Ok},
        {"ping failed", false, false, false, "", "", TPollOutcome::PingFailed},
        {"silent agent", true, false, false, "", "", TPollOutcome::NoAnswer},
        {"SNMPv3 report", true, false, false, "unknown user", "", TPollOutcome::Refused},
        {"refusal after an answer", true, false, true, "wrong digest", "", TPollOutcome::Refused},
        {"not a number", true, false, true, "", "'x' is not a valid integer value",
         TPollOutcome::BadValue},
        {"lost counter", true, false, true, "", "", TPollOutcome::Incomplete},
    };
    for (const OutcomeCase& c : cases) {
        SensorPoll::TSensorReading reading;
        reading.replied = c.readingReplied;
        SensorPoll::TPollResult result;
        result.pinged = c.pinged;
        result.replied = c.replied;
        result.failure = c.failure;
        result.report = c.report;
        EXPECT_EQ(PollFigures::outcomeOf(reading, result), c.expected) << c.what;
        EXPECT_NE(std::string(pollOutcomeName(c.expected)), "") << c.what;
    }
}

TEST(PollFiguresTest, OutcomeNamesAreDistinct)
{
    std::set<std::string> names;
    for (int n = 0; n < kPollOutcomes; ++n)
        names.insert(pollOutcomeName(static_cast<TPollOutcome>(n)));
    EXPECT_EQ(names.size(), std::size_t(kPollOutcomes));
}

SensorPoll::TPollResult answered(double down, double up)
{
    SensorPoll::TPollResult result;
    result.replied = true;
    result.downRate = down;
    result.upRate = up;
    return result;
}

TEST(PollFiguresTest, SNMPv1CountersAreTheAgentsUnsignedCounter32)
{
    TSensorRecord sensor;
    sensor.DownCount = -1; // 0xFFFFFFFF as the signed reading carries it
    sensor.UpCount = 123;
    SensorPoll::TSensorReading reading;
    reading.replied = true;
    const TSensorFigures f = PollFigures::figuresOf(4, sensor, reading, answered(10.5, 2), 0.25);
    EXPECT_EQ(f.index, 4);
    EXPECT_EQ(f.outcome, TPollOutcome::Ok);
    EXPECT_EQ(f.inOctets, 4294967295u);
    EXPECT_EQ(f.outOctets, 123u);
    EXPECT_EQ(f.counterBits, 32);
    EXPECT_DOUBLE_EQ(f.downRate, 10.5);
    EXPECT_DOUBLE_EQ(f.upRate, 2);
    EXPECT_EQ(f.latencySeconds, 0.25);
}

TEST(PollFiguresTest, SwappedSensorsStillGiveTheInterfacesInAndOut)
{
    TSensorRecord sensor;
    sensor.SwapedInOut = true; // download shows the out-octets
    SensorPoll::TSensorReading reading;
    reading.replied = true;
    reading.v2c.used = true;
    reading.v2c.valid = true;
    reading.v2c.highCapacity = true;
    reading.v2c.down = 5000000000000ull; // ifHCOutOctets
    reading.v2c.up = 7;                  // ifHCInOctets
    const TSensorFigures f =
        PollFigures::figuresOf(0, sensor, reading, answered(1, 1), std::nullopt);
    EXPECT_EQ(f.inOctets, 7u);
    EXPECT_EQ(f.outOctets, 5000000000000ull);
    EXPECT_EQ(f.counterBits, 64);
    EXPECT_FALSE(f.latencySeconds);
}

TEST(PollFiguresTest, AFailedPollCarriesNoCountersAndNoRates)
{
    TSensorRecord sensor;
    sensor.DownCount = 99;
    SensorPoll::TSensorReading reading;
    SensorPoll::TPollResult result;
    result.downRate = 1; // the error branch's rates are no measurement
    result.upRate = 1;
    const TSensorFigures f = PollFigures::figuresOf(0, sensor, reading, result, 5.0);
    EXPECT_EQ(f.outcome, TPollOutcome::NoAnswer);
    EXPECT_FALSE(f.inOctets);
    EXPECT_FALSE(f.outOctets);
    EXPECT_DOUBLE_EQ(f.downRate, 0);
    EXPECT_EQ(f.latencySeconds, 5.0);
}

TEST(PollFiguresTest, LabelsNameActiveSensorsAndNeverTheCommunity)
{
    TMonitorSettings settings;
    settings.resizeSensors(3);
    settings.Sensors[0] = {};
    settings.Sensors[0].Active = true;
    settings.Sensors[0].HostName = "Router";
    settings.Sensors[0].HostIP = "192.0.2.1";
    settings.Sensors[0].SensorName = "wan";
    settings.Sensors[0].Community = "s3cret";
    settings.Sensors[1].Active = false;
    settings.Sensors[2].Active = true;
    settings.Sensors[2].HostName = "Modem";
    const auto labels = PollFigures::labelsOf(settings);
    ASSERT_EQ(labels.size(), 2u);
    EXPECT_EQ(labels[0].index, 0);
    EXPECT_EQ(labels[0].name, "Router");
    EXPECT_EQ(labels[0].address, "192.0.2.1");
    EXPECT_EQ(labels[0].interfaceName, "wan");
    EXPECT_EQ(labels[1].index, 2);
    for (const TSensorLabels& l : labels)
        for (const std::string& text : {l.name, l.address, l.interfaceName})
            EXPECT_EQ(text.find("s3cret"), std::string::npos);
}

} // namespace
