#pragma once

#include "TKeloClient.h"
#include "TSyslogMessage.h"
#include "TUDPBlockSocket.h"

#include <string>

// Sends one syslog message as one UDP datagram.
class TSyslogSend : public TKeloClient
{
public:
    // Longest datagram sent; a longer message is not sent at all.
    static constexpr std::size_t kMaxPacket = 1024;

    TSyslogSend();

    TUDPBlockSocket Sock;
    TSyslogMessage SysLogMessage;

    // Fills LocalIP and DateTime and sends. True when the datagram was handed
    // to the network (UDP gives no acknowledgement).
    bool Send();
};

bool SyslogSendMessage(const std::string& server, std::uint8_t facility, TSyslogSeverity severity,
                       const std::string& text);
