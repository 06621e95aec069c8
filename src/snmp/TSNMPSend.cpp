#include "TSNMPSend.h"

#include "DatagramWait.h"
#include "SocketErrors.h"
#include "StraySenders.h"

#include <netinet/in.h>
#include <sys/socket.h>

namespace {
constexpr int kGetResponse = 162;
} // namespace

TSNMPSend::TSNMPSend()
{
    TargetPort = "161";
    Timeout = 5000;
    Query.Reset();
    Reply.Reset();
    // The socket stays unassociated so that an answer from another address
    // of the device can be seen (and named) before it is refused; the error
    // queue still reports a closed agent port at once.
    Sock.AssociatePeer = false;
}

namespace {
void reportErrorsUnconnected(int fd, bool ip6)
{
    const int on = 1;
    if (ip6)
        setsockopt(fd, IPPROTO_IPV6, IPV6_RECVERR, &on, sizeof on);
    else
        setsockopt(fd, IPPROTO_IP, IP_RECVERR, &on, sizeof on);
}
} // namespace

bool TSNMPSend::Exchange()
{
    if (Sock.Bind(IPInterface, "0") != SockErr::Ok)
        return false;
    if (Sock.Connect(TargetHost, TargetPort) != SockErr::Ok)
        return false;
    reportErrorsUnconnected(Sock.Handle(), Sock.IsIP6());
    const std::string agentAddress = Sock.RemoteAddressText();
    const int agentPort = Sock.RemotePort();
    OtherSender.clear();

    const int sentId = Query.ID;
    Buffer = Query.Encode();
    if (Sock.SendText(Buffer) != SockErr::Ok)
        return false;

    Reply.Reset();
    HostIP = "0.0.0.0";
    return awaitDatagram(Sock, Timeout, Buffer, [&](const std::string& datagram) {
        // A stale answer to an earlier request, or anything else that is not
        // the answer to this one, must not pass for it.
        if (Reply.Decode(datagram) && Reply.PDUType == kGetResponse && Reply.ID == sentId &&
            Reply.IDWhole) {
            if (Sock.RemoteAddressText() == agentAddress && Sock.RemotePort() == agentPort) {
                HostIP = agentAddress;
                StraySenders::forget(TargetHost);
                return true;
            }
            OtherSender = Sock.RemoteAddressText();
            StraySenders::remember(TargetHost, OtherSender);
        }
        Reply.Reset();
        return false;
    });
}
