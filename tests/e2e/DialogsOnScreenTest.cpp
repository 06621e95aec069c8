// The dialogs as a user meets them: at the device scales of high-density
// screens on a 1366 x 768 laptop screen, and the device dialog drawn before
// it waits for a silent agent.
#include "Desktop.h"
#include "Waiting.h"

#include <cmath>
#include <csignal>
#include <thread>
#include <tuple>

using namespace std::chrono_literals;

namespace {

struct ScaledDesktop
{
    Desktop desktop;
    double factor; // QT_SCALE_FACTOR
};

std::string scaledName(const ::testing::TestParamInfo<ScaledDesktop>& info)
{
    return std::string(info.param.desktop == Desktop::Openbox ? "Openbox" : "Bare") + "At" +
           std::to_string(static_cast<int>(info.param.factor * 100));
}

} // namespace

class ScaledDialogs : public E2EFixture, public ::testing::WithParamInterface<ScaledDesktop>
{
protected:
    XSession::Options sessionOptions() const override
    {
        XSession::Options options;
        options.width = 1366;
        options.height = 768;
        options.windowManager = GetParam().desktop == Desktop::Openbox;
        return options;
    }

    // The dialog's size on the screen: at least its design size times the
    // device scale where the screen has the room, else as tall as the
    // screen allows (its controls then scroll), and fixed (the window
    // manager may not change it).
    void expectFixedAndWhole(XWindowProbe::Window dialog, int designWidth, int designHeight)
    {
        const double f = GetParam().factor;
        const auto g = probe().geometry(dialog);
        const auto screen = probe().screen();
        EXPECT_GE(g.width, static_cast<int>(std::floor(designWidth * f)));
        if (designHeight * f + 40 * f <= screen.height)
            EXPECT_GE(g.height, static_cast<int>(std::floor(designHeight * f)));
        else
            EXPECT_LE(g.height, screen.height);
        const auto [minimum, maximum] = probe().sizeLimits(dialog);
        EXPECT_EQ(minimum.width, g.width);
        EXPECT_EQ(minimum.height, g.height);
        EXPECT_EQ(maximum.width, g.width);
        EXPECT_EQ(maximum.height, g.height);
    }
};

INSTANTIATE_TEST_SUITE_P(Scales, ScaledDialogs,
                         ::testing::Values(ScaledDesktop{Desktop::Bare, 1.5},
                                           ScaledDesktop{Desktop::Openbox, 1.5},
                                           ScaledDesktop{Desktop::Openbox, 2.0}),
                         scaledName);

TEST_P(ScaledDialogs, BothDialogsKeepTheirWholeSize)
{
    const int lo = startAgent();
    ASSERT_GT(lo, 0);
    ASSERT_TRUE(returningUser(1, lo).write(home()));
    char factor[16];
    std::snprintf(factor, sizeof factor, "%g", GetParam().factor);
    auto program = launch({std::string("QT_SCALE_FACTOR=") + factor});
    const auto window = mainWindow(*program, 10s);
    ASSERT_TRUE(window) << program->output();
    const auto g = probe().geometry(*window);
    // The strip is scaled with the device and lies wholly on the screen.
    EXPECT_GE(g.x, 0);
    EXPECT_LE(g.y + g.height, 768);
    ASSERT_TRUE(pickFromMenu(*program, g.x + g.width / 2, g.y + g.height / 3, 4));
    const auto options = otherWindow(*program, "Travimetra Options", *window, 5s);
    ASSERT_TRUE(options) << "no options dialog";
    expectFixedAndWhole(*options, 502, 384);
    screenshot(*options, "options-at-" + std::to_string(int(GetParam().factor * 100)) + ".png");

    // "Add": the button after the grid in the focus chain.
    keys(*options, {"Tab", "Tab", "space"});
    const auto device = otherWindow(*program, "Travimetra - Add Device / Sensor", *window, 5s);
    ASSERT_TRUE(device) << "no device dialog";
    expectFixedAndWhole(*device, 504, 494);
    screenshot(*device, "device-at-" + std::to_string(int(GetParam().factor * 100)) + ".png");
    // "v3" (the version list after the address, community, name and Start
    // Connection): the user's fields take the community's place, and the
    // dialog still fits.
    keys(*device, {"Tab", "Tab", "Tab", "Tab", "End"});
    std::this_thread::sleep_for(300ms);
    expectFixedAndWhole(*device, 504, 494);
    screenshot(*device, "device-v3-at-" + std::to_string(int(GetParam().factor * 100)) + ".png");
    keys(*device, {"Escape"});
    EXPECT_TRUE(waitUntil([&] { return !probe().viewable(*device); }, 5s));
    keys(*options, {"Escape"});
    EXPECT_TRUE(waitUntil([&] { return !probe().viewable(*options); }, 5s));
    EXPECT_EQ(program->endWith(SIGTERM, 10s), std::optional<int>(0));
}
