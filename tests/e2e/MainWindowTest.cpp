// The main window on a real X server: size and scaling, the window-manager
// hints that make it a borderless, always-on-top strip without a task-bar
// entry, its opacity, dragging, and the tray icon beside it.
#include "Desktop.h"
#include "LoopbackTraffic.h"
#include "Waiting.h"

#include <algorithm>
#include <cmath>
#include <csignal>

using namespace std::chrono_literals;

namespace {

bool has(const std::vector<std::string>& list, const std::string& item)
{
    return std::find(list.begin(), list.end(), item) != list.end();
}

} // namespace

class MainWindow : public DesktopFixture
{
};
TRAVIMETRA_ON_EVERY_DESKTOP(MainWindow);

TEST_P(MainWindow, TwoSensorsAndLatencyMakeA260By380StripAtTheBottomRight)
{
    const int lo = startAgent();
    ASSERT_GT(lo, 0);
    ASSERT_TRUE(returningUser(2, lo).write(home()));
    auto program = launch();
    const auto window = mainWindow(*program, 10s);
    ASSERT_TRUE(window) << program->output();

    const auto g = probe().geometry(*window);
    EXPECT_EQ(g.width, 260);
    EXPECT_EQ(g.height, 380);
    // The saved position, one pixel off the bottom right corner.
    EXPECT_EQ(g.x + g.width, XSession::kWidth - 1);
    EXPECT_EQ(g.y + g.height, XSession::kHeight - 1);

    // What a window manager reads: no decorations, above the others, a
    // utility window that task bars leave out.
    const auto motif = probe().cardinals(*window, "_MOTIF_WM_HINTS");
    ASSERT_GE(motif.size(), 3u);
    EXPECT_TRUE(motif[0] & 2u) << "decorations flag";
    EXPECT_EQ(motif[2], 0u) << "no decorations";
    // Above the others, and neither task bars nor pagers list it.
    const auto state = probe().atoms(*window, "_NET_WM_STATE");
    EXPECT_TRUE(has(state, "_NET_WM_STATE_ABOVE"));
    EXPECT_TRUE(has(state, "_NET_WM_STATE_SKIP_TASKBAR"));
    EXPECT_TRUE(has(state, "_NET_WM_STATE_SKIP_PAGER"));
    // Alpha 192 of 255, as compositors read it.
    const auto opacity = probe().cardinals(*window, "_NET_WM_WINDOW_OPACITY");
    ASSERT_EQ(opacity.size(), 1u);
    EXPECT_NEAR(opacity[0] / 4294967295.0, 192 / 255.0, 1e-6);

    // The tray icon is docked in the panel, shows a picture, and its tip
    // comes up when the pointer rests on it.
    std::optional<XWindowProbe::Window> icon;
    ASSERT_TRUE(waitUntil(
        [&] {
            icon = probe().embedded(program->pid());
            return icon.has_value();
        },
        10s));
    // Idle or busy, the picture holds a download bar in green and an upload
    // bar in red.
    screenshot(*icon, "tray-icon.png");
    const auto shows = [&](std::uint32_t busy, std::uint32_t idle) {
        return !probe().rowsWithColor(*icon, busy).empty() ||
               !probe().rowsWithColor(*icon, idle).empty();
    };
    EXPECT_TRUE(shows(0x00FF00, 0x006000)) << "no download bar in the tray picture";
    EXPECT_TRUE(shows(0xFF0000, 0x600000)) << "no upload bar in the tray picture";
    // The first poll sees the agent's own replies on the loopback: any
    // traffic lights the download bar.
    EXPECT_TRUE(waitUntil([&] { return !probe().rowsWithColor(*icon, 0x00FF00).empty(); }, 10s))
        << "the tray picture never showed traffic";
    screenshot(*icon, "tray-icon.png");
    const auto place = probe().geometry(*icon);
    x().run({"xdotool", "mousemove", "--sync", std::to_string(place.x + place.width / 2),
             std::to_string(place.y + place.height / 2)});
    std::optional<XWindowProbe::Window> tip;
    EXPECT_TRUE(waitUntil(
        [&] {
            for (auto w : probe().windowsOf(program->pid()))
                if (probe().overrideRedirect(w) && probe().viewable(w) &&
                    probe().geometry(w).width > 150)
                    tip = w;
            return tip.has_value();
        },
        5s))
        << "no tool tip listing the sensors on the tray icon";
    if (tip)
        screenshot(*tip, "tray-tip.png");

    EXPECT_EQ(program->endWith(SIGTERM, 10s), std::optional<int>(0));
    // The window never moved: the store keeps the place it had.
    const auto store = StoreFile::read(home());
    ASSERT_TRUE(store);
    EXPECT_EQ(StoreFile::integer(*store, "", "Left"),
              std::optional<std::int32_t>(XSession::kWidth - 260 - 1));
    EXPECT_EQ(StoreFile::integer(*store, "", "Top"),
              std::optional<std::int32_t>(XSession::kHeight - 380 - 1));

    // The next start is the same strip with the same states.
    program = launch();
    const auto again = mainWindow(*program, 10s);
    ASSERT_TRUE(again) << program->output();
    EXPECT_TRUE(waitUntil(
        [&] {
            const auto now = probe().atoms(*again, "_NET_WM_STATE");
            return has(now, "_NET_WM_STATE_ABOVE") && has(now, "_NET_WM_STATE_SKIP_TASKBAR") &&
                   has(now, "_NET_WM_STATE_SKIP_PAGER");
        },
        5s));
    EXPECT_EQ(probe().geometry(*again).x, g.x);
    EXPECT_EQ(program->endWith(SIGTERM, 10s), std::optional<int>(0));
}

TEST_P(MainWindow, At150PercentTheStripIs390By570)
{
    const int lo = startAgent();
    ASSERT_GT(lo, 0);
    ASSERT_TRUE(returningUser(2, lo, 150).write(home()));
    auto program = launch();
    const auto window = mainWindow(*program, 10s);
    ASSERT_TRUE(window) << program->output();
    const auto g = probe().geometry(*window);
    EXPECT_EQ(g.width, 390);
    EXPECT_EQ(g.height, 570);
    EXPECT_EQ(program->endWith(SIGTERM, 10s), std::optional<int>(0));
}

TEST_P(MainWindow, RightClickOpensTheMenuAndTheLeftButtonDragsAndKeepsThePlace)
{
    const int lo = startAgent();
    ASSERT_GT(lo, 0);
    ASSERT_TRUE(returningUser(2, lo).write(home()));
    auto program = launch();
    const auto window = mainWindow(*program, 10s);
    ASSERT_TRUE(window) << program->output();
    const auto before = probe().geometry(*window);

    // A right click on a graph, on a title and on a rate label opens the
    // menu, and the window stays where it is.
    for (const auto& [dx, dy] : {std::pair{140, 80}, std::pair{20, 6}, std::pair{30, 157}}) {
        const auto menu = menuAt(*program, before.x + dx, before.y + dy);
        EXPECT_TRUE(menu) << "no menu on a right click at " << dx << "," << dy;
        x().run({"xdotool", "key", "Escape"});
        EXPECT_TRUE(waitUntil([&] { return menu && !probe().viewable(*menu); }, 5s));
        const auto still = probe().geometry(*window);
        EXPECT_EQ(still.x, before.x);
        EXPECT_EQ(still.y, before.y);
    }

    // Press on the first graph, well away from any label or button.
    drag(before.x + 140, before.y + 80, before.x + 140 - 300, before.y + 80 - 200);
    XWindowProbe::Geometry after;
    EXPECT_TRUE(waitUntil(
        [&] {
            after = probe().geometry(*window);
            return after.x == before.x - 300 && after.y == before.y - 200;
        },
        5s))
        << "window at " << after.x << "," << after.y << " from " << before.x << "," << before.y;

    // SIGTERM ends it like "Exit": the start counted, the new place saved.
    EXPECT_EQ(program->endWith(SIGTERM, 10s), std::optional<int>(0));
    const auto store = StoreFile::read(home());
    ASSERT_TRUE(store);
    EXPECT_EQ(StoreFile::integer(*store, "", "TimesRun"), std::optional<std::int32_t>(4));
    EXPECT_EQ(StoreFile::integer(*store, "", "Left"), std::optional<std::int32_t>(after.x));
    EXPECT_EQ(StoreFile::integer(*store, "", "Top"), std::optional<std::int32_t>(after.y));
}

TEST_F(OnOpenbox, LiveGraphsOfTheLoopbackTraffic)
{
    const int lo = startAgent();
    ASSERT_GT(lo, 0);
    auto seed = returningUser(2, lo);
    // The second sensor draws the same interface with the directions swapped
    // and twice the full scale, so the two graph sets differ.
    // Polls 6 s apart, in step with the agent, which refreshes its interface
    // table every 3 s on its own: other periods see some refreshes twice and
    // draw spikes.
    seed.integer("", "Interval", 6);
    seed.integer("0", "GraphPixels", 8).integer("1", "GraphPixels", 8);
    seed.boolean("1", "SwapedInOut", true).integer("1", "DownSpeed", 20000);
    seed.text("1", "HostName", "Loopback, swapped");
    // The loopback answers a ping within the millisecond, which the latency
    // sensor shows as "Host did not reply": no latency bar in this picture.
    seed.boolean("", "LatencySensor", false);
    ASSERT_TRUE(seed.write(home()));

    // A slow wave between about 0.2 and 1.1 MB/s.
    LoopbackTraffic traffic(kTrafficFrom, kTrafficTo, 9161);
    ASSERT_TRUE(
        traffic.start([](double t) { return 650'000 + 450'000 * std::sin(t * 0.12); }, 80s));
    auto program = launch();
    const auto window = mainWindow(*program, 10s);
    ASSERT_TRUE(window) << program->output();
    std::this_thread::sleep_for(68s); // eleven polls of history
    screenshot(*window, "main-window-live.png");
    // The download traces (lime) follow the wave: they cover many rows of
    // each graph, not one flat line.
    const auto rows = probe().rowsWithColor(*window, 0x00FF00);
    const auto inFirst = std::count_if(rows.begin(), rows.end(), [](int y) { return y < 170; });
    EXPECT_GT(inFirst, 20) << "rows with download trace in the first graph";
    EXPECT_GT(static_cast<long>(rows.size()) - inFirst, 10) << "in the second graph";
    traffic.stop();
    EXPECT_GT(traffic.datagramsSent(), 1000);
    EXPECT_EQ(program->endWith(SIGTERM, 10s), std::optional<int>(0));
}

TEST_F(OnOpenboxWithPicom, TheCompositorBlendsTheStripWithWhatLiesBelow)
{
    const int lo = startAgent();
    ASSERT_GT(lo, 0);
    ASSERT_TRUE(returningUser(2, lo).write(home())); // Alpha 192, black background
    probe().setRootColor(0xFFFFFF);
    // The compositor has taken the white background on (it shows where the
    // strip will not be).
    ASSERT_TRUE(waitUntil(
        [&] {
            const auto image = probe().screenImage({400, 400, 1, 1});
            return !image.pixels.empty() && image.pixels[0] == 0xFFFFFF;
        },
        5s));
    auto program = launch();
    const auto window = mainWindow(*program, 10s);
    ASSERT_TRUE(window) << program->output();
    const auto g = probe().geometry(*window);
    // Between the two graph sets the strip shows only its background:
    // black at 192/255 over white is 255 x (1 - 192/255) = 63 in each channel.
    const XWindowProbe::Geometry spot{g.x + 4, g.y + 167, 1, 1};
    std::uint32_t seen = 0;
    EXPECT_TRUE(waitUntil(
        [&] {
            const auto image = probe().screenImage(spot);
            seen = image.pixels.empty() ? 0xFFFFFFFF : image.pixels[0];
            const auto near = [](std::uint32_t channel) { return channel >= 62 && channel <= 64; };
            return near(seen >> 16) && near((seen >> 8) & 0xFF) && near(seen & 0xFF);
        },
        10s))
        << "screen shows " << std::hex << seen;
    EXPECT_EQ(program->endWith(SIGTERM, 10s), std::optional<int>(0));
}
