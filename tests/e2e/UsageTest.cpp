// The usage history of the installed program against a real agent: what an
// SNMPv2c sensor recorded while a stream of known rate ran on the loopback
// interface is what `travimetra --usage --csv` reports afterwards.
#include "E2EFixture.h"
#include "LoopbackTraffic.h"
#include "usage/UsageCsv.h"

#include <csignal>
#include <cstdio>
#include <sstream>
#include <thread>

using namespace std::chrono_literals;

namespace {

// The report command as the user runs it, in the same home; its output.
std::string usageReport(const std::string& home)
{
    const std::string command = "env -i HOME=" + home + " XDG_RUNTIME_DIR=" + home +
                                "/.runtime LANG=C.UTF-8 " + TravimetraProcess::executable() +
                                " --usage --csv 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    std::string output;
    char buffer[512];
    while (pipe && fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    if (pipe)
        pclose(pipe);
    return output;
}

} // namespace

TEST_F(E2EFixture, UsageOfAnSnmpV2cSensorIsTheAgentsCounterGrowth)
{
    const int lo = startAgent();
    ASSERT_GT(lo, 0);
    auto seed = returningUser(1, lo);
    seed.integer("0", "SnmpVersion", 1).boolean("", "LatencySensor", false);
    ASSERT_TRUE(seed.write(home()));

    constexpr double kRate = 1'250'000; // octets per second on lo
    LoopbackTraffic traffic(kTrafficFrom, kTrafficTo, 9163);
    ASSERT_TRUE(traffic.start([](double) { return kRate; }, 60s));
    auto program = launch();
    ASSERT_TRUE(mainWindow(*program, 10s)) << program->output();
    const long long before = LoopbackTraffic::loopbackOctets();
    std::this_thread::sleep_for(40s);
    const long long after = LoopbackTraffic::loopbackOctets();
    // The exit writes what the last minute gathered.
    EXPECT_EQ(program->endWith(SIGTERM, 10s), std::optional<int>(0));
    traffic.stop();

    const std::string report = usageReport(home());
    std::optional<std::pair<double, double>> octets;
    if (const auto row = usageCsvRow(report, "#v2c"))
        octets = {double(row->down), double(row->up)};
    ASSERT_TRUE(octets) << report;
    // The agent refreshes its counters every 3 s and the first poll is the
    // baseline: the total is the growth the program saw, within a few
    // seconds of the 40 s measured here.
    const double grown = double(after - before);
    EXPECT_NEAR(octets->first, grown, grown * 0.15) << report;
    EXPECT_NEAR(octets->second, grown, grown * 0.15) << report;
    std::printf("usage report: down %.0f up %.0f octets; the interface grew by %.0f\n",
                octets->first, octets->second, grown);
}
