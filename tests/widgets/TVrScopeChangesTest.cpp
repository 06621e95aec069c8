#include "TVrScope.h"

#include "GuiTestApp.h"
#include "ImageProbe.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using namespace VrColor;

// How a step's drawing reached the image.
enum class Drawn
{
    Nothing, // no pixel changed
    Changes, // the old traces taken off, the new ones drawn
    Whole    // cleared and drawn from the start
};

const char* nameOf(Drawn drawn)
{
    return drawn == Drawn::Nothing ? "nothing" : drawn == Drawn::Changes ? "changes" : "whole";
}

struct Step
{
    std::string what;
    std::function<void(TVrScope&)> apply;
    Drawn drawn;
};

// A 60 x 50 scope over 0 .. 100 with two channels, as the main window
// sets one up: channel 0 yellow, channel 1 red.
void setUp(TVrScope& scope)
{
    scope.resize(60, 50);
    scope.setGridSize(11);
    scope.setGridColor(clGreen);
    scope.setBaseColor(clLime);
    scope.channels().add();
    scope.channels().add().setColor(clRed);
}

Step push(int down, int up, Drawn drawn = Drawn::Changes)
{
    return {"push " + std::to_string(down) + "/" + std::to_string(up),
            [down, up](TVrScope& s) {
                s.pushValue(1, up);
                s.pushValue(0, down);
            },
            drawn};
}

// Samples rising and falling over the whole range and past both ends.
std::vector<Step> pushes(int count, int from, Drawn drawn = Drawn::Changes)
{
    std::vector<Step> steps;
    for (int i = 0; i < count; ++i)
        steps.push_back(push((from + i * 37) % 130 - 10, (from + i * 23) % 120, drawn));
    return steps;
}

std::vector<Step> operator+(std::vector<Step> a, const std::vector<Step>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct Scenario
{
    const char* name;
    std::vector<Step> steps;
};

// After every step the scope that drew only what changed shows, pixel for
// pixel, the picture of a scope that went through the same steps and drew
// once from the start.
class IncrementalPicture : public ::testing::TestWithParam<Scenario>
{
};

TEST_P(IncrementalPicture, EqualsAWholeRepaintAfterEveryStep)
{
    const std::vector<Step>& steps = GetParam().steps;
    TVrScope incremental;
    setUp(incremental);
    QImage last = incremental.renderImage().copy();
    for (std::size_t n = 0; n < steps.size(); ++n) {
        const Step& step = steps[n];
        step.apply(incremental);
        const QImage& drawn = incremental.renderImage();
        const QRect change = incremental.lastChange();
        const Drawn how = incremental.lastDrawnWhole() ? Drawn::Whole
                          : change.isEmpty()           ? Drawn::Nothing
                                                       : Drawn::Changes;
        EXPECT_STREQ(nameOf(how), nameOf(step.drawn)) << "step " << n << ": " << step.what;

        TVrScope whole;
        setUp(whole);
        for (std::size_t k = 0; k <= n; ++k)
            steps[k].apply(whole);
        const QImage& expected = whole.renderImage();
        ASSERT_EQ(drawn.size(), expected.size()) << "step " << n << ": " << step.what;
        for (int y = 0; y < expected.height(); ++y)
            for (int x = 0; x < expected.width(); ++x)
                ASSERT_EQ(pixelAt(drawn, x, y), pixelAt(expected, x, y))
                    << "pixel " << x << "," << y << " after step " << n << ": " << step.what;
        // Only the reported change goes to the screen: nothing outside it moved.
        if (how != Drawn::Whole) {
            for (int y = 0; y < drawn.height(); ++y) {
                for (int x = 0; x < drawn.width(); ++x) {
                    if (change.contains(x, y))
                        continue;
                    ASSERT_EQ(pixelAt(drawn, x, y), pixelAt(last, x, y))
                        << "pixel " << x << "," << y << " outside the change after step " << n
                        << ": " << step.what;
                }
            }
        }
        last = drawn.copy();
    }
}

Step act(const char* what, std::function<void(TVrScope&)> apply, Drawn drawn)
{
    return {what, std::move(apply), drawn};
}

// A full history of one value: the same flat line after every push.
std::vector<Step> flat(int value, int count)
{
    std::vector<Step> steps;
    for (int i = 0; i < count; ++i)
        steps.push_back(push(value, value));
    return steps;
}

INSTANTIATE_TEST_SUITE_P(
    TVrScope, IncrementalPicture,
    ::testing::Values(
        Scenario{"Scroll", pushes(80, 0)},
        Scenario{"QuietLinkChangesNoPixel",
                 flat(0, 61) + std::vector<Step>{push(0, 0, Drawn::Nothing),
                                                 push(0, 0, Drawn::Nothing), push(40, 0)}},
        Scenario{
            "ScaleChange",
            pushes(20, 5) +
                std::vector<Step>{
                    act(
                        "maximum 400", [](TVrScope& s) { s.setMaxValue(400); }, Drawn::Changes),
                    // The emptied history's line lies where it lay.
                    act(
                        "minimum -1", [](TVrScope& s) { s.setMinValue(-1); }, Drawn::Nothing)} +
                pushes(20, 9)},
        Scenario{"Resize",
                 pushes(30, 1) +
                     std::vector<Step>{act(
                         "resize 45 x 70", [](TVrScope& s) { s.resize(45, 70); }, Drawn::Whole)} +
                     pushes(10, 3) +
                     std::vector<Step>{act(
                         "resize 80 x 30", [](TVrScope& s) { s.resize(80, 30); }, Drawn::Whole)} +
                     pushes(10, 7)},
        Scenario{
            "GridProperties",
            pushes(15, 2) +
                std::vector<Step>{
                    act(
                        "base offset 20", [](TVrScope& s) { s.setBaseOffset(20); }, Drawn::Whole),
                    act(
                        "grid colour", [](TVrScope& s) { s.setGridColor(clNavy); }, Drawn::Whole),
                    act(
                        "base colour", [](TVrScope& s) { s.setBaseColor(clWhite); }, Drawn::Whole),
                    act(
                        "background", [](TVrScope& s) { s.setColor(clMaroon); }, Drawn::Whole),
                    act(
                        "grid size 7", [](TVrScope& s) { s.setGridSize(7); }, Drawn::Whole),
                    act(
                        "tick moves the grid", [](TVrScope& s) { s.tick(); }, Drawn::Whole)} +
                pushes(5, 4)},
        Scenario{
            "TraceProperties",
            pushes(25, 6) +
                std::vector<Step>{
                    act(
                        "channel 0 blue",
                        [](TVrScope& s) { s.channels().items(0).setColor(clBlue); },
                        Drawn::Changes),
                    act(
                        "channel 1 hidden",
                        [](TVrScope& s) { s.channels().items(1).setVisible(false); },
                        Drawn::Changes),
                    act(
                        "frequency 3", [](TVrScope& s) { s.setFrequency(3); }, Drawn::Changes),
                    act(
                        "bars", [](TVrScope& s) { s.channels().items(0).setStyle(gsBar); },
                        Drawn::Changes),
                    act(
                        "left to right", [](TVrScope& s) { s.setDirection(sdLeftToRight); },
                        Drawn::Changes),
                    act(
                        "channel 1 shown",
                        [](TVrScope& s) { s.channels().items(1).setVisible(true); },
                        Drawn::Changes),
                    act(
                        "buffer of 8", [](TVrScope& s) { s.setBufferSize(8); }, Drawn::Changes)} +
                pushes(10, 8)},
        // A wide trace is QPainter's: drawn whole while it is there and
        // once more after it is gone.
        Scenario{"WideTraceAndGrid",
                 pushes(10, 3) +
                     std::vector<Step>{
                         act(
                             "channel 0 two wide",
                             [](TVrScope& s) { s.channels().items(0).setWidth(2); }, Drawn::Whole),
                         push(50, 60, Drawn::Whole),
                         act(
                             "channel 0 one wide",
                             [](TVrScope& s) { s.channels().items(0).setWidth(1); }, Drawn::Whole),
                         push(70, 20),
                         act(
                             "grid lines two wide", [](TVrScope& s) { s.setGridLineWidth(2); },
                             Drawn::Whole),
                         push(10, 90, Drawn::Whole)}}),
    [](const ::testing::TestParamInfo<Scenario>& info) { return std::string(info.param.name); });

} // namespace
