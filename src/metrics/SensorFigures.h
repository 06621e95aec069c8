#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// How one poll of a sensor ended, as a reason a scraper can count. Valued in
// the order the names are written out.
enum class TPollOutcome : int
{
    Ok = 0,         // answered, every value a number
    PingFailed = 1, // the echo before the poll got no reply; nothing was read
    NoAnswer = 2,   // the agent did not answer the first read
    Refused = 3,    // the agent answered with a refusal (SNMPv3 report, no password)
    BadValue = 4,   // a value that is not a number
    Incomplete = 5, // answered the first read, then lost a value or the interface
};
constexpr int kPollOutcomes = 6;

// The name a reason is counted under ("ok", "ping_failed", ...).
const char* pollOutcomeName(TPollOutcome outcome);

// Who a sensor is to a scraper. Never the community or a password.
struct TSensorLabels
{
    int index = 0; // in the sensor list
    std::string name;
    std::string address;
    std::string interfaceName;
};

// What one applied poll of a sensor gave, in numbers.
struct TSensorFigures
{
    int index = 0;
    TPollOutcome outcome = TPollOutcome::NoAnswer;
    // The agent's own counters as read by this poll: the interface's in- and
    // out-octets (not swapped for display), present only after a good poll.
    std::optional<uint64_t> inOctets;
    std::optional<uint64_t> outOctets;
    int counterBits = 32;
    // Bytes per second as the window shows them (download, upload).
    double downRate = 0;
    double upRate = 0;
    // From the start of the poll to its last reply.
    std::optional<double> latencySeconds;
};

// The usage history's totals of a sensor's current billing period.
struct TPeriodOctets
{
    int index = 0;
    uint64_t down = 0;
    uint64_t up = 0;
};

// Where the figures of applied polls go. Called on the thread that applies
// the poll's results, never on a network thread.
class IPollFigures
{
public:
    virtual ~IPollFigures() = default;
    // The sensors polled from now on (after a start, the options or a
    // reload); figures of sensors no longer there are forgotten.
    virtual void sensorsChanged(std::vector<TSensorLabels> sensors) = 0;
    virtual void sensorPolled(const TSensorFigures& figures) = 0;
    virtual void periodTotals(std::vector<TPeriodOctets> totals) = 0;
};
