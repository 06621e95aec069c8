#pragma once

#include "SnmpV3User.h"
#include "SnmpValue.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// One SNMP get as a reader asks it: an agent, its community and the OIDs to
// read, all in one request.
struct TReadRequest
{
    std::string host;
    std::string community;
    std::vector<std::string> oids;
    int version = 0; // the message version field: 0 SNMPv1, 1 SNMPv2c, 3 SNMPv3
    SnmpV3User v3;   // SNMPv3 only: who asks and how; community is then unused
};

// What one request came to.
enum class ReadOutcome
{
    Answered,     // the agent answered; each value says what it holds
    Silent,       // no answer in time
    Refused,      // the agent answered with no values, and why (an SNMPv3 Report)
    OtherAddress, // another address answered in the agent's place, and was refused
};

// What came back: whether the agent answered and one typed value per OID
// asked (see SnmpValue: an exception, a number, or a text that is not one).
struct TReadReply
{
    bool answered = false;
    std::vector<SnmpValue> values;
    // Another address that answered in the agent's place (and was refused).
    std::string otherSender;
    // Why an agent that answered gave no values, in words for the user (an
    // SNMPv3 Report: wrong password, unknown user, ...); empty otherwise.
    std::string failure;
    // The agent said it started again since the last request (an SNMPv3
    // engine whose boots went up): its counters started again too.
    bool agentRestarted = false;
    // The SNMPv3 engine's boots the reply carried; -1 when not known.
    int64_t engineBoots = -1;

    ReadOutcome outcome() const
    {
        if (answered)
            return ReadOutcome::Answered;
        if (!failure.empty())
            return ReadOutcome::Refused;
        return otherSender.empty() ? ReadOutcome::Silent : ReadOutcome::OtherAddress;
    }
    // Value i when the agent answered and gave one.
    const SnmpValue* valueAt(std::size_t i) const
    {
        return answered && i < values.size() && values[i].present() ? &values[i] : nullptr;
    }
};

// The one way the program reads agents, of every version: the poll, the
// traffic log and their tests all read through it. Gets, a column walk, one
// echo round trip and the local millisecond tick count. The program reads the
// network; tests put scripted answers or a controlled clock behind it. Reads
// run on network threads, so an implementation must take calls from several
// threads at once.
class ISnmpReader
{
public:
    virtual ~ISnmpReader() = default;

    // One get request with every OID of the request as a binding.
    virtual TReadReply read(const TReadRequest& request) = 0;
    // Whether readTogether waits for its gets at once: only then is it worth
    // reading several sensors with one call.
    virtual bool readsTogether() const { return false; }
    // Several SNMPv2c gets on the calling thread; `ended(i, reply, sentTick,
    // endTick)` runs once for each request as it ends, with the tick counts
    // just before it went out and when its wait ended. One after the other
    // here; a reader that waits for them at once says so in readsTogether.
    using ReadEnded = std::function<void(std::size_t index, TReadReply reply, uint32_t sentTick,
                                         uint32_t endTick)>;
    virtual void readTogether(const std::vector<TReadRequest>& requests, const ReadEnded& ended)
    {
        for (std::size_t i = 0; i < requests.size(); ++i) {
            const uint32_t sent = tickCount();
            TReadReply reply = read(requests[i]);
            ended(i, std::move(reply), sent, tickCount());
        }
    }
    // The rows (OID text, value text) of one table column of an SNMPv2c or
    // SNMPv3 agent, read with GetBulk; false when the walk did not end
    // normally. The poll walks only ifDescr, whose values are names.
    virtual bool walk(const TReadRequest& column,
                      std::vector<std::pair<std::string, std::string>>& rows)
    {
        (void)column;
        rows.clear();
        return false;
    }
    // Round-trip time of one echo in milliseconds, or -1 on any failure.
    virtual int pingRoundTrip(const std::string& host) = 0;
    // Milliseconds since some fixed point, modulo 2^32.
    virtual uint32_t tickCount() = 0;
};
