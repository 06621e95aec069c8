// Pictures of the strip under openbox at real link speeds (1 Mbit/s to
// 10 Gbit/s) in each rate unit at 100 % and 200 %, against the agent. The
// labels themselves are checked where their texts can be read
// (tests/app/StripScalesTest.cpp); here they are drawn by the installed
// program on a real desktop.
#include "Desktop.h"
#include "Waiting.h"

#include <csignal>
#include <thread>

using namespace std::chrono_literals;

TEST_F(OnOpenbox, ScalesAtRealLinkSpeedsInEveryUnit)
{
    const int lo = startAgent();
    ASSERT_GT(lo, 0);
    const std::int32_t speeds[] = {1000, 100000, 1000000, 10000000};
    const char* units[] = {"kbytes", "mbits", "mbytes"};
    for (int unit = 0; unit < 3; ++unit) {
        for (const int scale : {100, 200}) {
            SCOPED_TRACE(std::string(units[unit]) + " at " + std::to_string(scale) + " %");
            StoreFile::Seed seed = returningUser(4, lo, scale);
            seed.integer("", "RateUnit", unit)
                .integer("", "Left", 1280 - 260 - 1)
                .integer("", "Top", 0);
            for (int i = 0; i < 4; ++i)
                seed.sensor(i, std::to_string(speeds[i] / 1000) + " Mbit/s", kAgentAddress, lo,
                            speeds[i]);
            ASSERT_TRUE(seed.write(home()));
            auto program = launch();
            const auto window = mainWindow(*program, 10s);
            ASSERT_TRUE(window) << program->output();
            // A few polls drawn.
            std::this_thread::sleep_for(2500ms);
            const auto g = probe().geometry(*window);
            EXPECT_GE(g.x, 0);
            EXPECT_GE(g.y, 0);
            EXPECT_LE(g.x + g.width, XSession::kWidth);
            EXPECT_LE(g.y + g.height, XSession::kHeight);
            screenshot(*window, std::string("openbox-scales-") + units[unit] + "-" +
                                    std::to_string(scale) + ".png");
            EXPECT_EQ(program->endWith(SIGTERM, 10s), std::optional<int>(0));
        }
    }
}
