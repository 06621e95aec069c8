// What a user of a desktop sees of the window's behaviour, on a bare X server
// and under openbox: closing, the saved place, boxes and dialogs above the
// strip, and the pixels of the latency bar, the scales and a fast link's
// graph, each compared with what the drawing rules give.
#include "Desktop.h"
#include "Waiting.h"

#include <algorithm>
#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <set>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

bool has(const std::vector<std::string>& list, const std::string& item)
{
    return std::find(list.begin(), list.end(), item) != list.end();
}

bool stripStates(XWindowProbe& probe, XWindowProbe::Window window)
{
    const auto state = probe.atoms(window, "_NET_WM_STATE");
    return has(state, "_NET_WM_STATE_ABOVE") && has(state, "_NET_WM_STATE_SKIP_TASKBAR") &&
           has(state, "_NET_WM_STATE_SKIP_PAGER");
}

// The window-wide scaling: v x scale / 100, halves away from zero.
int scaled(int v, int scale)
{
    return (v * scale + 50) / 100;
}

// The share rule of the level bar: T(n x (p x 0.01)) with the 64-bit-mantissa
// 0.01, a little below one hundredth.
int share(int percent, int count)
{
    return static_cast<int>(static_cast<long double>(count) * (percent * 0.01L));
}

long long modified(const std::string& file)
{
    struct stat info = {};
    if (::stat(file.c_str(), &info) != 0)
        return -1;
    return static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec;
}

} // namespace

class DesktopBehaviour : public DesktopFixture
{
protected:
    // Starts a returning user's program (after `adjust` has changed the
    // store) and waits for its window.
    template <typename Adjust> bool start(Adjust adjust, int sensors = 2)
    {
        if (m_lo <= 0)
            m_lo = startAgent();
        if (m_lo <= 0)
            return false;
        StoreFile::Seed seed = returningUser(sensors, m_lo);
        adjust(seed);
        if (!seed.write(home()))
            return false;
        m_program = launch();
        const auto window = mainWindow(*m_program, 10s);
        if (!window) {
            ADD_FAILURE() << m_program->output();
            return false;
        }
        m_window = *window;
        return true;
    }
    bool start()
    {
        return start([](StoreFile::Seed&) {});
    }

    int m_lo = 0;
    std::unique_ptr<TravimetraProcess> m_program;
    XWindowProbe::Window m_window = 0;
};
TRAVIMETRA_ON_EVERY_DESKTOP(DesktopBehaviour);

TEST_P(DesktopBehaviour, AltF4AndACloseRequestSaveAndEnd)
{
    ASSERT_TRUE(start());
    const auto before = probe().geometry(m_window);
    drag(before.x + 140, before.y + 80, before.x + 140 - 200, before.y + 80 - 100);
    ASSERT_TRUE(waitUntil([&] { return probe().geometry(m_window).x == before.x - 200; }, 5s));

    // Alt+F4, the shortcut the menu shows for "Exit".
    keys(m_window, {"alt+F4"});
    EXPECT_EQ(m_program->waitForExit(10s), std::optional<int>(0)) << m_program->output();
    auto store = StoreFile::read(home());
    ASSERT_TRUE(store);
    EXPECT_EQ(StoreFile::integer(*store, "", "TimesRun"), std::optional<std::int32_t>(4));
    EXPECT_EQ(StoreFile::integer(*store, "", "Left"), std::optional<std::int32_t>(before.x - 200));
    EXPECT_EQ(StoreFile::integer(*store, "", "Top"), std::optional<std::int32_t>(before.y - 100));

    // The close request of a window manager's close button or a session's end.
    m_program = launch();
    const auto window = mainWindow(*m_program, 10s);
    ASSERT_TRUE(window) << m_program->output();
    probe().requestClose(*window);
    EXPECT_EQ(m_program->waitForExit(10s), std::optional<int>(0)) << m_program->output();
    store = StoreFile::read(home());
    ASSERT_TRUE(store);
    EXPECT_EQ(StoreFile::integer(*store, "", "TimesRun"), std::optional<std::int32_t>(5));
}

TEST_P(DesktopBehaviour, APlaceOffTheScreenIsBroughtBackAndSavedOnlyThen)
{
    // A place on a monitor that is gone, far right and below.
    ASSERT_TRUE(start(
        [](StoreFile::Seed& seed) { seed.integer("", "Left", 3000).integer("", "Top", 2000); }));
    const auto g = probe().geometry(m_window);
    EXPECT_EQ(g.x, XSession::kWidth - 260);
    EXPECT_EQ(g.y, XSession::kHeight - 380);
    EXPECT_EQ(m_program->endWith(SIGTERM, 10s), std::optional<int>(0));
    const auto store = StoreFile::read(home());
    ASSERT_TRUE(store);
    EXPECT_EQ(StoreFile::integer(*store, "", "Left"), std::optional<std::int32_t>(g.x));
    EXPECT_EQ(StoreFile::integer(*store, "", "Top"), std::optional<std::int32_t>(g.y));

    // Partly off the left edge.
    ASSERT_TRUE(start(
        [](StoreFile::Seed& seed) { seed.integer("", "Left", -120).integer("", "Top", 50); }));
    const auto h = probe().geometry(m_window);
    EXPECT_EQ(h.x, 0);
    EXPECT_EQ(h.y, 50);
    EXPECT_EQ(m_program->endWith(SIGTERM, 10s), std::optional<int>(0));
}

TEST_P(DesktopBehaviour, AMessageBoxOpensAboveTheStrip)
{
    ASSERT_TRUE(start());
    const auto g = probe().geometry(m_window);
    ASSERT_TRUE(pickFromMenu(*m_program, g.x + 140, g.y + 80, 0)); // "About..."
    const auto box = otherWindow(*m_program, "Travimetra", m_window, 5s);
    ASSERT_TRUE(box) << "no About box";
    screenshot(*box, "about-box.png");
    EXPECT_GT(probe().stackingIndex(*box), probe().stackingIndex(m_window));
    // Still above after the strip is clicked (a drag that does not move;
    // away from the menu's spot, where the pointer already is).
    click(g.x + 150, g.y + 90);
    EXPECT_GT(probe().stackingIndex(*box), probe().stackingIndex(m_window));
    keys(*box, {"Return"});
    EXPECT_TRUE(waitUntil([&] { return !probe().viewable(*box); }, 5s));
    EXPECT_TRUE(m_program->running());
    EXPECT_EQ(m_program->endWith(SIGTERM, 10s), std::optional<int>(0));
}

TEST_P(DesktopBehaviour, TheStatesHoldAfterTheOptionsDialogsOk)
{
    ASSERT_TRUE(start());
    ASSERT_TRUE(waitUntil([&] { return stripStates(probe(), m_window); }, 5s));
    const std::string store = StoreFile::path(home());
    const long long before = modified(store);
    const auto g = probe().geometry(m_window);
    ASSERT_TRUE(pickFromMenu(*m_program, g.x + 140, g.y + 80, 4)); // "Configuration / Options..."
    const auto dialog = otherWindow(*m_program, "Travimetra Options", m_window, 5s);
    ASSERT_TRUE(dialog) << "no options dialog";
    EXPECT_GT(probe().stackingIndex(*dialog), probe().stackingIndex(m_window));
    // Fixed size: the window manager may not resize it.
    const auto [minimum, maximum] = probe().sizeLimits(*dialog);
    const auto d = probe().geometry(*dialog);
    EXPECT_EQ(minimum.width, d.width);
    EXPECT_EQ(maximum.width, d.width);
    EXPECT_EQ(minimum.height, d.height);
    EXPECT_EQ(maximum.height, d.height);
    // OK: from the first control backwards, past Cancel, to OK.
    keys(*dialog, {"shift+Tab", "shift+Tab", "space"});
    ASSERT_TRUE(waitUntil([&] { return !probe().viewable(*dialog); }, 5s));
    EXPECT_TRUE(waitUntil([&] { return modified(store) != before; }, 5s))
        << "OK saved nothing (was it Cancel?)";
    EXPECT_TRUE(waitUntil(
        [&] { return probe().viewable(m_window) && stripStates(probe(), m_window); }, 5s));
    EXPECT_EQ(m_program->endWith(SIGTERM, 10s), std::optional<int>(0));
}

TEST_P(DesktopBehaviour, UsageOpensAWindowOfItsOwnWhileTheStripPollsOn)
{
    ASSERT_TRUE(start());
    const auto g = probe().geometry(m_window);
    ASSERT_TRUE(pickFromMenu(*m_program, g.x + 140, g.y + 80, 6)); // "Usage..."
    const auto usage = otherWindow(*m_program, "Usage", m_window, 5s);
    ASSERT_TRUE(usage) << "no usage window\n" << m_program->output();
    screenshot(*usage, "usage-window-on-the-desktop.png");
    // Not modal: the strip stays on the screen and the menu opens again.
    EXPECT_TRUE(probe().viewable(m_window));
    EXPECT_TRUE(probe().viewable(*usage));
    // The history is the user's own file, readable by nobody else.
    const std::string history = home() + "/.local/share/Travimetra/usage.sqlite";
    struct stat info = {};
    ASSERT_EQ(::stat(history.c_str(), &info), 0) << history;
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(m_program->endWith(SIGTERM, 10s), std::optional<int>(0));
}

TEST_P(DesktopBehaviour, LatencyBarAndScaleLabelsAsTheDrawingRulesGiveThem)
{
    for (const int scale : {100, 150}) {
        // A grey background, so the bar's black frame and gaps show.
        ASSERT_TRUE(start([scale](StoreFile::Seed& seed) {
            seed.integer("", "BackColor", 0x404040).integer("", "ScaleSize", scale);
        }));
        // The bar below two full graph sets (y 340), 5 pixels down.
        const int left = scaled(8, scale), top = scaled(345, scale);
        const int height = scaled(12, scale);
        // It snaps its length to whole 2-pixel segments inside a 1-pixel frame.
        const int count = (scaled(241, scale) - 2 + 1) / 2;
        const int width = 2 + count * 2 - 1;
        XWindowProbe::Image image;
        ASSERT_TRUE(waitUntil(
            [&] {
                image = probe().image(m_window);
                // Drawn once the first segment shows its zone's colour.
                if (image.width <= left + 1 || image.height <= top + height)
                    return false;
                const std::uint32_t first = image.at(left + 1, top + height / 2);
                return first == 0x008000 || first == 0x00FF00;
            },
            5s))
            << "no latency bar at " << left << "," << top;
        for (int x = left; x < left + width; ++x) {
            EXPECT_EQ(image.at(x, top), 0u) << "top frame at " << x << " (" << scale << " %)";
            EXPECT_EQ(image.at(x, top + height - 1), 0u) << "bottom frame at " << x;
        }
        for (int y = top; y < top + height; ++y) {
            EXPECT_EQ(image.at(left, y), 0u) << "left frame at " << y;
            EXPECT_EQ(image.at(left + width - 1, y), 0u) << "right frame at " << y;
        }
        EXPECT_EQ(image.at(left + width, top + height / 2), 0x404040u)
            << "bar wider than " << width;
        // Segments from the left, zones 40 % and 35 % of the count by the
        // share rule: green, olive/yellow and maroon/red, dark or lit.
        const int z1 = share(40, count), z12 = z1 + share(35, count);
        const std::uint32_t zoneColours[3][2] = {
            {0x008000, 0x00FF00}, {0x808000, 0xFFFF00}, {0x800000, 0xFF0000}};
        int inZone[3] = {0, 0, 0};
        for (int k = 1; k <= count; ++k) {
            const int zone = k <= z1 ? 0 : (k <= z12 ? 1 : 2);
            const int x = left + 1 + 2 * (k - 1);
            for (int y = top + 1; y < top + height - 1; ++y) {
                const std::uint32_t c = image.at(x, y);
                ASSERT_TRUE(c == zoneColours[zone][0] || c == zoneColours[zone][1])
                    << "segment " << k << " at " << x << "," << y << " is " << std::hex << c;
                if (k < count) {
                    ASSERT_EQ(image.at(x + 1, y), 0u) << "gap after segment " << k;
                }
            }
            ++inZone[zone];
        }
        if (scale == 100) {
            EXPECT_EQ(inZone[0], 47);
            EXPECT_EQ(inZone[1], 42);
            EXPECT_EQ(inZone[2], 31);
        }

        // The first scale's labels: navy below the peak, blue at and above
        // it, on the background, and no shade in between.
        std::set<std::uint32_t> colours;
        for (int y = scaled(22, scale); y < scaled(150, scale); ++y)
            for (int x = 0; x < scaled(26, scale); ++x)
                colours.insert(image.at(x, y));
        EXPECT_EQ(colours, (std::set<std::uint32_t>{0x404040, 0x000080, 0x0000FF}))
            << scale << " %";
        screenshot(m_window, "latency-bar-" + std::to_string(scale) + ".png");
        EXPECT_EQ(m_program->endWith(SIGTERM, 10s), std::optional<int>(0));
    }
}

TEST_P(DesktopBehaviour, ATenGigabitSensorDrawsItsTrafficOnTheRowsOfItsOwnRange)
{
    // 10,000,000 kbit/s: a full scale of 1,280,000,000 bytes/s, past the
    // 999,999,999 a graph once refused.
    ASSERT_TRUE(start([](StoreFile::Seed& seed) { seed.integer("0", "DownSpeed", 10000000); }, 1));
    // The agent's own few hundred bytes/s are 0 % of that range: every
    // sample on row 133 of the scope (just below it), and where the history
    // ends the trace climbs back to the base line, row 133 - R(66.5) - 1 = 66.
    // Nothing of the download colour may lie above the base line; the
    // refused range (0 .. 100) put every sample on the top row instead.
    const int scopeLeft = 26, scopeTop = 16, base = 133 - 66 - 1;
    XWindowProbe::Image image;
    const auto downloadRows = [&](int from, int to) {
        int n = 0;
        for (int y = scopeTop + from; y < scopeTop + to; ++y)
            for (int x = scopeLeft; x < scopeLeft + 232; ++x)
                n += image.at(x, y) == 0x00FF00;
        return n;
    };
    // Where the history ends (one column left per sample, the newest at
    // the right edge), the download trace drops back to the base line; a few
    // samples in, the first ones measure real traffic (the first poll after
    // a start shows 0).
    const auto historyEnd = [&] {
        for (int x = scopeLeft + 232 - 1; x >= scopeLeft; --x)
            if (image.at(x, scopeTop + 100) == 0x00FF00)
                return x;
        return scopeLeft + 232;
    };
    ASSERT_TRUE(waitUntil(
        [&] {
            image = probe().image(m_window);
            return image.width > 0 && historyEnd() <= scopeLeft + 232 - 5;
        },
        15s))
        << "fewer than five samples drawn below the base line";
    EXPECT_GT(downloadRows(base + 1, 133), 10);
    EXPECT_EQ(downloadRows(0, base), 0) << "download samples above the base line";
    EXPECT_EQ(m_program->endWith(SIGTERM, 10s), std::optional<int>(0));
}

TEST_P(DesktopBehaviour, TheDeviceDialogIsDrawnBeforeItWaitsForASilentAgent)
{
    // An agent that takes every request and answers none: each read waits
    // out its time-out.
    const char* silent = "127.0.0.86";
    struct Socket
    {
        int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        ~Socket()
        {
            if (fd >= 0)
                ::close(fd);
        }
    } socket;
    const int agent = socket.fd;
    ASSERT_GE(agent, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(161);
    ::inet_pton(AF_INET, silent, &address.sin_addr);
    ASSERT_EQ(::bind(agent, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

    // The second sensor, inactive, lives on the silent agent.
    ASSERT_TRUE(start([&](StoreFile::Seed& seed) {
        seed.sensor(1, "Silent", silent, 2, 10000).boolean("1", "Active", false);
    }));
    const auto g = probe().geometry(m_window);
    ASSERT_TRUE(pickFromMenu(*m_program, g.x + 140, g.y + 80, 4));
    const auto options = otherWindow(*m_program, "Travimetra Options", m_window, 5s);
    ASSERT_TRUE(options);
    // The grid, its second row, past "Add" to "Edit".
    keys(*options, {"Tab", "Down", "Tab", "Tab", "space"});
    const auto device = otherWindow(*m_program, "Please wait...", m_window, 5s);
    ASSERT_TRUE(device) << "no device dialog waiting for the agent";
    // While it waits, the dialog shows its controls: mostly the window
    // colour of the style, hardly any of the black of an undrawn window.
    const auto drawn = [&] {
        const auto image = probe().image(*device);
        if (image.pixels.empty())
            return false;
        const auto black = std::count(image.pixels.begin(), image.pixels.end(), 0u);
        return black * 10 < static_cast<long>(image.pixels.size());
    };
    EXPECT_TRUE(waitUntil(drawn, 2s)) << "the device dialog is not drawn while it waits";
    EXPECT_EQ(probe().title(*device), "Please wait...") << "the wait was over before the check";
    screenshot(*device, "device-waiting.png");
    EXPECT_EQ(m_program->endWith(SIGTERM, 20s), std::optional<int>(0));
}
