#pragma once

#include "MetricsBoard.h"

#include <string>
#include <vector>

// The figures in the OpenMetrics text format (what Prometheus asks for),
// ending with "# EOF", or in the older Prometheus text format for a client
// that does not ask for OpenMetrics (curl, promtool, older scrapers). Numbers
// are written without the C library's locale, label values as valid UTF-8
// with backslash, double quote and line feed escaped.
namespace OpenMetricsText {

enum class TFormat
{
    OpenMetrics,    // 1.0.0
    PrometheusText, // 0.0.4: a counter's family is named with its "_total"; no units, no EOF
};

constexpr const char* kContentType = "application/openmetrics-text; version=1.0.0; charset=utf-8";
constexpr const char* kPrometheusContentType = "text/plain; version=0.0.4; charset=utf-8";

std::string render(const std::vector<TSensorMetrics>& sensors,
                   TFormat format = TFormat::OpenMetrics);

// The format a request's Accept header asks for.
TFormat formatFor(const std::string& accept);
const char* contentType(TFormat format);

// A label value as the format wants it between its double quotes: bytes
// that are not UTF-8 become U+FFFD, then \ " and LF are escaped.
std::string labelValue(const std::string& text);

// A sample value: integers exactly, others in the shortest form that reads
// back the same; NaN, +Inf and -Inf by those names.
std::string number(double value);
std::string number(uint64_t value);

} // namespace OpenMetricsText
