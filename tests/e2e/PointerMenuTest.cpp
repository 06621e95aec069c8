// Where the popup menu opens (at the pointer, wherever the strip is clicked,
// after the window manager has moved it, at 100 % and 200 %, and from the
// tray) and a strip of many sensors on a small screen.
#include "Desktop.h"
#include "Waiting.h"

#include <csignal>
#include <cstdlib>
#include <thread>

using namespace std::chrono_literals;

namespace {

int scaled(int v, int scale)
{
    return (v * scale + 50) / 100;
}

// The corner of a menu opened at the pointer: its top left, within the few
// pixels of a menu's own border.
constexpr int kNear = 4;

} // namespace

class PointerMenu : public DesktopFixture
{
protected:
    // Right-clicks at x, y; the menu's top left corner, or nothing.
    std::optional<XWindowProbe::Geometry> menuCornerAt(int atX, int atY)
    {
        const auto menu = menuAt(*m_program, atX, atY);
        if (!menu)
            return std::nullopt;
        XWindowProbe::Geometry g = probe().geometry(*menu);
        x().run({"xdotool", "key", "Escape"});
        waitUntil([&] { return !probe().viewable(*menu); }, 3s);
        return g;
    }

    void expectMenuAt(int atX, int atY, const std::string& what)
    {
        const auto corner = menuCornerAt(atX, atY);
        ASSERT_TRUE(corner) << "no menu for a click on " << what;
        // A menu that would reach below the screen opens upward: then its
        // bottom left corner is at the pointer.
        const int bottom = corner->y + corner->height;
        EXPECT_NEAR(corner->x, atX, kNear) << what << " clicked at " << atX << "," << atY;
        EXPECT_TRUE(
            std::abs(corner->y - atY) <= kNear ||
            (std::abs(bottom - atY) <= kNear && atY + corner->height > x().options().height))
            << what << " clicked at " << atX << "," << atY << ": menu from " << corner->y << " to "
            << bottom;
    }

    // The middle of the program's tray icon once it has docked and settled.
    std::optional<std::pair<int, int>> trayIconMiddle()
    {
        if (!waitUntil([&] { return probe().embedded(m_program->pid()).has_value(); }, 10s))
            return std::nullopt;
        std::this_thread::sleep_for(500ms);
        const auto icon = probe().embedded(m_program->pid());
        if (!icon)
            return std::nullopt;
        const auto g = probe().geometry(*icon);
        return std::make_pair(g.x + g.width / 2, g.y + g.height / 2);
    }

    std::unique_ptr<TravimetraProcess> m_program;
};
TRAVIMETRA_ON_EVERY_DESKTOP(PointerMenu);

TEST_P(PointerMenu, TheMenuOpensAtThePointerOnEveryPartOfTheStrip)
{
    const int lo = startAgent();
    ASSERT_GT(lo, 0);
    for (const int scale : {100, 200}) {
        SCOPED_TRACE(std::to_string(scale) + " %");
        // Near the top left, so a menu at the pointer fits below and right
        // of it and is never flipped.
        StoreFile::Seed seed = returningUser(2, lo, scale);
        seed.integer("", "Left", 60).integer("", "Top", 40);
        ASSERT_TRUE(seed.write(home()));
        m_program = launch();
        const auto window = mainWindow(*m_program, 10s);
        ASSERT_TRUE(window) << m_program->output();
        auto g = probe().geometry(*window);
        const struct
        {
            const char* what;
            int x, y;
        } parts[] = {
            {"the graph", 140, 80},         {"the scale", 12, 60},
            {"the title", 12, 7},           {"the rate label", 20, 157},
            {"the second graph", 200, 250}, {"the latency bar", 60, 350},
        };
        for (const auto& part : parts)
            expectMenuAt(g.x + scaled(part.x, scale), g.y + scaled(part.y, scale), part.what);

        // Moved by the window manager (or by hand without one): the menu
        // still opens where the pointer is, not where the window was.
        drag(g.x + scaled(140, scale), g.y + scaled(80, scale), g.x + scaled(140, scale) + 150,
             g.y + scaled(80, scale) + 20);
        ASSERT_TRUE(waitUntil([&] { return probe().geometry(*window).x == g.x + 150; }, 5s));
        g = probe().geometry(*window);
        expectMenuAt(g.x + scaled(100, scale), g.y + scaled(100, scale), "the moved graph");
        EXPECT_EQ(m_program->endWith(SIGTERM, 10s), std::optional<int>(0));
    }
}

TEST_P(PointerMenu, TheTrayIconsMenuOpensAtThePointer)
{
    const int lo = startAgent();
    ASSERT_GT(lo, 0);
    ASSERT_TRUE(returningUser(1, lo).write(home()));
    m_program = launch();
    ASSERT_TRUE(mainWindow(*m_program, 10s)) << m_program->output();
    const auto middle = trayIconMiddle();
    ASSERT_TRUE(middle) << "the tray icon never docked";
    const auto [x, y] = *middle;
    const auto corner = menuCornerAt(x, y);
    ASSERT_TRUE(corner) << "no menu from the tray icon";
    EXPECT_NEAR(corner->x, x, kNear);
    EXPECT_NEAR(corner->y, y, kNear);
    EXPECT_EQ(m_program->endWith(SIGTERM, 10s), std::optional<int>(0));
}

TEST_P(PointerMenu, AStripRestoredFromTheTrayOpensTheMenuAtThePointer)
{
    const int lo = startAgent();
    ASSERT_GT(lo, 0);
    StoreFile::Seed seed = returningUser(1, lo);
    seed.integer("", "Left", 600).integer("", "Top", 300).boolean("", "StartMinimized", true);
    ASSERT_TRUE(seed.write(home()));
    m_program = launch();
    const auto middle = trayIconMiddle();
    ASSERT_TRUE(middle) << "the tray icon never docked";
    click(middle->first, middle->second);
    const auto window = mainWindow(*m_program, 10s);
    ASSERT_TRUE(window) << m_program->output();
    std::this_thread::sleep_for(300ms);
    const auto g = probe().geometry(*window);
    expectMenuAt(g.x + 100, g.y + 80, "the restored strip");
    EXPECT_EQ(m_program->endWith(SIGTERM, 10s), std::optional<int>(0));
}

// A small laptop screen: twelve sensors continue in columns to the left,
// all of them on the screen, in sensor order from the right.
class SmallScreen : public OnOpenbox
{
protected:
    XSession::Options sessionOptions() const override
    {
        XSession::Options options = OnOpenbox::sessionOptions();
        options.width = 1366;
        options.height = 768;
        return options;
    }
};

TEST_F(SmallScreen, TwelveSensorsFitOnTheScreenInColumns)
{
    const int lo = startAgent();
    ASSERT_GT(lo, 0);
    StoreFile::Seed seed = returningUser(12, lo);
    seed.integer("", "Left", 1366 - 260 - 1).integer("", "Top", 0);
    ASSERT_TRUE(seed.write(home()));
    auto program = launch();
    const auto window = mainWindow(*program, 10s);
    ASSERT_TRUE(window) << program->output();
    XWindowProbe::Geometry g;
    ASSERT_TRUE(waitUntil(
        [&] {
            g = probe().geometry(*window);
            return g.width > 260;
        },
        5s));
    EXPECT_GE(g.x, 0);
    EXPECT_GE(g.y, 0);
    EXPECT_LE(g.x + g.width, 1366);
    EXPECT_LE(g.y + g.height, 768);
    EXPECT_EQ(g.width % 260, 0);
    // The first column stays where the user put it.
    EXPECT_EQ(g.x + g.width - 260, 1366 - 260 - 1);
    screenshot(*window, "twelve-sensors-1366x768.png");
    EXPECT_EQ(program->endWith(SIGTERM, 10s), std::optional<int>(0));
}
