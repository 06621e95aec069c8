#pragma once

#include "ISensorNetwork.h"
#include "LogTextFormat.h"

#include <cstdint>
#include <string>

// Everything a log tick asks of the outside world: SNMP gets, the local
// millisecond clock, the local date and time for the stamp, appending to a
// file and sending a syslog message. The program does the real thing; tests
// put simulated time and recorded output behind it.
class ITrafficLogIO
{
public:
    virtual ~ITrafficLogIO() = default;

    // An SNMP get of `oid`: true when the agent answered, `value` then holds
    // the value as text; false with `value` empty on any failure.
    virtual bool readValue(const std::string& oid, const std::string& community,
                           const std::string& host, std::string& value) = 0;
    // One get request with every OID as a binding, for the SNMPv2c sensors.
    // What knows only single reads answers none of them.
    virtual TReadReply read(const TReadRequest& request)
    {
        (void)request;
        return {};
    }
    // Milliseconds since some fixed point, modulo 2^32.
    virtual uint32_t tickCount() = 0;
    // The local date and time now.
    virtual TLocalDateTime localNow() = 0;
    // Appends text to a file, creating it when missing; raises on failure.
    virtual void appendToFile(const std::string& path, const std::string& text) = 0;
    // One syslog datagram; true when it was handed to the network.
    virtual bool sendSyslog(const std::string& server, int facility, int severity,
                            const std::string& text) = 0;
};
