#include "HeadlessProcess.h"
#include "metrics/HttpProbe.h"
#include "usage/UsageCsv.h"

#include "PeerRequirement.h"
#include "SnmpdPeer.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <memory>
#include <sstream>
#include <unistd.h>

namespace {

// This suite's own loopback addresses.
constexpr const char* kAgent = "127.0.0.131";
constexpr const char* kMetrics = "127.0.0.132";
constexpr const char* kScraper = "127.0.0.133";
constexpr const char* kHostile = "127.0.0.134";
constexpr int kPort = 19743;

class HeadlessPeersTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        REQUIRE_PEER(!findExecutable("snmpd").empty() && geteuid() == 0,
                     "snmpd, and root for its port 161");
        m_agent = std::make_unique<SnmpdPeer>(kAgent);
        ASSERT_TRUE(m_agent->start()) << m_agent->error();
        const std::string walk = runCommand({"snmpwalk", "-v1", "-c", SnmpdPeer::community(), "-On",
                                             "-Oq", kAgent, "1.3.6.1.2.1.2.2.1.2"});
        std::istringstream lines(walk);
        std::string oid, descr;
        while (lines >> oid >> descr)
            if (descr == "lo" || descr == "\"lo\"")
                m_lo = std::stoi(oid.substr(oid.rfind('.') + 1));
        ASSERT_GT(m_lo, 0) << walk;
    }

    bool seed(int interval)
    {
        return m_program.store(interval, {kAgent}, m_lo, kMetrics, kPort).write(m_program.home());
    }

    std::string scrape() { return HttpProbe::body(HttpProbe::get(kScraper, kMetrics, kPort)); }

    // The sensor's good polls so far, as the endpoint counts them.
    double goodPolls()
    {
        return sampleValue(scrape(), "travimetra_polls_total{sensor=\"Agent 0\",address=\"" +
                                         std::string(kAgent) +
                                         "\",interface=\"lo\",index=\"0\","
                                         "outcome=\"ok\"}")
            .value_or(-1);
    }

    std::unique_ptr<SnmpdPeer> m_agent;
    int m_lo = 0;
    HeadlessProcess m_program;
};

std::string mappedLibraries(pid_t pid)
{
    std::ifstream maps("/proc/" + std::to_string(pid) + "/maps");
    std::stringstream text;
    text << maps.rdbuf();
    return text.str();
}

TEST_F(HeadlessPeersTest, PollsLogsCountsAndServesWithoutADisplay)
{
    ASSERT_TRUE(seed(1));
    ASSERT_TRUE(m_program.start());
    ASSERT_TRUE(waitUntil([&] { return goodPolls() >= 3; }, std::chrono::seconds(20)))
        << m_program.output() << scrape();

    // No windowing library in the process: not loaded, not needed.
    const std::string maps = mappedLibraries(m_program.pid());
    EXPECT_NE(maps.find("libQt6Core"), std::string::npos) << maps;
    EXPECT_EQ(maps.find("libQt6Widgets"), std::string::npos);
    EXPECT_EQ(maps.find("libQt6Gui"), std::string::npos);
    EXPECT_EQ(maps.find("libxcb"), std::string::npos);

    const std::string text = scrape();
    const std::string labels = "{sensor=\"Agent 0\",address=\"127.0.0.131\",interface=\"lo\","
                               "index=\"0\"";
    EXPECT_GT(sampleValue(text, "travimetra_interface_octets_total" + labels + ",direction=\"in\"}")
                  .value_or(0),
              0);
    EXPECT_EQ(sampleValue(text, "travimetra_poll_success" + labels + "}"), 1.0);
    EXPECT_GT(sampleValue(text, "travimetra_poll_latency_seconds" + labels + "}").value_or(-1), 0);
    EXPECT_EQ(text.find("vandor"), std::string::npos) << "the community is never shown";

    // The traffic log: one line per second for the sensor.
    ASSERT_TRUE(waitUntil(
        [&] { return m_program.home().size() && std::ifstream(m_program.logFile()).good(); },
        std::chrono::seconds(5)));

    // SIGTERM ends it within a second, with the usage written.
    const auto took = m_program.signalAndWait(SIGTERM, std::chrono::seconds(5));
    ASSERT_TRUE(took) << m_program.output();
    EXPECT_LT(*took, std::chrono::milliseconds(1000));

    std::ifstream log(m_program.logFile());
    std::string first;
    ASSERT_TRUE(std::getline(log, first)) << "no log line";
    EXPECT_NE(first.find("Agent 0"), std::string::npos) << first;

    int status = -1;
    const std::string usage =
        runCommand(m_program.command({"--usage", "--csv", "--sensor", "Agent 0"}), &status);
    EXPECT_EQ(status, 0) << usage;
    // The sensor's period with octets in both directions: the poll's own
    // datagrams crossed the loopback interface.
    const auto row = usageCsvRow(usage, "127.0.0.131#");
    ASSERT_TRUE(row) << usage;
    EXPECT_EQ(row->sensor, "Agent 0");
    EXPECT_GT(row->down, 0u) << usage;
    EXPECT_GT(row->up, 0u) << usage;
}

TEST_F(HeadlessPeersTest, SighupPicksUpAChangedInterval)
{
    ASSERT_TRUE(seed(5));
    ASSERT_TRUE(m_program.start());
    ASSERT_TRUE(waitUntil([&] { return goodPolls() >= 1; }, std::chrono::seconds(20)))
        << m_program.output();
    const double before = goodPolls();
    sleep(3);
    EXPECT_LE(goodPolls() - before, 1) << "five seconds apart";

    ASSERT_TRUE(seed(1));
    m_program.signal(SIGHUP);
    sleep(1);
    const double after = goodPolls();
    sleep(5);
    EXPECT_GE(goodPolls() - after, 3) << "a second apart after the reload\n" << m_program.output();
    EXPECT_TRUE(m_program.running());
}

TEST_F(HeadlessPeersTest, TheSecondOneStartedSaysWhichOneRuns)
{
    ASSERT_TRUE(seed(1));
    ASSERT_TRUE(m_program.start());
    ASSERT_TRUE(waitUntil([&] { return goodPolls() >= 1; }, std::chrono::seconds(20)));
    std::vector<std::string> second = {"/bin/sh", "-c", "exec \"$@\" 2>&1", "sh"};
    for (const std::string& arg : m_program.command({"--headless"}))
        second.push_back(arg);
    int status = -1;
    const std::string said = runCommand(second, &status);
    EXPECT_EQ(status, 1) << said;
    EXPECT_NE(said.find("Travimetra is already running !"), std::string::npos) << said;
    EXPECT_NE(said.find("the headless monitor (process " + std::to_string(m_program.pid()) + ")"),
              std::string::npos)
        << said;
    EXPECT_TRUE(m_program.running());
}

TEST_F(HeadlessPeersTest, HostileClientsNeitherStallThePollNorKeepScrapersOut)
{
    ASSERT_TRUE(seed(1));
    ASSERT_TRUE(m_program.start());
    ASSERT_TRUE(waitUntil([&] { return goodPolls() >= 1; }, std::chrono::seconds(20)));
    std::vector<int> held;
    for (int i = 0; i < 1000; ++i) {
        const int fd = HttpProbe::connectFrom(kHostile, kMetrics, kPort);
        if (fd >= 0) {
            HttpProbe::sendAll(fd, i % 2 ? "GET /metrics HTTP/1.1\r\nX: " : "\x16\x03\x01garbage");
            held.push_back(fd);
        }
    }
    HttpProbe::exchange(kHostile, kMetrics, kPort,
                        "GET /metrics HTTP/1.1\r\nX-Big: " + std::string(1 << 20, 'a') + "\r\n\r\n",
                        1000);
    const double before = goodPolls();
    ASSERT_GE(before, 1) << "a scraper from another address is still served";
    sleep(4);
    EXPECT_GE(goodPolls() - before, 3) << "the poll went on";
    for (const int fd : held)
        ::close(fd);
    EXPECT_TRUE(m_program.running());
}

TEST_F(HeadlessPeersTest, WhatTheWindowWouldShowInABoxIsToldOnceOnStandardError)
{
    // The port is taken: the figures cannot be served.
    // Not handed down to the program, or its copy would keep the port.
    const int taken = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int reuse = 1;
    ::setsockopt(taken, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(kPort);
    inet_pton(AF_INET, kMetrics, &address.sin_addr);
    ASSERT_EQ(::bind(taken, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(taken, 1), 0);
    ASSERT_TRUE(seed(1));
    ASSERT_TRUE(m_program.start());
    const std::string text = "travimetra: The metrics cannot be served on 127.0.0.132 port 19743: "
                             "the port is taken or the address is not one of this computer's.\n";
    ASSERT_TRUE(waitUntil([&] { return m_program.output().find(text) != std::string::npos; },
                          std::chrono::seconds(10)))
        << m_program.output();
    // Reloads meet the same taken port: still said once.
    m_program.signal(SIGHUP);
    m_program.signal(SIGHUP);
    sleep(1);
    const std::string said = m_program.output();
    EXPECT_EQ(said.find(text), said.rfind(text)) << said;
    ::close(taken);
    // Once the port is free, the next reload serves.
    m_program.signal(SIGHUP);
    EXPECT_TRUE(waitUntil([&] { return goodPolls() >= 1; }, std::chrono::seconds(10)))
        << m_program.output();
}

} // namespace
