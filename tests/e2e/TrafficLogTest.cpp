// The traffic log of the installed program against a real agent: a stream of
// known rate on the loopback interface shows up in the log lines.
#include "E2EFixture.h"
#include "LoopbackTraffic.h"
#include "Waiting.h"

#include <csignal>
#include <fstream>
#include <sstream>

using namespace std::chrono_literals;

namespace {

std::vector<std::vector<std::string>> logLines(const std::string& file)
{
    std::vector<std::vector<std::string>> lines;
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::vector<std::string> fields;
        std::stringstream s(line);
        std::string field;
        while (std::getline(s, field, ';'))
            fields.push_back(field);
        lines.push_back(fields);
    }
    return lines;
}

} // namespace

TEST_F(E2EFixture, LoggedRatesMatchAKnownLoopbackStream)
{
    const int lo = startAgent();
    ASSERT_GT(lo, 0);
    const std::string logFile = home() + "/Travimetra.log";
    auto seed = returningUser(1, lo);
    // snmpd refreshes its interface table on its own every 3 s, so a
    // counter read is up to 3 s old. A log period that is a multiple of 3 s
    // keeps that age the same at both ends of every window, and the rate
    // exact; only the first tick, delayed by the program's start-up, is off
    // by about 0.3 s: 5 % of a 6 s window, under 3 % of this 12 s one. The
    // display polls once, at the start, so it never refreshes the table
    // between two log ticks.
    seed.integer("", "Interval", 600)
        .boolean("", "EnableLog", true)
        .integer("", "LogType", 1)
        .integer("", "LogTime", 12)
        .integer("", "LogSecMinType", 0)
        .boolean("", "LatencySensor", false);
    ASSERT_TRUE(seed.write(home()));

    constexpr double kRate = 1'000'000; // octets per second on lo
    LoopbackTraffic traffic(kTrafficFrom, kTrafficTo, 9162);
    ASSERT_TRUE(traffic.start([](double) { return kRate; }, 70s));
    const long long octetsBefore = LoopbackTraffic::loopbackOctets();
    const auto begin = std::chrono::steady_clock::now();
    auto program = launch();
    ASSERT_TRUE(mainWindow(*program, 10s)) << program->output();

    // The first line of a run is 0 (no previous reading); then three windows.
    std::vector<std::vector<std::string>> lines;
    ASSERT_TRUE(waitUntil(
        [&] {
            lines = logLines(logFile);
            return lines.size() >= 4;
        },
        60s))
        << lines.size() << " lines\n"
        << program->output();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    const double measured = (LoopbackTraffic::loopbackOctets() - octetsBefore) / seconds;
    traffic.stop();
    EXPECT_EQ(program->endWith(SIGTERM, 10s), std::optional<int>(0));

    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto& f = lines[i];
        ASSERT_EQ(f.size(), 7u) << "line " << i;
        EXPECT_EQ(f[1], "Loopback 1");
        EXPECT_EQ(f[2], kAgentAddress);
        if (i == 0)
            continue;
        const double down = std::stod(f[3]);
        const double up = std::stod(f[5]);
        // On the loopback interface every octet sent is also received.
        EXPECT_NEAR(down, kRate, kRate * 0.05) << "line " << i;
        EXPECT_NEAR(up, kRate, kRate * 0.05) << "line " << i;
        // The kilobyte field is the same rate, to one decimal.
        EXPECT_NEAR(std::stod(f[4]), down / 1024, 0.051) << "line " << i;
        std::printf("window %zu: down %.0f up %.0f octets/s (%.2f %% / %.2f %% off %.0f)\n", i,
                    down, up, 100 * (down - kRate) / kRate, 100 * (up - kRate) / kRate, kRate);
    }
    std::printf("loopback interface over the test: %.0f octets/s\n", measured);
}
