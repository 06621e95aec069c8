#include "TPINGSend.h"

#include "IcmpEchoExchange.h"
#include "IcmpEchoMessage.h"
#include "PingHelperClient.h"
#include "SocketErrors.h"
#include "TUDPBlockSocket.h"
#include "TickCount.h"

#include <cerrno>
#include <netdb.h>
#include <sys/random.h>
#include <unistd.h>

namespace {

constexpr int kReceiveBufferSize = 61440;

// Resolution as for a UDP socket on port "0": a literal decides the family,
// a name is tried as IPv4 first.
class DestinationResolver : public TUDPBlockSocket
{
public:
    using TBlockSocket::resolve;
};

bool notPermitted(int error)
{
    return error == EACCES || error == EPERM || error == EPROTONOSUPPORT ||
           error == ESOCKTNOSUPPORT || error == EAFNOSUPPORT;
}

// 0 to 32766, unpredictable to other processes.
std::uint16_t randomIdentifier()
{
    std::uint16_t value = 0;
    if (getrandom(&value, sizeof value, GRND_NONBLOCK) != sizeof value)
        value = static_cast<std::uint16_t>(TickCount32() ^ static_cast<std::uint32_t>(getpid()));
    return static_cast<std::uint16_t>(value % 32767);
}

} // namespace

TPINGSend::TPINGSend()
{
    Timeout = 5000;
}

bool TPINGSend::takeOutcome(bool ip6, int error, const std::string& from, int type, int code,
                            std::uint32_t roundTripMs)
{
    if (error != 0)
        return false;
    PingTime = static_cast<int>(roundTripMs);
    ReplyFrom = from;
    ReplyType = static_cast<std::uint8_t>(type);
    ReplyCode = static_cast<std::uint8_t>(code);
    ReplyError = ICMPErrorFor(ip6, type, code);
    ReplyErrorDesc = ICMPErrorText(ReplyError);
    return true;
}

bool TPINGSend::Ping(const std::string& host)
{
    PingTime = -1;
    ReplyFrom.clear();
    ReplyType = 0;
    ReplyCode = 0;
    ReplyError = TICMPError::IE_Other;
    ReplyErrorDesc = ICMPErrorText(ReplyError);
    m_used = TMechanism::None;
    if (PacketSize < 0 || static_cast<std::size_t>(PacketSize) > IcmpEchoMessage::kMaxPayload ||
        Timeout < 0)
        return false;

    sockaddr_storage destination{};
    socklen_t destinationLength = 0;
    DestinationResolver resolver;
    if (resolver.resolve(host, "0", destination, destinationLength) != SockErr::Ok)
        return false;
    char numeric[NI_MAXHOST] = {};
    if (getnameinfo(reinterpret_cast<sockaddr*>(&destination), destinationLength, numeric,
                    sizeof numeric, nullptr, 0, NI_NUMERICHOST) != 0)
        return false;
    const std::string address = numeric;
    m_ip6 = destination.ss_family == AF_INET6;

    int error = 0;
    if (Mechanism == TMechanism::Auto || Mechanism == TMechanism::Datagram) {
        if (pingWithSocket(true, address, error))
            return true;
        if (Mechanism == TMechanism::Datagram || m_used != TMechanism::None)
            return false;
        if (!notPermitted(error))
            return false;
    }
    if (Mechanism == TMechanism::Auto || Mechanism == TMechanism::Raw) {
        if (pingWithSocket(false, address, error))
            return true;
        if (Mechanism == TMechanism::Raw || m_used != TMechanism::None)
            return false;
        if (!notPermitted(error))
            return false;
    }
    return pingWithHelper(address);
}

bool TPINGSend::pingWithSocket(bool datagram, const std::string& address, int& socketError)
{
    Sock.Close();
    Sock.Unprivileged = datagram;
    Sock.SetTTL(TTL);
    if (Sock.Bind(IPInterface, "0") != SockErr::Ok || Sock.Connect(address, "0") != SockErr::Ok) {
        socketError = Sock.LastError();
        Sock.Close();
        return false;
    }
    Sock.SetReceiveBufferSize(kReceiveBufferSize);
    m_used = datagram ? TMechanism::Datagram : TMechanism::Raw;

    sockaddr_storage destination{};
    socklen_t destinationLength = 0;
    DestinationResolver resolver;
    if (resolver.resolve(address, "0", destination, destinationLength) != SockErr::Ok)
        return false;

    IcmpEchoParams params;
    params.destination = destination;
    params.destinationLength = destinationLength;
    params.datagram = datagram;
    params.timeoutMs = Timeout;
    params.payloadSize = static_cast<std::size_t>(PacketSize);
    m_identifier = randomIdentifier();
    params.identifier = m_identifier;
    params.sequence = ++m_sequence;
    const IcmpEchoOutcome outcome = performIcmpEcho(Sock.Handle(), params);
    Sock.Close();
    return takeOutcome(m_ip6, outcome.error, outcome.from, outcome.type, outcome.code,
                       outcome.roundTripMs);
}

bool TPINGSend::pingWithHelper(const std::string& address)
{
    m_used = TMechanism::Helper;
    ++m_sequence;
    IcmpEchoOutcome outcome;
    const std::string helper = HelperPath.empty() ? PingHelperClient::defaultPath() : HelperPath;
    if (!PingHelperClient::run(helper, address, Timeout, TTL, PacketSize, outcome))
        return false;
    return takeOutcome(m_ip6, outcome.error, outcome.from, outcome.type, outcome.code,
                       outcome.roundTripMs);
}

int PingRoundTrip(const std::string& host)
{
    TPINGSend ping;
    if (ping.Ping(host) && ping.ReplyError == TICMPError::IE_NoError)
        return ping.PingTime;
    return -1;
}
