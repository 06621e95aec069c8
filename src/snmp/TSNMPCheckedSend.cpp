#include "TSNMPCheckedSend.h"

#include "DatagramWait.h"
#include "SocketErrors.h"

TSNMPCheckedSend::TSNMPCheckedSend()
{
    TargetPort = "161";
    Timeout = 5000;
    Query.Reset();
    // Only the agent's own datagrams reach the socket, and a closed agent
    // port is reported at once.
    Sock.AssociatePeer = true;
}

bool TSNMPCheckedSend::Exchange()
{
    if (Sock.Bind(IPInterface, "0") != SockErr::Ok)
        return false;
    if (Sock.Connect(TargetHost, TargetPort) != SockErr::Ok)
        return false;

    const SnmpExpectation expected{Query.Version, Query.Community, Query.ID};
    Buffer = Query.Encode();
    if (Sock.SendText(Buffer) != SockErr::Ok)
        return false;

    HostIP = "0.0.0.0";
    const bool answered = awaitDatagram(Sock, Timeout, Buffer, [&](const std::string& datagram) {
        const SnmpRefusal reason = parseResponse(datagram, expected, Reply);
        if (reason == SnmpRefusal::None)
            return true;
        ++Refused[static_cast<std::size_t>(reason)];
        return false;
    });
    if (!answered) {
        Reply = SnmpResponse();
        return false;
    }
    HostIP = Sock.RemoteAddressText();
    return true;
}
