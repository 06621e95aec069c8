// The round trip through the notification area: the window goes to the tray
// and a click on the tray icon brings it back.
#include "Desktop.h"
#include "Waiting.h"

#include <algorithm>
#include <csignal>

using namespace std::chrono_literals;

class TrayTest : public DesktopFixture
{
protected:
    void SetUp() override
    {
        DesktopFixture::SetUp();
        if (IsSkipped() || HasFailure())
            return;
        const int lo = startAgent();
        ASSERT_GT(lo, 0);
        ASSERT_TRUE(returningUser(1, lo).write(home()));
        m_program = launch();
        const auto window = mainWindow(*m_program, 10s);
        ASSERT_TRUE(window) << m_program->output();
        m_window = *window;
        ASSERT_TRUE(waitUntil(
            [&] {
                m_icon = probe().embedded(m_program->pid());
                return m_icon.has_value();
            },
            10s))
            << "the tray icon never docked";
    }

    void TearDown() override
    {
        if (m_program) {
            EXPECT_EQ(m_program->endWith(SIGTERM, 10s), std::optional<int>(0));
        }
    }

    bool windowShown() { return probe().viewable(m_window); }

    // The program's windows, for a failure message.
    std::string describe()
    {
        std::string out;
        for (auto w : probe().windowsOf(m_program->pid())) {
            const auto g = probe().geometry(w);
            out += std::to_string(w) + " \"" + probe().title(w) + "\" " + std::to_string(g.width) +
                   "x" + std::to_string(g.height) + "+" + std::to_string(g.x) + "+" +
                   std::to_string(g.y) + (probe().viewable(w) ? " viewable" : "") + "\n";
        }
        return out + "main window " + std::to_string(m_window);
    }

    // Clicks the middle of the tray icon once it sits still: going to the
    // tray may dock the icon anew, in a new window.
    void clickTrayIcon()
    {
        std::optional<XWindowProbe::Window> icon;
        XWindowProbe::Geometry g;
        const bool settled = waitUntil(
            [&] {
                const auto now = probe().embedded(m_program->pid());
                const auto place = now ? probe().geometry(*now) : XWindowProbe::Geometry{};
                const bool same = now && icon && *now == *icon && place.x == g.x &&
                                  place.y == g.y && place.width == g.width;
                icon = now;
                g = place;
                std::this_thread::sleep_for(std::chrono::milliseconds(150));
                return same;
            },
            5s);
        ASSERT_TRUE(settled) << "the tray icon did not settle\n" << describe();
        click(g.x + g.width / 2, g.y + g.height / 2);
    }

    std::unique_ptr<TravimetraProcess> m_program;
    XWindowProbe::Window m_window = 0;
    std::optional<XWindowProbe::Window> m_icon;
};

TRAVIMETRA_ON_EVERY_DESKTOP(TrayTest);

TEST_P(TrayTest, TheXButtonHidesTheWindowAndTheTrayIconBringsItBack)
{
    const auto g = probe().geometry(m_window);
    click(g.x + 250, g.y + 7); // "X" at 243..257, 0..14
    ASSERT_TRUE(waitUntil([&] { return !windowShown(); }, 5s));
    EXPECT_TRUE(m_program->running());
    EXPECT_TRUE(probe().embedded(m_program->pid()));

    clickTrayIcon();
    EXPECT_TRUE(waitUntil([&] { return windowShown(); }, 5s)) << describe();
    EXPECT_EQ(probe().geometry(m_window).x, g.x);
    // Back from the tray it is still above the others and off the task bar.
    EXPECT_TRUE(waitUntil(
        [&] {
            const auto state = probe().atoms(m_window, "_NET_WM_STATE");
            const auto has = [&](const char* name) {
                return std::find(state.begin(), state.end(), name) != state.end();
            };
            return has("_NET_WM_STATE_ABOVE") && has("_NET_WM_STATE_SKIP_TASKBAR") &&
                   has("_NET_WM_STATE_SKIP_PAGER");
        },
        5s))
        << describe();
}

TEST_P(TrayTest, MinimizeToTrayFromTheMenuAndBackByTheTrayIcon)
{
    const auto g = probe().geometry(m_window);
    click(g.x + 140, g.y + 80, 3);
    std::optional<XWindowProbe::Window> menu;
    ASSERT_TRUE(waitUntil(
        [&] {
            for (auto w : probe().windowsOf(m_program->pid()))
                if (probe().overrideRedirect(w) && probe().viewable(w) &&
                    probe().geometry(w).height > 100)
                    menu = w;
            return menu.has_value();
        },
        5s))
        << "no popup menu on a right click";
    screenshot(*menu, "main-menu-live.png");
    // From the bottom of the menu: "Exit", then "Minimize to tray".
    x().run({"xdotool", "key", "Up", "Up", "Return"});
    ASSERT_TRUE(waitUntil([&] { return !windowShown(); }, 5s));
    EXPECT_TRUE(m_program->running());

    clickTrayIcon();
    EXPECT_TRUE(waitUntil([&] { return windowShown(); }, 5s));
}
