#pragma once

#include "TKeloClient.h"
#include "TSNMPRec.h"
#include "TUDPBlockSocket.h"

#include <string>

// One SNMP exchange over UDP: the query goes out as one datagram and the
// agent's GetResponse to it comes back as the reply.
class TSNMPSend : public TKeloClient
{
public:
    TSNMPSend();

    // Sends Query and waits up to Timeout for the answer to it. Only a
    // GetResponse from the agent's own address and port that carries the
    // request id just sent counts; anything else that arrives is dropped
    // while the wait goes on. Returns false on any socket error or time-out.
    bool Exchange();

    TSNMPRec Query;
    TSNMPRec Reply;
    TUDPBlockSocket Sock;
    std::string Buffer; // the last datagram sent, then the last one received
    std::string HostIP; // sender of the last reply, "0.0.0.0" while none came
    // The address a well-formed answer to this query came from when that was
    // not the agent's (a multi-homed device answering from another of its
    // addresses); empty when none did. Such answers are still refused, since
    // accepting them would let anyone forge readings.
    std::string OtherSender;
};
