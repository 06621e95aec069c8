#include "OpenMetricsText.h"

#include <charconv>
#include <cmath>

namespace OpenMetricsText {

namespace {

// Length of the UTF-8 sequence starting at `i`, or 0 when it is not one
// (overlong forms, surrogates and code points past U+10FFFF included).
std::size_t utf8Length(const std::string& text, std::size_t i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char first = byte(i);
    if (first < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (first >= 0xC2 && first <= 0xDF) {
        length = 2;
    } else if (first >= 0xE0 && first <= 0xEF) {
        length = 3;
        if (first == 0xE0)
            low = 0xA0;
        else if (first == 0xED)
            high = 0x9F;
    } else if (first >= 0xF0 && first <= 0xF4) {
        length = 4;
        if (first == 0xF0)
            low = 0x90;
        else if (first == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (i + length > text.size())
        return 0;
    if (byte(i + 1) < low || byte(i + 1) > high)
        return 0;
    for (std::size_t k = 2; k < length; ++k)
        if (byte(i + k) < 0x80 || byte(i + k) > 0xBF)
            return 0;
    return length;
}

struct Family
{
    const char* name;
    const char* type;
    const char* unit; // nullptr: none
    const char* help;
};

void header(std::string& out, const Family& family, TFormat format)
{
    const bool open = format == TFormat::OpenMetrics;
    // The older format names a counter's family after its samples.
    const std::string name =
        std::string(family.name) + (!open && std::string(family.type) == "counter" ? "_total" : "");
    out += "# TYPE ";
    out += name;
    out += ' ';
    out += family.type;
    out += '\n';
    if (open && family.unit) {
        out += "# UNIT ";
        out += family.name;
        out += ' ';
        out += family.unit;
        out += '\n';
    }
    out += "# HELP ";
    out += name;
    out += ' ';
    out += family.help;
    out += '\n';
}

std::string sensorLabels(const TSensorLabels& labels)
{
    return "sensor=\"" + labelValue(labels.name) + "\",address=\"" + labelValue(labels.address) +
           "\",interface=\"" + labelValue(labels.interfaceName) + "\",index=\"" +
           std::to_string(labels.index) + "\"";
}

void sample(std::string& out, const char* name, const char* suffix, const std::string& labels,
            const std::string& value)
{
    out += name;
    out += suffix;
    out += '{';
    out += labels;
    out += "} ";
    out += value;
    out += '\n';
}

const Family kOctets{"travimetra_interface_octets", "counter", "octets",
                     "The interface's octet counter as the agent keeps it (in: received by the "
                     "interface, out: sent), from the last good poll"};
const Family kRate{"travimetra_rate_bytes_per_second", "gauge", "bytes_per_second",
                   "The rate the last poll measured, as the window shows it"};
const Family kPolls{"travimetra_polls", "counter", nullptr,
                    "Polls of the sensor since the program started, by how they ended"};
const Family kLatency{"travimetra_poll_latency_seconds", "gauge", "seconds",
                      "Time from the start of the last poll to its last reply"};
const Family kSuccess{"travimetra_poll_success", "gauge", nullptr,
                      "1 when the last poll read every value, else 0"};
const Family kPeriod{"travimetra_usage_period_octets", "gauge", "octets",
                     "Octets of the current billing period in the usage history"};

} // namespace

std::string labelValue(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = utf8Length(text, i);
        if (length == 0) {
            out += "\xEF\xBF\xBD";
            ++i;
            continue;
        }
        if (length == 1) {
            const char c = text[i];
            if (c == '\\')
                out += "\\\\";
            else if (c == '"')
                out += "\\\"";
            else if (c == '\n')
                out += "\\n";
            else
                out += c;
        } else {
            out.append(text, i, length);
        }
        i += length;
    }
    return out;
}

std::string number(double value)
{
    if (std::isnan(value))
        return "NaN";
    if (std::isinf(value))
        return value > 0 ? "+Inf" : "-Inf";
    char buffer[64];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (error != std::errc())
        return "NaN";
    return std::string(buffer, end);
}

std::string number(uint64_t value)
{
    return std::to_string(value);
}

TFormat formatFor(const std::string& accept)
{
    return accept.find("application/openmetrics-text") != std::string::npos
               ? TFormat::OpenMetrics
               : TFormat::PrometheusText;
}

const char* contentType(TFormat format)
{
    return format == TFormat::OpenMetrics ? kContentType : kPrometheusContentType;
}

std::string render(const std::vector<TSensorMetrics>& sensors, TFormat format)
{
    std::string out;
    out.reserve(512 + sensors.size() * 1600);

    header(out, kOctets, format);
    for (const TSensorMetrics& s : sensors) {
        if (!s.inOctets || !s.outOctets)
            continue;
        const std::string labels = sensorLabels(s.labels);
        sample(out, kOctets.name, "_total", labels + ",direction=\"in\"", number(*s.inOctets));
        sample(out, kOctets.name, "_total", labels + ",direction=\"out\"", number(*s.outOctets));
    }

    header(out, kRate, format);
    for (const TSensorMetrics& s : sensors) {
        if (!s.last)
            continue;
        const std::string labels = sensorLabels(s.labels);
        sample(out, kRate.name, "", labels + ",direction=\"download\"", number(s.last->downRate));
        sample(out, kRate.name, "", labels + ",direction=\"upload\"", number(s.last->upRate));
    }

    header(out, kPolls, format);
    for (const TSensorMetrics& s : sensors) {
        const std::string labels = sensorLabels(s.labels);
        for (int n = 0; n < kPollOutcomes; ++n)
            sample(out, kPolls.name, "_total",
                   labels + ",outcome=\"" + pollOutcomeName(static_cast<TPollOutcome>(n)) + "\"",
                   number(s.outcomes[std::size_t(n)]));
    }

    header(out, kLatency, format);
    for (const TSensorMetrics& s : sensors)
        if (s.last && s.last->latencySeconds)
            sample(out, kLatency.name, "", sensorLabels(s.labels), number(*s.last->latencySeconds));

    header(out, kSuccess, format);
    for (const TSensorMetrics& s : sensors)
        if (s.last)
            sample(out, kSuccess.name, "", sensorLabels(s.labels),
                   s.last->outcome == TPollOutcome::Ok ? "1" : "0");

    header(out, kPeriod, format);
    for (const TSensorMetrics& s : sensors) {
        if (!s.period)
            continue;
        const std::string labels = sensorLabels(s.labels);
        sample(out, kPeriod.name, "", labels + ",direction=\"download\"", number(s.period->down));
        sample(out, kPeriod.name, "", labels + ",direction=\"upload\"", number(s.period->up));
    }

    if (format == TFormat::OpenMetrics)
        out += "# EOF\n";
    return out;
}

} // namespace OpenMetricsText
