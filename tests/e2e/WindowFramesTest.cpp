// The windows besides the strip under a window manager: the usage window and
// the message boxes open with their title bar on the screen, and a window of
// a fixed size offers no maximise (and asks for no minimise button).
#include "Desktop.h"
#include "Waiting.h"

#include <algorithm>
#include <csignal>

using namespace std::chrono_literals;

namespace {

bool has(const std::vector<std::string>& list, const std::string& item)
{
    return std::find(list.begin(), list.end(), item) != list.end();
}

// What the window asks of the window manager in its Motif hints: neither the
// minimise nor the maximise function nor their buttons.
void expectNoMinimiseOrMaximiseAsked(XWindowProbe& probe, XWindowProbe::Window window,
                                     const char* what)
{
    constexpr std::uint32_t kFunctions = 1, kDecorations = 2;
    constexpr std::uint32_t kFuncAll = 1, kFuncMinimize = 8, kFuncMaximize = 16;
    constexpr std::uint32_t kDecorAll = 1, kDecorMinimize = 32, kDecorMaximize = 64;
    const auto hints = probe.cardinals(window, "_MOTIF_WM_HINTS");
    ASSERT_GE(hints.size(), 3u) << what;
    ASSERT_TRUE(hints[0] & kFunctions) << what;
    ASSERT_TRUE(hints[0] & kDecorations) << what;
    EXPECT_EQ(hints[1] & (kFuncAll | kFuncMinimize | kFuncMaximize), 0u) << what;
    EXPECT_EQ(hints[2] & (kDecorAll | kDecorMinimize | kDecorMaximize), 0u) << what;
}

} // namespace

class WindowFrames : public OnOpenbox
{
protected:
    // The frame's extents (left, right, top, bottom) the window manager
    // gave the window, once it has.
    std::vector<std::uint32_t> frameOf(XWindowProbe::Window window)
    {
        std::vector<std::uint32_t> extents;
        waitUntil(
            [&] {
                extents = probe().cardinals(window, "_NET_FRAME_EXTENTS");
                return extents.size() == 4;
            },
            5s);
        return extents;
    }

    // The whole window, title bar included, is on the screen.
    void expectReachable(XWindowProbe::Window window, const char* what)
    {
        const auto extents = frameOf(window);
        ASSERT_EQ(extents.size(), 4u) << what;
        XWindowProbe::Geometry g;
        // Brought there once the frame is known.
        const bool inside = waitUntil(
            [&] {
                g = probe().geometry(window);
                return g.y - int(extents[2]) >= 0 && g.x - int(extents[0]) >= 0 &&
                       g.x + g.width + int(extents[1]) <= XSession::kWidth &&
                       g.y + g.height + int(extents[3]) <= XSession::kHeight;
            },
            5s);
        EXPECT_TRUE(inside) << what << " at " << g.x << "," << g.y << " " << g.width << "x"
                            << g.height << ", title bar " << extents[2];
    }
};

TEST_F(WindowFrames, UsageWindowAndBoxesOpenOnTheScreenAndFixedOnesOfferNoMaximise)
{
    const int lo = startAgent();
    ASSERT_GT(lo, 0);
    // The strip in the top right corner: the usage window beside it would
    // have its title bar above the top of the screen.
    StoreFile::Seed seed = returningUser(1, lo);
    seed.integer("", "Left", XSession::kWidth - 260).integer("", "Top", 0);
    ASSERT_TRUE(seed.write(home()));
    auto program = launch();
    const auto window = mainWindow(*program, 10s);
    ASSERT_TRUE(window) << program->output();
    const auto g = probe().geometry(*window);

    ASSERT_TRUE(pickFromMenu(*program, g.x + 140, g.y + 80, 6)); // "Usage..."
    const auto usage = otherWindow(*program, "Usage", *window, 5s);
    ASSERT_TRUE(usage) << "no usage window";
    expectReachable(*usage, "the usage window");

    ASSERT_TRUE(pickFromMenu(*program, g.x + 140, g.y + 80, 0)); // "About..."
    const auto box = otherWindow(*program, "Travimetra", *window, 5s);
    ASSERT_TRUE(box) << "no About box";
    expectReachable(*box, "the About box");
    const auto actions = probe().atoms(*box, "_NET_WM_ALLOWED_ACTIONS");
    EXPECT_TRUE(has(actions, "_NET_WM_ACTION_CLOSE"));
    EXPECT_FALSE(has(actions, "_NET_WM_ACTION_MAXIMIZE_HORZ"));
    EXPECT_FALSE(has(actions, "_NET_WM_ACTION_MAXIMIZE_VERT"));
    expectNoMinimiseOrMaximiseAsked(probe(), *box, "the About box");
    keys(*box, {"Return"});
    EXPECT_TRUE(waitUntil([&] { return !probe().viewable(*box); }, 5s));

    ASSERT_TRUE(pickFromMenu(*program, g.x + 140, g.y + 80, 4)); // "Configuration / Options..."
    const auto options = otherWindow(*program, "Travimetra Options", *window, 5s);
    ASSERT_TRUE(options) << "no options dialog";
    expectReachable(*options, "the options dialog");
    const auto optionActions = probe().atoms(*options, "_NET_WM_ALLOWED_ACTIONS");
    EXPECT_FALSE(has(optionActions, "_NET_WM_ACTION_MAXIMIZE_HORZ"));
    expectNoMinimiseOrMaximiseAsked(probe(), *options, "the options dialog");
    keys(*options, {"Escape"});
    EXPECT_EQ(program->endWith(SIGTERM, 10s), std::optional<int>(0));
}
