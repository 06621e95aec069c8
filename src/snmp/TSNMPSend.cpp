#include "TSNMPSend.h"

#include "SocketErrors.h"
#include "TickCount.h"

namespace {
constexpr int kGetResponse = 162;
} // namespace

TSNMPSend::TSNMPSend()
{
    TargetPort = "161";
    Timeout = 5000;
    Query.Reset();
    Reply.Reset();
    // Associating the socket with the agent lets the kernel drop datagrams
    // from any other sender, and reports a closed agent port at once.
    Sock.AssociatePeer = true;
}

bool TSNMPSend::Exchange()
{
    if (Sock.Bind(IPInterface, "0") != SockErr::Ok)
        return false;
    if (Sock.Connect(TargetHost, TargetPort) != SockErr::Ok)
        return false;

    const int sentId = Query.ID;
    Buffer = Query.Encode();
    if (Sock.SendText(Buffer) != SockErr::Ok)
        return false;

    Reply.Reset();
    HostIP = "0.0.0.0";
    const std::uint32_t start = TickCount32();
    const std::uint32_t limit = Timeout > 0 ? static_cast<std::uint32_t>(Timeout) : 0;
    while (true) {
        const std::uint32_t elapsed = TickDiff(start, TickCount32());
        const int remaining = elapsed >= limit ? 0 : static_cast<int>(limit - elapsed);
        Buffer = Sock.ReceivePacket(remaining);
        if (Sock.LastError() != SockErr::Ok)
            return false;
        // A stale answer to an earlier request, or anything else that is not
        // the answer to this one, must not pass for it.
        if (Reply.Decode(Buffer) && Reply.PDUType == kGetResponse && Reply.ID == sentId &&
            Reply.IDWhole) {
            HostIP = Sock.RemoteAddressText();
            return true;
        }
        Reply.Reset();
    }
}
