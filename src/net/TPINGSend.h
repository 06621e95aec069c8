#pragma once

#include "TICMPBlockSocket.h"
#include "TICMPError.h"
#include "TKeloClient.h"

#include <cstdint>
#include <string>

// One ICMP echo (ICMPv6 for IPv6 destinations) and its answer. Three ways to
// send it, tried in this order: the kernel's unprivileged ICMP datagram
// socket, a raw ICMP socket, and the privileged helper executable
// "travimetra-ping" for a process allowed neither.
class TPINGSend : public TKeloClient
{
public:
    enum class TMechanism
    {
        Auto,
        Datagram,
        Raw,
        Helper,
        None
    };

    TPINGSend();

    int PacketSize = 32;    // payload bytes after the 12-byte header
    std::uint8_t TTL = 128; // time-to-live (hop limit) of the request
    int PingTime = 0;       // ms of the last answer; -1 during and after a failure
    std::string ReplyFrom;
    std::uint8_t ReplyType = 0;
    std::uint8_t ReplyCode = 0;
    TICMPError ReplyError = TICMPError::IE_NoError;
    std::string ReplyErrorDesc;
    TICMPBlockSocket Sock;

    // Which way to send: Auto tries them in order. Tests force one.
    TMechanism Mechanism = TMechanism::Auto;
    // The helper executable; when empty, the one beside the program (or in
    // the build tree) is looked up when it is needed.
    std::string HelperPath;

    bool Ping(const std::string& host);

    // The way the last Ping went out (None when it never got that far).
    TMechanism UsedMechanism() const { return m_used; }
    std::uint16_t LastSequence() const { return m_sequence; }

private:
    bool pingWithSocket(bool datagram, const std::string& address, int& socketError);
    bool pingWithHelper(const std::string& address);
    bool takeOutcome(bool ip6, int error, const std::string& from, int type, int code,
                     std::uint32_t roundTripMs);

    std::uint16_t m_sequence = 0;
    std::uint16_t m_identifier = 0;
    TMechanism m_used = TMechanism::None;
    bool m_ip6 = false;
};

// The round trip to `host` in milliseconds (0 or more), or -1 when no echo
// reply came: no answer in time, an unresolvable name, no way to send, or an
// ICMP error instead of a reply.
int PingRoundTrip(const std::string& host);
