#pragma once

#include <cstdint>
#include <string>

// Everything a poll asks of the outside world: one SNMP get, one echo round
// trip and the local millisecond tick count. The program reads the network;
// tests put scripted answers or a controlled clock behind it.
class ISensorNetwork
{
public:
    virtual ~ISensorNetwork() = default;

    // An SNMP get of `oid`: true when the agent answered, `value` then holds
    // the value as text; false with `value` empty on any failure.
    virtual bool readValue(const std::string& oid, const std::string& community,
                           const std::string& host, std::string& value) = 0;
    // Round-trip time of one echo in milliseconds, or -1 on any failure.
    virtual int pingRoundTrip(const std::string& host) = 0;
    // Milliseconds since some fixed point, modulo 2^32.
    virtual uint32_t tickCount() = 0;
};
