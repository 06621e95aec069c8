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
    // GetResponse from the agent the socket is associated with that carries
    // the request id just sent counts; anything else that arrives is dropped
    // while the wait goes on. Returns false on any socket error or time-out.
    bool Exchange();

    TSNMPRec Query;
    TSNMPRec Reply;
    TUDPBlockSocket Sock;
    std::string Buffer; // the last datagram sent, then the last one received
    std::string HostIP; // sender of the last reply, "0.0.0.0" while none came
};
