#include "OpenMetricsText.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <sstream>

namespace {

struct LabelCase
{
    const char* what;
    std::string in;
    std::string out;
};

TEST(OpenMetricsTextTest, LabelValuesAreEscapedAndValidUtf8)
{
    const LabelCase cases[] = {
        {"plain", "Router", "Router"},
        {"empty", "", ""},
        {"backslash", "a\\b", "a\\\\b"},
        {"double quote", "say \"hi\"", "say \\\"hi\\\""},
        {"line feed", "one\ntwo", "one\\ntwo"},
        {"carriage return stays", "a\rb", "a\rb"},
        {"closing brace stays", "x}y", "x}y"},
        {"two-byte UTF-8", "caf\xC3\xA9", "caf\xC3\xA9"},
        {"four-byte UTF-8", "\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},
        {"lone continuation byte", "a\x80z", "a\xEF\xBF\xBDz"},
        {"Latin-1 byte", "caf\xE9", "caf\xEF\xBF\xBD"},
        {"overlong slash", "\xC0\xAF", "\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"surrogate", "\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"past U+10FFFF", "\xF4\x90\x80\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"cut at the end", "ok\xE2\x82", "ok\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"NUL byte kept", std::string("a\0b", 3), std::string("a\0b", 3)},
    };
    for (const LabelCase& c : cases)
        EXPECT_EQ(OpenMetricsText::labelValue(c.in), c.out) << c.what;
}

TEST(OpenMetricsTextTest, NumbersIgnoreTheLocaleAndReadBack)
{
    EXPECT_EQ(OpenMetricsText::number(0.0), "0");
    EXPECT_EQ(OpenMetricsText::number(1.5), "1.5");
    EXPECT_EQ(OpenMetricsText::number(-2.25), "-2.25");
    EXPECT_EQ(OpenMetricsText::number(102355.29), "102355.29");
    EXPECT_EQ(OpenMetricsText::number(std::numeric_limits<double>::quiet_NaN()), "NaN");
    EXPECT_EQ(OpenMetricsText::number(std::numeric_limits<double>::infinity()), "+Inf");
    EXPECT_EQ(OpenMetricsText::number(-std::numeric_limits<double>::infinity()), "-Inf");
    EXPECT_EQ(OpenMetricsText::number(uint64_t(0)), "0");
    EXPECT_EQ(OpenMetricsText::number(std::numeric_limits<uint64_t>::max()),
              "18446744073709551615");
    EXPECT_EQ(OpenMetricsText::number(uint64_t(4294967295u)), "4294967295");
}

TSensorMetrics routerSensor()
{
    TSensorMetrics s;
    s.labels = {2, "Home \"router\"", "192.0.2.1", "eth0\\wan"};
    s.outcomes[static_cast<std::size_t>(TPollOutcome::Ok)] = 41;
    s.outcomes[static_cast<std::size_t>(TPollOutcome::NoAnswer)] = 1;
    TSensorFigures last;
    last.index = 2;
    last.outcome = TPollOutcome::Ok;
    last.downRate = 1536.5;
    last.upRate = 0;
    last.latencySeconds = 0.0125;
    last.inOctets = 18000000000000000000ull;
    last.outOctets = 7;
    s.last = last;
    s.inOctets = last.inOctets;
    s.outOctets = last.outOctets;
    s.period = TPeriodOctets{2, 1000000, 2000};
    return s;
}

bool hasLine(const std::string& text, const std::string& line)
{
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);)
        if (l == line)
            return true;
    return false;
}

TEST(OpenMetricsTextTest, ASensorShowsEveryFigureUnderItsLabels)
{
    const std::string text = OpenMetricsText::render({routerSensor()});
    const std::string labels = "sensor=\"Home \\\"router\\\"\",address=\"192.0.2.1\","
                               "interface=\"eth0\\\\wan\",index=\"2\"";
    const char* expected[] = {
        "travimetra_interface_octets_total{%,direction=\"in\"} 18000000000000000000",
        "travimetra_interface_octets_total{%,direction=\"out\"} 7",
        "travimetra_rate_bytes_per_second{%,direction=\"download\"} 1536.5",
        "travimetra_rate_bytes_per_second{%,direction=\"upload\"} 0",
        "travimetra_polls_total{%,outcome=\"ok\"} 41",
        "travimetra_polls_total{%,outcome=\"ping_failed\"} 0",
        "travimetra_polls_total{%,outcome=\"no_answer\"} 1",
        "travimetra_polls_total{%,outcome=\"refused\"} 0",
        "travimetra_polls_total{%,outcome=\"bad_value\"} 0",
        "travimetra_polls_total{%,outcome=\"incomplete\"} 0",
        "travimetra_poll_latency_seconds{%} 0.0125",
        "travimetra_poll_success{%} 1",
        "travimetra_usage_period_octets{%,direction=\"download\"} 1000000",
        "travimetra_usage_period_octets{%,direction=\"upload\"} 2000",
        "# TYPE travimetra_interface_octets counter",
        "# UNIT travimetra_poll_latency_seconds seconds",
    };
    for (std::string line : expected) {
        if (const auto at = line.find('%'); at != std::string::npos)
            line.replace(at, 1, labels);
        EXPECT_TRUE(hasLine(text, line)) << line << "\n--- in ---\n" << text;
    }
    ASSERT_GE(text.size(), 6u);
    EXPECT_EQ(text.substr(text.size() - 6), "# EOF\n");
}

TEST(OpenMetricsTextTest, ASensorNotYetPolledShowsOnlyItsZeroCounts)
{
    TSensorMetrics s;
    s.labels = {0, "New", "127.0.0.1", "lo"};
    const std::string text = OpenMetricsText::render({s});
    EXPECT_EQ(text.find("travimetra_interface_octets_total{"), std::string::npos);
    EXPECT_EQ(text.find("travimetra_poll_success{"), std::string::npos);
    EXPECT_EQ(text.find("travimetra_poll_latency_seconds{"), std::string::npos);
    EXPECT_TRUE(hasLine(text, "travimetra_polls_total{sensor=\"New\",address=\"127.0.0.1\","
                              "interface=\"lo\",index=\"0\",outcome=\"ok\"} 0"));
}

TEST(OpenMetricsTextTest, AFailedLastPollKeepsTheLastGoodCounters)
{
    TSensorMetrics s = routerSensor();
    s.last->outcome = TPollOutcome::NoAnswer;
    s.last->inOctets.reset();
    s.last->outOctets.reset();
    const std::string text = OpenMetricsText::render({s});
    EXPECT_NE(text.find("direction=\"out\"} 7\n"), std::string::npos);
    EXPECT_NE(text.find("travimetra_poll_success{sensor=\"Home \\\"router\\\"\",address=\"192.0.2."
                        "1\",interface=\"eth0\\\\wan\",index=\"2\"} 0\n"),
              std::string::npos);
}

} // namespace

namespace {

TEST(OpenMetricsTextTest, TheOlderFormatNamesCounterFamiliesAfterTheirSamples)
{
    const std::string text =
        OpenMetricsText::render({routerSensor()}, OpenMetricsText::TFormat::PrometheusText);
    EXPECT_TRUE(hasLine(text, "# TYPE travimetra_interface_octets_total counter"));
    EXPECT_TRUE(hasLine(text, "# TYPE travimetra_polls_total counter"));
    EXPECT_TRUE(hasLine(text, "# TYPE travimetra_poll_latency_seconds gauge"));
    EXPECT_EQ(text.find("# UNIT"), std::string::npos);
    EXPECT_EQ(text.find("# EOF"), std::string::npos);
    EXPECT_TRUE(hasLine(text, "travimetra_poll_success{sensor=\"Home \\\"router\\\"\",address="
                              "\"192.0.2.1\",interface=\"eth0\\\\wan\",index=\"2\"} 1"));
}

TEST(OpenMetricsTextTest, OnlyAnAcceptOfOpenMetricsGetsIt)
{
    using F = OpenMetricsText::TFormat;
    EXPECT_EQ(OpenMetricsText::formatFor("application/openmetrics-text;version=1.0.0,"
                                         "text/plain;version=0.0.4;q=0.5"),
              F::OpenMetrics);
    EXPECT_EQ(OpenMetricsText::formatFor("*/*"), F::PrometheusText);
    EXPECT_EQ(OpenMetricsText::formatFor(""), F::PrometheusText);
    EXPECT_EQ(OpenMetricsText::formatFor("text/plain"), F::PrometheusText);
}

} // namespace
