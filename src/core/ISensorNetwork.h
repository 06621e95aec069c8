#pragma once

#include "SnmpV3User.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// One SNMP get as the poll asks it: an agent, its community and the OIDs to
// read, all in one request.
struct TReadRequest
{
    std::string host;
    std::string community;
    std::vector<std::string> oids;
    int version = 0; // the message version field: 0 SNMPv1, 1 SNMPv2c, 3 SNMPv3
    SnmpV3User v3;   // SNMPv3 only: who asks and how; community is then unused
};

// What came back: whether the agent answered and one text per OID asked.
struct TReadReply
{
    bool answered = false;
    std::vector<std::string> values;
    // Per OID: the agent gave a value (an SNMPv2c exception or a missing
    // binding is none). Empty when the network does not tell them apart.
    std::vector<bool> present;
    // Per OID: the value's type tag, where the network knows it (SNMPv2c and
    // SNMPv3); empty otherwise. A counter is read only from a counter type.
    std::vector<int> types;
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
};

// Everything a poll asks of the outside world: SNMP gets, one echo round
// trip and the local millisecond tick count. The program reads the network;
// tests put scripted answers or a controlled clock behind it. Polls run on
// network threads, so an implementation must take calls from several
// threads at once.
class ISensorNetwork
{
public:
    virtual ~ISensorNetwork() = default;

    // An SNMP get of `oid`: true when the agent answered, `value` then holds
    // the value as text; false with `value` empty on any failure.
    virtual bool readValue(const std::string& oid, const std::string& community,
                           const std::string& host, std::string& value) = 0;
    // One get request with every OID of the request as a binding. What only
    // knows single reads answers a request of one OID through readValue and
    // refuses more.
    virtual TReadReply read(const TReadRequest& request)
    {
        TReadReply reply;
        reply.values.resize(request.oids.size());
        if (request.oids.size() == 1)
            reply.answered =
                readValue(request.oids[0], request.community, request.host, reply.values[0]);
        return reply;
    }
    // Whether readTogether waits for its gets at once: only then is it worth
    // reading several sensors with one call.
    virtual bool readsTogether() const { return false; }
    // Several SNMPv2c gets on the calling thread; `ended(i, reply, sentTick,
    // endTick)` runs once for each request as it ends, with the tick counts
    // just before it went out and when its wait ended. One after the other
    // here; a network that waits for them at once says so in readsTogether.
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
    // The rows (OID text, value text) of one table column of an SNMPv2c
    // agent, read with GetBulk; false when the walk did not end normally.
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
