#include "InterfaceRebinding.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(InterfaceRebinding, KeepsRebindsOrRefusesByName)
{
    const std::vector<WalkedInterface> renumbered = {{1, "lo"},   {2, "br-lan"}, {3, "eth0.2"},
                                                     {7, "ppp0"}, {9, "wlan0"},  {10, "wlan0"}};
    struct Case
    {
        const char* what;
        std::int32_t index;
        const char* name;
        RebindOutcome outcome;
        std::int32_t newIndex;
    };
    const Case cases[] = {
        {"unchanged", 3, "eth0.2", RebindOutcome::Keep, 3},
        {"moved", 4, "ppp0", RebindOutcome::Rebind, 7},
        {"old index now another interface", 2, "ppp0", RebindOutcome::Rebind, 7},
        {"gone", 7, "ppp1", RebindOutcome::NotFound, 0},
        {"name differs only in case", 7, "PPP0", RebindOutcome::NotFound, 0},
        {"two of that name, one at the index", 10, "wlan0", RebindOutcome::Keep, 10},
        {"two of that name, none at the index", 4, "wlan0", RebindOutcome::Ambiguous, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const RebindDecision d = rebindInterface(c.index, c.name, renumbered);
        EXPECT_EQ(d.outcome, c.outcome);
        EXPECT_EQ(d.index, c.newIndex);
    }
    EXPECT_EQ(rebindInterface(1, "lo", {}).outcome, RebindOutcome::NotFound);
}

TEST(InterfaceRebinding, InterfacesOfAWalkAreTheRowsWithOneIndexArc)
{
    const std::string column = "1.3.6.1.2.1.2.2.1.2";
    const std::vector<WalkedInterface> found =
        walkedInterfaces(column, {{column + ".1", "lo"},
                                  {column + ".12", "eth0"},
                                  {column + ".2147483647", "top"},
                                  {column + ".2147483648", "past 31 bits"},
                                  {column + ".0", "zero"},
                                  {column + ".07", "leading zero"},
                                  {column + ".3.1", "two arcs"},
                                  {column + ".", "no arc"},
                                  {column + ".-4", "negative"},
                                  {column + "0.5", "another column"},
                                  {"1.3.6.1.2.1.2.2.1.3.4", "next column"}});
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].index, 1);
    EXPECT_EQ(found[0].name, "lo");
    EXPECT_EQ(found[1].index, 12);
    EXPECT_EQ(found[1].name, "eth0");
    EXPECT_EQ(found[2].index, 2147483647);
}

TEST(InterfaceRebinding, UpTimeGoingBackIsARestart)
{
    EXPECT_TRUE(agentRestarted(360000, 1200));
    EXPECT_FALSE(agentRestarted(1200, 1700));
    EXPECT_FALSE(agentRestarted(1200, 1200));
    EXPECT_TRUE(agentRestarted(4294967295u, 0));
}

} // namespace
