#include "StripLayout.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

using StripLayout::layOut;
using StripLayout::TStripOptions;

std::vector<bool> full(int n)
{
    return std::vector<bool>(std::size_t(n), false);
}

struct Case
{
    const char* what;
    TStripOptions options;
    int columns;
    QSize window;
    // Each set's scope: its column's left + 26 and its own top + 16.
    std::vector<QPoint> scopes;
    std::optional<QRect> latencyBar;
};

const Case kCases[] = {
    {"two full sets and the latency bar",
     {full(2), true, 0},
     1,
     {260, 380},
     {{26, 16}, {26, 186}},
     QRect(8, 345, 241, 12)},
    {"a half set before a full one",
     {{true, false}, false, 0},
     1,
     {260, 275},
     {{26, 16}, {26, 121}},
     std::nullopt},
    {"no sensor", {{}, false, 1000}, 1, {260, 0}, {}, std::nullopt},
    {"no sensor, latency", {{}, true, 1000}, 1, {260, 40}, {}, QRect(8, 5, 241, 12)},
    {"fits exactly",
     {full(4), true, 720},
     1,
     {260, 720},
     {{26, 16}, {26, 186}, {26, 356}, {26, 526}},
     QRect(8, 685, 241, 12)},
    {"the latency bar alone goes on",
     {full(4), true, 719},
     2,
     {520, 680},
     {{286, 16}, {286, 186}, {286, 356}, {286, 526}},
     QRect(8, 5, 241, 12)},
    {"twelve sets on a 768-line screen with a panel",
     {full(12), true, 738},
     3,
     {780, 720},
     {{546, 16},
      {546, 186},
      {546, 356},
      {546, 526},
      {286, 16},
      {286, 186},
      {286, 356},
      {286, 526},
      {26, 16},
      {26, 186},
      {26, 356},
      {26, 526}},
     QRect(8, 685, 241, 12)},
    {"a screen lower than one set",
     {full(2), false, 100},
     2,
     {520, 170},
     {{286, 16}, {26, 16}},
     std::nullopt},
    {"half sets fill a column further",
     {{false, true, true, false}, false, 400},
     2,
     {520, 380},
     {{286, 16}, {286, 186}, {286, 291}, {26, 16}},
     std::nullopt},
};

TEST(StripLayout, ColumnsKeepSensorOrderAndOneColumnStaysAsItWas)
{
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        const StripLayout::TStrip strip = layOut(c.options);
        EXPECT_EQ(strip.columns, c.columns);
        EXPECT_EQ(strip.window, c.window);
        ASSERT_EQ(strip.sets.size(), c.scopes.size());
        for (std::size_t i = 0; i < c.scopes.size(); ++i)
            EXPECT_EQ(strip.sets[i].scope.topLeft(), c.scopes[i]) << "set " << i;
        EXPECT_EQ(strip.latencyBar, c.latencyBar);
        // The close button stays at the first column's top right.
        EXPECT_EQ(strip.closeButton, QRect(strip.firstColumnLeft + 243, 0, 15, 15));
        EXPECT_EQ(strip.firstColumnLeft, (c.columns - 1) * 260);
        // Nothing reaches below the window or past the available height
        // when one set fits it.
        for (const auto& set : strip.sets) {
            EXPECT_LE(set.downLabel.bottom(), strip.window.height());
            if (c.options.availableHeight >= 170) {
                EXPECT_LE(set.scale.bottom(), c.options.availableHeight);
            }
        }
    }
}

TEST(StripLayout, TheGraphSetsControlsAsTheWindowAlwaysPlacedThem)
{
    TStripOptions options;
    options.halfHeight = {false, true};
    options.latencySensor = true;
    const StripLayout::TStrip strip = layOut(options);
    const StripLayout::TSetPlace& fullSet = strip.sets[0];
    EXPECT_EQ(fullSet.title, QRect(8, 1, 0, 13));
    EXPECT_EQ(fullSet.downLabel, QRect(8, 151, 0, 13));
    EXPECT_EQ(fullSet.upLabel, QRect(184, 151, 0, 13));
    EXPECT_EQ(fullSet.scope, QRect(26, 16, 232, 133));
    EXPECT_EQ(fullSet.scale, QRect(0, 11, 26, 141));
    EXPECT_EQ(fullSet.scaleTicks, 8);
    const StripLayout::TSetPlace& half = strip.sets[1];
    EXPECT_EQ(half.title, QRect(8, 171, 0, 13));
    EXPECT_EQ(half.downLabel, QRect(8, 256, 0, 13));
    EXPECT_EQ(half.upLabel, QRect(184, 256, 0, 13));
    EXPECT_EQ(half.scope, QRect(26, 186, 232, 68));
    EXPECT_EQ(half.scale, QRect(0, 185, 26, 75));
    EXPECT_EQ(half.scaleTicks, 3);
    EXPECT_EQ(strip.latencyLabel, QRect(8, 294, 0, 13));
    EXPECT_EQ(strip.window, QSize(260, 315));
}

} // namespace
