#include "HttpProbe.h"
#include "MetricsEndpoint.h"
#include "MetricsServer.h"
#include "OpenMetricsText.h"

#include "ChildProcess.h"
#include "PeerRequirement.h"
#include "TempDirectory.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <thread>
#include <vector>

namespace {

// This suite's own loopback addresses.
constexpr const char* kServer = "127.0.0.121";
constexpr const char* kScraper = "127.0.0.122";
constexpr const char* kHostile = "127.0.0.123";
// What Prometheus 2.42 sends.
constexpr const char* kPrometheusAccept =
    "application/openmetrics-text;version=1.0.0,application/openmetrics-text;version=0.0.1;q=0.75,"
    "text/plain;version=0.0.4;q=0.5,*/*;q=0.1";

class MetricsServerPeersTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_board.sensorsChanged({{0, "Router \"one\"", "127.0.0.1", "lo"}});
        TSensorFigures f;
        f.index = 0;
        f.outcome = TPollOutcome::Ok;
        f.inOctets = 1000;
        f.outOctets = 2000;
        f.downRate = 12.5;
        f.latencySeconds = 0.002;
        m_board.sensorPolled(f);
        ASSERT_EQ(m_server.start(kServer, 0), MetricsServer::TStart::Started);
        m_port = m_server.port();
        ASSERT_NE(m_port, 0);
    }

    bool scrapeWorks(int limitMs = 2000)
    {
        const std::string answer = HttpProbe::exchange(
            kScraper, kServer, m_port,
            "GET /metrics HTTP/1.1\r\nHost: x\r\nAccept: " + std::string(kPrometheusAccept) +
                "\r\nConnection: close\r\n\r\n",
            limitMs);
        return answer.rfind("HTTP/1.1 200", 0) == 0 &&
               HttpProbe::body(answer).find("# EOF\n") != std::string::npos;
    }

    MetricsBoard m_board;
    MetricsServer m_server{[this](OpenMetricsText::TFormat format) {
        return OpenMetricsText::render(m_board.snapshot(), format);
    }};
    int m_port = 0;
};

TEST_F(MetricsServerPeersTest, ServesOpenMetricsToWhoAsksForIt)
{
    const std::string answer = HttpProbe::exchange(
        kScraper, kServer, m_port,
        "GET /metrics HTTP/1.1\r\nHost: x\r\nAccept: " + std::string(kPrometheusAccept) +
            "\r\nConnection: close\r\n\r\n");
    EXPECT_EQ(answer.rfind("HTTP/1.1 200", 0), 0u) << answer;
    EXPECT_NE(answer.find("Content-Type: application/openmetrics-text; version=1.0.0; "
                          "charset=utf-8"),
              std::string::npos)
        << answer;
    EXPECT_EQ(HttpProbe::body(answer), OpenMetricsText::render(m_board.snapshot()));
}

TEST_F(MetricsServerPeersTest, ServesTheOlderTextFormatToOtherClients)
{
    const std::string answer = HttpProbe::get(kScraper, kServer, m_port);
    EXPECT_EQ(answer.rfind("HTTP/1.1 200", 0), 0u) << answer;
    EXPECT_NE(answer.find("Content-Type: text/plain; version=0.0.4; charset=utf-8"),
              std::string::npos)
        << answer;
    EXPECT_EQ(
        HttpProbe::body(answer),
        OpenMetricsText::render(m_board.snapshot(), OpenMetricsText::TFormat::PrometheusText));
}

struct RequestCase
{
    const char* what;
    std::string request;
    const char* status;
};

TEST_F(MetricsServerPeersTest, OtherRequestsAreRefusedWithAStatus)
{
    const RequestCase cases[] = {
        {"other path", "GET / HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n", "404"},
        {"path prefix", "GET /metricsx HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n", "404"},
        {"POST", "POST /metrics HTTP/1.1\r\nHost: x\r\nContent-Length: 3\r\n\r\nabc", "405"},
        {"no Host", "GET /metrics HTTP/1.1\r\n\r\n", "400"},
        {"garbage line", "\x16\x03\x01\x02\x00\x01\x00\x01\xfc\x03\x03\r\n\r\n", "400"},
        {"huge header",
         "GET /metrics HTTP/1.1\r\nHost: x\r\nX-Big: " +
             std::string(MetricsServer::kRequestMemory * 4, 'a') + "\r\n\r\n",
         "431"},
    };
    for (const RequestCase& c : cases) {
        const std::string answer = HttpProbe::exchange(kHostile, kServer, m_port, c.request);
        // Some refusals may end with the connection closed unanswered; none
        // may be answered with the figures.
        EXPECT_EQ(answer.find("# EOF"), std::string::npos) << c.what;
        if (!answer.empty()) {
            EXPECT_NE(answer.substr(0, 16).find(c.status), std::string::npos)
                << c.what << ": " << answer.substr(0, 80);
        }
        EXPECT_TRUE(scrapeWorks()) << "after " << c.what;
    }
}

TEST_F(MetricsServerPeersTest, AThousandIdleConnectionsDoNotKeepAScraperOut)
{
    std::vector<int> held;
    for (int i = 0; i < 1000; ++i) {
        const int fd = HttpProbe::connectFrom(kHostile, kServer, m_port);
        if (fd >= 0) {
            HttpProbe::sendAll(fd, "GET /metrics HTTP/1.1\r\n"); // never finished
            held.push_back(fd);
        }
    }
    EXPECT_GT(held.size(), 0u);
    const auto begun = std::chrono::steady_clock::now();
    EXPECT_TRUE(scrapeWorks(3000));
    EXPECT_LT(std::chrono::steady_clock::now() - begun, std::chrono::seconds(3));
    for (const int fd : held)
        ::close(fd);
}

TEST_F(MetricsServerPeersTest, ASlowClientIsClosedAfterTheIdleTime)
{
    const int fd = HttpProbe::connectFrom(kHostile, kServer, m_port);
    ASSERT_GE(fd, 0);
    HttpProbe::sendAll(fd, "GET /metr");
    // Served meanwhile.
    EXPECT_TRUE(scrapeWorks());
    const auto begun = std::chrono::steady_clock::now();
    const std::string rest = HttpProbe::readToEnd(fd, int(MetricsServer::kIdleSeconds + 5) * 1000);
    const auto waited = std::chrono::steady_clock::now() - begun;
    EXPECT_EQ(rest.find("# EOF"), std::string::npos);
    EXPECT_LT(waited, std::chrono::seconds(MetricsServer::kIdleSeconds + 4));
    ::close(fd);
}

TEST_F(MetricsServerPeersTest, ManyScrapesAtOnceAreEachServedWhole)
{
    std::atomic<int> whole{0};
    std::vector<std::thread> scrapers;
    for (int i = 0; i < 8; ++i)
        scrapers.emplace_back([&] {
            for (int n = 0; n < 20; ++n)
                if (scrapeWorks())
                    ++whole;
        });
    for (std::thread& t : scrapers)
        t.join();
    EXPECT_EQ(whole.load(), 160);
}

TEST_F(MetricsServerPeersTest, PromtoolAcceptsTheText)
{
    const std::string promtool = findExecutable("promtool");
    REQUIRE_PEER(!promtool.empty(), "promtool (Debian package prometheus)");
    // Every family filled, labels with every character that needs escaping.
    m_board.sensorsChanged({{0, "Router \"one\"", "127.0.0.1", "lo"},
                            {1, "back\\slash\nnew line \xE9", "::1", "eth0"}});
    TSensorFigures f;
    f.index = 1;
    f.outcome = TPollOutcome::NoAnswer;
    f.latencySeconds = 5.0;
    m_board.sensorPolled(f);
    m_board.periodTotals({{0, 10, 20}, {1, 0, 0}});
    TempDirectory dir;
    const std::string answer = HttpProbe::get(kScraper, kServer, m_port);
    ASSERT_TRUE(dir.write("metrics.txt", HttpProbe::body(answer)));
    int status = -1;
    const std::string output = runCommand(
        {"/bin/sh", "-c", promtool + " check metrics < " + dir.file("metrics.txt") + " 2>&1"},
        &status);
    EXPECT_EQ(status, 0) << output << "\n" << HttpProbe::body(answer);
    EXPECT_NE(HttpProbe::body(answer).find("travimetra_polls_total{"), std::string::npos);
}

TEST(MetricsServerTest, AnAddressThatIsNoNumberIsRefusedByName)
{
    MetricsServer server([](OpenMetricsText::TFormat) { return std::string(); });
    EXPECT_EQ(server.start("localhost", 0), MetricsServer::TStart::BadAddress);
    EXPECT_EQ(server.start("127.0.0.300", 0), MetricsServer::TStart::BadAddress);
    EXPECT_FALSE(server.running());
    EXPECT_EQ(MetricsServer::startText(MetricsServer::TStart::BadAddress, "localhost", 9741),
              "The metrics address \"localhost\" is not a numeric IPv4 or IPv6 address; the "
              "metrics are not served.");
}

// The HTTP library is opened at the first start; where it is missing the
// user reads which file to install, and nothing is served.
TEST(MetricsServerTest, AMissingLibraryIsToldByItsFileName)
{
    const std::string text =
        MetricsServer::startText(MetricsServer::TStart::NoLibrary, "127.0.0.1", 9741);
    EXPECT_EQ(text.rfind("The metrics cannot be served: the library libmicrohttpd.so.", 0), 0u)
        << text;
    EXPECT_EQ(text.substr(text.size() - 18), " is not installed.") << text;
}

TEST(MetricsEndpointTest, ATakenPortIsToldAndTriedAgainAtTheNextApply)
{
    MetricsEndpoint first;
    first.settings().Enabled = true;
    first.settings().Address = kServer;
    first.settings().Port = 19741;
    EXPECT_TRUE(first.apply().empty());
    MetricsEndpoint second;
    second.settings() = first.settings();
    const auto told = second.apply();
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find("port 19741"), std::string::npos) << told[0];
    first.settings().Enabled = false;
    EXPECT_TRUE(first.apply().empty());
    EXPECT_FALSE(first.server().running());
    EXPECT_TRUE(second.apply().empty());
    EXPECT_TRUE(second.server().running());
}

TEST(MetricsEndpointTest, ServingBeyondThisComputerIsToldWhoCanRead)
{
    MetricsEndpoint endpoint;
    endpoint.settings().Enabled = true;
    endpoint.settings().Address = "0.0.0.0";
    endpoint.settings().Port = 19742;
    const auto told = endpoint.apply();
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find(MetricsAddress::kOpenNetworkWarning), std::string::npos);
}

} // namespace
