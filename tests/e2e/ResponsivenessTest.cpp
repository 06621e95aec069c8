// The window while every agent is silent: ten sensors whose reads each wait
// five seconds must not keep the popup menu from opening at once.
#include "E2EFixture.h"
#include "ScriptedAgent.h"
#include "Waiting.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <set>

using namespace std::chrono_literals;

TEST_F(E2EFixture, TheMenuOpensAtOnceWhileEveryAgentIsSilent)
{
    // An agent that takes every request and answers none, where the store's
    // sensors look for theirs.
    ScriptedAgent silent(kAgentAddress);
    REQUIRE_PEER(silent.start([](const ScriptedAgent::Request&) {
        return std::vector<ScriptedAgent::Datagram>{};
    }),
                 silent.error());
    ASSERT_TRUE(returningUser(10, 1).write(home()));
    auto program = launch();
    const auto window = mainWindow(*program, 10s);
    ASSERT_TRUE(window) << program->output();
    // Every sensor's reachability read is out and waiting.
    ASSERT_TRUE(waitUntil([&] { return silent.requests().size() >= 10; }, 10s));

    std::set<XWindowProbe::Window> before;
    for (const XWindowProbe::Window w : probe().windowsOf(program->pid()))
        if (probe().viewable(w))
            before.insert(w);
    const auto g = probe().geometry(*window);
    const auto start = std::chrono::steady_clock::now();
    click(g.x + 140, g.y + 80, 3);
    // Well inside one read's time-out: a window that waited for its reads
    // would open the menu only after them.
    const bool opened = waitUntil(
        [&] {
            for (const XWindowProbe::Window w : probe().windowsOf(program->pid()))
                if (!before.count(w) && probe().viewable(w) && probe().overrideRedirect(w))
                    return true;
            return false;
        },
        3s);
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    std::printf("[ figures  ] menu open %lld ms after the right click, 10 agents silent\n",
                static_cast<long long>(took.count()));
    EXPECT_TRUE(opened);
    x().run({"xdotool", "key", "Escape"});
    EXPECT_EQ(program->endWith(SIGTERM, 10s), std::optional<int>(0));
}
