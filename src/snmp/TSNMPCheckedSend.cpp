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
    if (!Send())
        return false;
    const bool answered = awaitDatagram(
        Sock, Timeout, Buffer, [this](const std::string& datagram) { return Take(datagram); });
    if (!answered) {
        Failed();
        return false;
    }
    HostIP = Sock.RemoteAddressText();
    return true;
}

bool TSNMPCheckedSend::Send()
{
    if (Sock.Bind(IPInterface, "0") != SockErr::Ok)
        return false;
    if (Sock.Connect(TargetHost, TargetPort) != SockErr::Ok)
        return false;
    return SendOn(Sock);
}

bool TSNMPCheckedSend::SendOn(TUDPBlockSocket& sock)
{
    m_expected = SnmpExpectation{Query.Version, Query.Community, Query.ID};
    Buffer = Query.Encode();
    HostIP = "0.0.0.0";
    return sock.SendText(Buffer) == SockErr::Ok;
}

bool TSNMPCheckedSend::Take(const std::string& datagram)
{
    const SnmpRefusal reason = parseResponse(datagram, m_expected, Reply);
    if (reason == SnmpRefusal::None)
        return true;
    ++Refused[static_cast<std::size_t>(reason)];
    return false;
}

void TSNMPCheckedSend::Failed()
{
    Reply = SnmpResponse();
}
