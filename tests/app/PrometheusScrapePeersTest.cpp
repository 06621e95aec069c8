#include "HeadlessProcess.h"
#include "metrics/HttpProbe.h"

#include "BerTag.h"
#include "ChildProcess.h"
#include "PeerRequirement.h"
#include "ScriptedAgent.h"
#include "TSNMPRec.h"
#include "TempDirectory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <thread>

namespace {

// This suite's own loopback addresses.
constexpr const char* kAgent = "127.0.0.141";
constexpr const char* kMetrics = "127.0.0.142";
constexpr const char* kPrometheus = "127.0.0.143";
constexpr const char* kClient = "127.0.0.144";
constexpr int kMetricsPort = 19744;
constexpr int kPrometheusPort = 19090;

// An agent whose interface 1 receives exactly kRate octets per second: each
// answer is computed from the clock when the request comes in, uptime
// included, so the agent's own counter rate is known to the octet.
constexpr double kRate = 1250000; // 10 Mbit/s

class SteadyAgent
{
public:
    bool start()
    {
        m_begun = std::chrono::steady_clock::now();
        return m_agent.start([this](const ScriptedAgent::Request& request) {
            std::vector<ScriptedAgent::Datagram> replies;
            TSNMPRec decoded;
            if (!decoded.Decode(request.bytes) || decoded.VarBindCount() == 0)
                return replies;
            const std::string oid = decoded.VarBind(0).Oid;
            const double seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - m_begun).count();
            AgentReply::Binding binding{oid, BerTag::Counter32, {}};
            if (oid == "1.3.6.1.2.1.1.3.0") {
                binding.type = BerTag::TimeTicks;
                binding.content = AgentReply::unsigned32(uint32_t(100000 + seconds * 100));
            } else if (oid == "1.3.6.1.2.1.2.2.1.10.1") {
                binding.content = AgentReply::unsigned32(uint32_t(uint64_t(seconds * kRate)));
            } else if (oid == "1.3.6.1.2.1.2.2.1.16.1") {
                binding.content = AgentReply::unsigned32(uint32_t(uint64_t(seconds * kRate / 4)));
            } else {
                return replies;
            }
            replies.push_back(
                {AgentReply::response(AgentReply::requestId(request.bytes), {binding}), false, 0});
            return replies;
        });
    }
    const std::string& error() const { return m_agent.error(); }

private:
    ScriptedAgent m_agent{kAgent};
    std::chrono::steady_clock::time_point m_begun;
};

std::string urlEncoded(const std::string& text)
{
    std::string out;
    for (const unsigned char c : text) {
        if (std::isalnum(c) || c == '_' || c == '.' || c == '-') {
            out += char(c);
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            out += hex;
        }
    }
    return out;
}

// The single value of an instant query's answer, if there is exactly one.
std::optional<double> instantValue(const std::string& json)
{
    const auto at = json.find("\"value\":[");
    if (at == std::string::npos || json.find("\"value\":[", at + 1) != std::string::npos)
        return std::nullopt;
    const auto open = json.find('"', json.find(',', at));
    const auto close = json.find('"', open + 1);
    if (open == std::string::npos || close == std::string::npos)
        return std::nullopt;
    try {
        return std::stod(json.substr(open + 1, close - open - 1));
    } catch (...) {
        return std::nullopt;
    }
}

TEST(PrometheusScrapePeersTest, PrometheusRateOfTheCounterIsTheAgentsRate)
{
    const std::string prometheus = findExecutable("prometheus");
    REQUIRE_PEER(!prometheus.empty(), "prometheus (Debian package prometheus)");
    SteadyAgent agent;
    ASSERT_TRUE(agent.start()) << agent.error();

    HeadlessProcess program;
    ASSERT_TRUE(program.store(1, {kAgent}, 1, kMetrics, kMetricsPort).write(program.home()));
    ASSERT_TRUE(program.start());

    TempDirectory dir;
    ASSERT_TRUE(dir.write("prometheus.yml", "global:\n"
                                            "  scrape_interval: 1s\n"
                                            "  scrape_timeout: 1s\n"
                                            "scrape_configs:\n"
                                            "  - job_name: travimetra\n"
                                            "    static_configs:\n"
                                            "      - targets: ['" +
                                                std::string(kMetrics) + ":" +
                                                std::to_string(kMetricsPort) + "']\n"));
    ChildProcess server;
    ASSERT_TRUE(server.start(
        {prometheus, "--config.file=" + dir.file("prometheus.yml"),
         "--storage.tsdb.path=" + dir.file("data"),
         "--web.listen-address=" + std::string(kPrometheus) + ":" + std::to_string(kPrometheusPort),
         "--log.level=warn"},
        dir.file("prometheus.log")));
    const auto query = [&](const std::string& promql) {
        return HttpProbe::body(HttpProbe::get(kClient, kPrometheus, kPrometheusPort,
                                              "/api/v1/query?query=" + urlEncoded(promql)));
    };
    ASSERT_TRUE(waitUntil(
        [&] {
            return HttpProbe::get(kClient, kPrometheus, kPrometheusPort, "/-/ready")
                       .rfind("HTTP/1.1 200", 0) == 0;
        },
        std::chrono::seconds(30)))
        << dir.read("prometheus.log");

    // Scraped as OpenMetrics, every scrape good.
    ASSERT_TRUE(
        waitUntil([&] { return instantValue(query("up")) == 1.0; }, std::chrono::seconds(20)))
        << query("up") << dir.read("prometheus.log") << program.output();

    // A window of 30 s wholly filled, then a few evaluations at different
    // moments; the middle one stands for them.
    std::this_thread::sleep_for(std::chrono::seconds(34));
    std::vector<double> rates;
    std::string last;
    for (int i = 0; i < 5; ++i) {
        last = query("rate(travimetra_interface_octets_total{direction=\"in\"}[30s])");
        if (const auto rate = instantValue(last))
            rates.push_back(*rate);
        std::this_thread::sleep_for(std::chrono::milliseconds(1300));
    }
    ASSERT_EQ(rates.size(), 5u) << last;
    std::sort(rates.begin(), rates.end());
    EXPECT_NEAR(rates[2], kRate, kRate * 0.02) << "all: " << rates[0] << " .. " << rates[4];
    const auto out =
        instantValue(query("rate(travimetra_interface_octets_total{direction=\"out\"}[30s])"));
    ASSERT_TRUE(out);
    EXPECT_NEAR(*out, kRate / 4, kRate / 4 * 0.02);
    // The poll's own rate says the same.
    const auto gauge = instantValue(
        query("avg_over_time(travimetra_rate_bytes_per_second{direction=\"download\"}[20s])"));
    ASSERT_TRUE(gauge);
    EXPECT_NEAR(*gauge, kRate, kRate * 0.02);
    server.stop();
}

} // namespace
