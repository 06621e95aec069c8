#pragma once

#include "SnmpResponse.h"
#include "TKeloClient.h"
#include "TSNMPRec.h"
#include "TUDPBlockSocket.h"

#include <array>
#include <string>

// One SNMP exchange whose reply must pass the strict gate of parseResponse:
// the query goes out as one datagram, and only a complete GetResponse that
// echoes its version, community and request id is taken as the answer.
// Anything else that arrives is counted by reason and dropped while the wait
// goes on.
class TSNMPCheckedSend : public TKeloClient
{
public:
    TSNMPCheckedSend();

    // Sends Query and waits up to Timeout for the answer. False on any socket
    // error or time-out.
    bool Exchange();

    // The two halves of Exchange, for callers that wait on several agents at
    // once: Send puts Query on the wire from Sock (false on a socket error);
    // SendOn from the socket of another exchange with the same agent, so
    // that gets to one agent share a socket; Take weighs one datagram
    // received and keeps it as Reply when it is the answer to Query; Failed
    // clears what a wait that ended without one left.
    bool Send();
    bool SendOn(TUDPBlockSocket& sock);
    bool Take(const std::string& datagram);
    void Failed();

    TSNMPRec Query;
    SnmpResponse Reply;
    TUDPBlockSocket Sock;
    std::string Buffer; // the last datagram sent, then the last one received
    std::string HostIP; // sender of the last reply, "0.0.0.0" while none came
    // Datagrams dropped during this object's exchanges, by reason.
    std::array<int, SnmpRefusalCount> Refused{};

private:
    SnmpExpectation m_expected;
};
