#include "MetricsBoard.h"

#include <gtest/gtest.h>

namespace {

TSensorFigures good(int index, uint64_t in, uint64_t out)
{
    TSensorFigures f;
    f.index = index;
    f.outcome = TPollOutcome::Ok;
    f.inOctets = in;
    f.outOctets = out;
    return f;
}

TSensorFigures failed(int index, TPollOutcome outcome)
{
    TSensorFigures f;
    f.index = index;
    f.outcome = outcome;
    return f;
}

std::size_t at(TPollOutcome outcome)
{
    return static_cast<std::size_t>(outcome);
}

TEST(MetricsBoardTest, OutcomesAreCountedByReason)
{
    MetricsBoard board;
    board.sensorsChanged({{0, "A", "127.0.0.1", "lo"}, {3, "B", "127.0.0.2", "eth0"}});
    board.sensorPolled(good(3, 10, 20));
    board.sensorPolled(failed(3, TPollOutcome::NoAnswer));
    board.sensorPolled(failed(3, TPollOutcome::NoAnswer));
    board.sensorPolled(failed(3, TPollOutcome::Refused));
    board.sensorPolled(failed(0, TPollOutcome::PingFailed));
    const auto sensors = board.snapshot();
    ASSERT_EQ(sensors.size(), 2u);
    EXPECT_EQ(sensors[1].outcomes[at(TPollOutcome::Ok)], 1u);
    EXPECT_EQ(sensors[1].outcomes[at(TPollOutcome::NoAnswer)], 2u);
    EXPECT_EQ(sensors[1].outcomes[at(TPollOutcome::Refused)], 1u);
    EXPECT_EQ(sensors[1].outcomes[at(TPollOutcome::PingFailed)], 0u);
    EXPECT_EQ(sensors[0].outcomes[at(TPollOutcome::PingFailed)], 1u);
    // The last good counters outlive the failures after them.
    EXPECT_EQ(sensors[1].inOctets, 10u);
    EXPECT_EQ(sensors[1].outOctets, 20u);
    EXPECT_EQ(sensors[1].last->outcome, TPollOutcome::Refused);
}

TEST(MetricsBoardTest, FiguresOfAnUnknownSensorAreDropped)
{
    MetricsBoard board;
    board.sensorsChanged({{1, "A", "127.0.0.1", "lo"}});
    board.sensorPolled(good(0, 1, 2));
    board.sensorPolled(good(7, 1, 2));
    board.periodTotals({{5, 9, 9}});
    const auto sensors = board.snapshot();
    ASSERT_EQ(sensors.size(), 1u);
    EXPECT_FALSE(sensors[0].last);
    EXPECT_FALSE(sensors[0].period);
}

TEST(MetricsBoardTest, TheSameInterfaceKeepsItsCountsAcrossAChangeOfTheList)
{
    MetricsBoard board;
    board.sensorsChanged({{0, "A", "127.0.0.1", "lo"}, {1, "B", "127.0.0.2", "lo"}});
    board.sensorPolled(good(0, 5, 6));
    board.sensorPolled(good(1, 7, 8));
    board.periodTotals({{0, 100, 200}});
    // Sensor 1 now reads another agent: its counts start again.
    board.sensorsChanged({{0, "A", "127.0.0.1", "lo"}, {1, "B", "127.0.0.3", "lo"}});
    const auto sensors = board.snapshot();
    ASSERT_EQ(sensors.size(), 2u);
    EXPECT_EQ(sensors[0].outcomes[at(TPollOutcome::Ok)], 1u);
    EXPECT_EQ(sensors[0].inOctets, 5u);
    EXPECT_EQ(sensors[0].period->down, 100u);
    EXPECT_EQ(sensors[1].outcomes[at(TPollOutcome::Ok)], 0u);
    EXPECT_FALSE(sensors[1].inOctets);
    EXPECT_EQ(sensors[1].labels.address, "127.0.0.3");
}

} // namespace
