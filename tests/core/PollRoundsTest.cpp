#include "PollRounds.h"

#include <gtest/gtest.h>

using namespace SensorPoll;

namespace {

std::vector<TSensorTarget> targets(std::vector<int> indexes)
{
    std::vector<TSensorTarget> list;
    for (int i : indexes) {
        TSensorTarget t;
        t.index = i;
        t.host = "10.0.0." + std::to_string(i);
        list.push_back(t);
    }
    return list;
}

std::vector<int> indexesOf(const std::vector<TSensorTarget>& list)
{
    std::vector<int> out;
    for (const TSensorTarget& t : list)
        out.push_back(t.index);
    return out;
}

std::vector<int> indexesOf(const PollRounds::Readings& list)
{
    std::vector<int> out;
    for (const TSensorReading& r : list)
        out.push_back(r.index);
    return out;
}

TSensorReading reading(int index, const std::string& down = "1")
{
    TSensorReading r;
    r.index = index;
    r.replied = true;
    r.down = SnmpValue::ofText(down);
    return r;
}

TEST(PollRounds, ARoundIsAppliedWholeInSensorOrderWhoeverFinishesFirst)
{
    PollRounds rounds;
    unsigned round = 0;
    EXPECT_EQ(indexesOf(rounds.begin(targets({0, 3, 7}), round)), (std::vector<int>{0, 3, 7}));
    EXPECT_FALSE(rounds.arrive(round, reading(7)));
    EXPECT_FALSE(rounds.arrive(round, reading(0)));
    EXPECT_TRUE(rounds.out(3));
    const auto batch = rounds.arrive(round, reading(3));
    ASSERT_TRUE(batch);
    EXPECT_EQ(batch->round, round);
    EXPECT_EQ(indexesOf(batch->readings), (std::vector<int>{0, 3, 7}));
    EXPECT_FALSE(rounds.anyOut());
    EXPECT_TRUE(rounds.close().empty());
}

// One silent agent among answering ones, tick after tick: the tick closes
// the last round, the silent sensor is left out while its read is out, and
// every answering sensor gets one reading per tick.
TEST(PollRounds, ASensorStillOutIsLeftOutAndHoldsUpNobodyElse)
{
    PollRounds rounds;
    unsigned first = 0;
    ASSERT_EQ(rounds.begin(targets({0, 1, 2}), first).size(), 3u); // 1 is silent
    EXPECT_FALSE(rounds.arrive(first, reading(0)));
    EXPECT_FALSE(rounds.arrive(first, reading(2)));

    // Next tick: what the first round has is applied now, without sensor 1.
    const std::vector<PollRounds::Batch> closed = rounds.close();
    ASSERT_EQ(closed.size(), 1u);
    EXPECT_EQ(indexesOf(closed[0].readings), (std::vector<int>{0, 2}));
    unsigned second = 0;
    EXPECT_EQ(indexesOf(rounds.begin(targets({0, 1, 2}), second)), (std::vector<int>{0, 2}));
    EXPECT_NE(second, first);
    EXPECT_FALSE(rounds.arrive(second, reading(2)));
    const auto whole = rounds.arrive(second, reading(0));
    ASSERT_TRUE(whole);
    EXPECT_EQ(indexesOf(whole->readings), (std::vector<int>{0, 2}));

    // The silent sensor's read ends (its time-out): applied alone, under its
    // own round, and it is free for the next tick.
    EXPECT_TRUE(rounds.out(1));
    const auto late = rounds.arrive(first, reading(1, ""));
    ASSERT_TRUE(late);
    EXPECT_EQ(late->round, first);
    EXPECT_EQ(indexesOf(late->readings), (std::vector<int>{1}));
    EXPECT_FALSE(rounds.anyOut());
    unsigned third = 0;
    EXPECT_EQ(indexesOf(rounds.begin(targets({0, 1, 2}), third)), (std::vector<int>{0, 1, 2}));
}

TEST(PollRounds, ReadingsNobodyAskedForAreNeverApplied)
{
    struct Case
    {
        const char* what;
        int index;
        bool twice;
    };
    const Case cases[] = {
        {"a sensor that was not read", 9, false},
        {"a second reading of one sensor", 4, true},
    };
    for (const Case& c : cases) {
        PollRounds rounds;
        unsigned round = 0;
        rounds.begin(targets({4, 5}), round);
        if (c.twice) {
            EXPECT_FALSE(rounds.arrive(round, reading(c.index))) << c.what;
        }
        EXPECT_FALSE(rounds.arrive(round, reading(c.index))) << c.what;
        EXPECT_FALSE(rounds.arrive(round + 1, reading(c.index))) << c.what;
        EXPECT_TRUE(rounds.out(5)) << c.what;
        if (!c.twice) {
            EXPECT_FALSE(rounds.arrive(round, reading(4))) << c.what;
        }
        const auto done = rounds.arrive(round, reading(5));
        ASSERT_TRUE(done) << c.what;
        EXPECT_EQ(indexesOf(done->readings), (std::vector<int>{4, 5})) << c.what;
        EXPECT_FALSE(rounds.anyOut()) << c.what;
    }
}

TEST(PollRounds, ATargetListedTwiceIsReadOnceAndClearForgetsWhatIsOut)
{
    PollRounds rounds;
    unsigned round = 0;
    EXPECT_EQ(indexesOf(rounds.begin(targets({2, 2, 3}), round)), (std::vector<int>{2, 3}));
    rounds.clear();
    EXPECT_FALSE(rounds.anyOut());
    // A reading of a round from before the clear is dropped.
    EXPECT_FALSE(rounds.arrive(round, reading(2)));
    unsigned next = 0;
    EXPECT_EQ(rounds.begin(targets({}), next).size(), 0u);
    EXPECT_FALSE(rounds.anyOut());
    EXPECT_TRUE(rounds.close().empty());
}

TEST(PollRounds, ClosingOneRoundLeavesTheOthersOpen)
{
    PollRounds rounds;
    unsigned a = 0, b = 0;
    rounds.begin(targets({0, 1}), a);
    rounds.begin(targets({2, 3}), b);
    EXPECT_FALSE(rounds.arrive(a, reading(1)));
    EXPECT_FALSE(rounds.arrive(b, reading(3)));
    const std::vector<PollRounds::Batch> closed = rounds.close(a);
    ASSERT_EQ(closed.size(), 1u);
    EXPECT_EQ(closed[0].round, a);
    EXPECT_EQ(indexesOf(closed[0].readings), (std::vector<int>{1}));
    const auto rest = rounds.arrive(b, reading(2));
    ASSERT_TRUE(rest);
    EXPECT_EQ(indexesOf(rest->readings), (std::vector<int>{2, 3}));
    // Round a's last reading comes alone.
    const auto late = rounds.arrive(a, reading(0));
    ASSERT_TRUE(late);
    EXPECT_EQ(indexesOf(late->readings), (std::vector<int>{0}));
}

} // namespace
