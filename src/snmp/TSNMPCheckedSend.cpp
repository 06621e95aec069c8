#include "TSNMPCheckedSend.h"

#include "SocketErrors.h"
#include "TickCount.h"

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
    const std::uint32_t start = TickCount32();
    const std::uint32_t limit = Timeout > 0 ? static_cast<std::uint32_t>(Timeout) : 0;
    while (true) {
        const std::uint32_t elapsed = TickDiff(start, TickCount32());
        const int remaining = elapsed >= limit ? 0 : static_cast<int>(limit - elapsed);
        Buffer = Sock.ReceivePacket(remaining);
        if (Sock.LastError() != SockErr::Ok) {
            Reply = SnmpResponse();
            return false;
        }
        const SnmpRefusal reason = parseResponse(Buffer, expected, Reply);
        if (reason == SnmpRefusal::None) {
            HostIP = Sock.RemoteAddressText();
            return true;
        }
        ++Refused[static_cast<std::size_t>(reason)];
    }
}
