#include "PingHelperProtocol.h"

#include "SocketErrors.h"

#include <arpa/inet.h>
#include <limits>
#include <netinet/in.h>
#include <vector>

namespace PingHelperProtocol {

namespace {

std::vector<std::string> splitSpaces(const std::string& line)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = line.find(' ', start);
        parts.push_back(line.substr(start, end == std::string::npos ? end : end - start));
        if (end == std::string::npos)
            return parts;
        start = end + 1;
    }
}

bool parseNumber(const std::string& text, unsigned long max, unsigned long& value)
{
    if (text.empty() || text.size() > 10 || (text.size() > 1 && text[0] == '0'))
        return false;
    unsigned long result = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
        result = result * 10 + static_cast<unsigned long>(c - '0');
    }
    if (result > max)
        return false;
    value = result;
    return true;
}

bool isNumericAddress(const std::string& text)
{
    unsigned char scratch[sizeof(in6_addr)];
    if (text.empty() || text.size() > 64)
        return false;
    return inet_pton(AF_INET, text.c_str(), scratch) == 1 ||
           inet_pton(AF_INET6, text.c_str(), scratch) == 1;
}

// The helper measures the round trip after its wait ends, so allow it a little past the time-out.
unsigned long maxRoundTrip(int timeoutMs)
{
    return static_cast<unsigned long>(timeoutMs < 0 ? 0 : timeoutMs) + 1000;
}

} // namespace

std::string format(const IcmpEchoOutcome& outcome)
{
    if (outcome.error == SockErr::TimedOut)
        return "timeout\n";
    if (outcome.error != 0)
        return "error " + std::to_string(outcome.error) + "\n";
    return "reply " + outcome.from + " " + std::to_string(outcome.type) + " " +
           std::to_string(outcome.code) + " " + std::to_string(outcome.roundTripMs) + "\n";
}

bool parse(const std::string& text, int timeoutMs, IcmpEchoOutcome& outcome)
{
    if (text.size() > kMaxOutput || text.empty() || text.back() != '\n')
        return false;
    const std::string line = text.substr(0, text.size() - 1);
    if (line.find_first_of("\n\r\t") != std::string::npos || line.find('\0') != std::string::npos)
        return false;
    const std::vector<std::string> parts = splitSpaces(line);
    IcmpEchoOutcome result;
    if (parts.size() == 1 && parts[0] == "timeout") {
        result.error = SockErr::TimedOut;
    } else if (parts.size() == 2 && parts[0] == "error") {
        unsigned long code = 0;
        if (!parseNumber(parts[1], std::numeric_limits<int>::max(), code) || code == 0)
            return false;
        result.error = static_cast<int>(code);
    } else if (parts.size() == 5 && parts[0] == "reply") {
        unsigned long type = 0, code = 0, ms = 0;
        if (!isNumericAddress(parts[1]) || !parseNumber(parts[2], 255, type) ||
            !parseNumber(parts[3], 255, code) ||
            !parseNumber(parts[4], maxRoundTrip(timeoutMs), ms))
            return false;
        result.from = parts[1];
        result.type = static_cast<std::uint8_t>(type);
        result.code = static_cast<std::uint8_t>(code);
        result.roundTripMs = static_cast<std::uint32_t>(ms);
    } else {
        return false;
    }
    outcome = result;
    return true;
}

} // namespace PingHelperProtocol
