#pragma once

#include "ISensorNetwork.h"
#include "LogTextFormat.h"

#include <cstdint>
#include <string>

// Where a log tick writes: the local date and time for the stamp, appending
// to a file and sending a syslog message. The program does the real thing;
// tests record the output.
class ITrafficLogOutput
{
public:
    virtual ~ITrafficLogOutput() = default;

    // The local date and time now.
    virtual TLocalDateTime localNow() = 0;
    // Appends text to a file, creating it when missing; raises on failure.
    virtual void appendToFile(const std::string& path, const std::string& text) = 0;
    // One syslog datagram; true when it was handed to the network.
    virtual bool sendSyslog(const std::string& server, int facility, int severity,
                            const std::string& text) = 0;
};

// Everything a log tick asks of the outside world: it reads as the poll
// reads (the one reader, with the poll's clock) and writes to the output.
// What knows only single gets (the tests' scripted logs) answers SNMPv1
// requests through readValue and no others. The log never pings.
class ITrafficLogIO : public ISensorNetwork, public ITrafficLogOutput
{
public:
    TReadReply read(const TReadRequest& request) override
    {
        return request.version == 0 ? ISensorNetwork::read(request) : TReadReply{};
    }
    int pingRoundTrip(const std::string& host) override
    {
        (void)host;
        return -1;
    }
};
