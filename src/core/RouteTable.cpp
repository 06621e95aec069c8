#include "RouteTable.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr std::uint32_t RouteUp = 0x0001;
constexpr std::uint32_t RouteGateway = 0x0002;

std::vector<std::string_view> fields(std::string_view line)
{
    std::vector<std::string_view> out;
    std::size_t pos = 0;
    while (pos < line.size()) {
        while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) {
            ++pos;
        }
        const std::size_t start = pos;
        while (pos < line.size() && line[pos] != ' ' && line[pos] != '\t') {
            ++pos;
        }
        if (pos > start) {
            out.push_back(line.substr(start, pos - start));
        }
    }
    return out;
}

// One to eight hex digits, nothing else.
bool parseHex(std::string_view text, std::uint32_t& value)
{
    if (text.empty() || text.size() > 8) {
        return false;
    }
    std::uint32_t result = 0;
    for (const char c : text) {
        int digit = 0;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else if (c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else {
            return false;
        }
        result = (result << 4) | static_cast<std::uint32_t>(digit);
    }
    value = result;
    return true;
}

bool parseDecimal(std::string_view text, std::uint32_t& value)
{
    if (text.empty() || text.size() > 9) {
        return false;
    }
    std::uint32_t result = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        result = result * 10 + static_cast<std::uint32_t>(c - '0');
    }
    value = result;
    return true;
}

std::string dottedAddress(std::uint32_t kernelValue)
{
    unsigned char bytes[4];
    std::memcpy(bytes, &kernelValue, sizeof bytes);
    return std::to_string(bytes[0]) + "." + std::to_string(bytes[1]) + "." +
           std::to_string(bytes[2]) + "." + std::to_string(bytes[3]);
}

} // namespace

std::optional<DefaultGateway> parseDefaultGateway(std::string_view table)
{
    // Iface Destination Gateway Flags RefCnt Use Metric Mask MTU Window IRTT
    enum
    {
        Iface,
        Destination,
        Gateway,
        Flags,
        RefCnt,
        Use,
        Metric,
        Mask,
        FieldCount
    };
    std::optional<DefaultGateway> best;
    std::uint32_t bestMetric = 0;
    while (!table.empty()) {
        const std::size_t end = table.find('\n');
        const std::string_view line = table.substr(0, end);
        table = end == std::string_view::npos ? std::string_view() : table.substr(end + 1);

        const std::vector<std::string_view> f = fields(line);
        std::uint32_t destination = 0;
        std::uint32_t gateway = 0;
        std::uint32_t flags = 0;
        std::uint32_t metric = 0;
        std::uint32_t mask = 0;
        if (f.size() < FieldCount || !parseHex(f[Destination], destination) ||
            !parseHex(f[Gateway], gateway) || !parseHex(f[Flags], flags) ||
            !parseDecimal(f[Metric], metric) || !parseHex(f[Mask], mask)) {
            continue;
        }
        if (destination != 0 || mask != 0 || gateway == 0 ||
            (flags & (RouteUp | RouteGateway)) != (RouteUp | RouteGateway)) {
            continue;
        }
        if (!best || metric < bestMetric) {
            best = DefaultGateway{dottedAddress(gateway), std::string(f[Iface])};
            bestMetric = metric;
        }
    }
    return best;
}
