#include "IcmpReplyFilter.h"
#include "IcmpEchoMessage.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

namespace {

std::string ip4Header(std::size_t payload, std::uint8_t protocol = IPPROTO_ICMP)
{
    std::string header(20, '\0');
    header[0] = 0x45;
    header[2] = static_cast<char>((20 + payload) >> 8);
    header[3] = static_cast<char>((20 + payload) & 0xff);
    header[8] = 64;
    header[9] = static_cast<char>(protocol);
    return header;
}

// An echo reply to `request`: the same message with the reply type.
std::string replyTo(const std::string& request, std::uint8_t type = 0)
{
    std::string reply = request;
    reply[0] = static_cast<char>(type);
    IcmpEchoMessage::setChecksum4(reply);
    return reply;
}

// An ICMP error quoting `quoted` (an IP packet) as IPv4 routers do.
std::string errorQuoting(std::uint8_t type, std::uint8_t code, const std::string& quoted)
{
    std::string message(8, '\0');
    message[0] = static_cast<char>(type);
    message[1] = static_cast<char>(code);
    message += quoted;
    IcmpEchoMessage::setChecksum4(message);
    return message;
}

IcmpVerdict accept(const std::string& packet, const IcmpEchoExpectation& expect,
                   const in6_addr* sender = nullptr)
{
    return acceptIcmpPacket(reinterpret_cast<const std::uint8_t*>(packet.data()), packet.size(),
                            expect, sender);
}

class IcmpReplyFilterTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        request = IcmpEchoMessage::build(false, 4321, 1, 123456, 32);
        IcmpEchoMessage::setChecksum4(request);
        expect.request = request;
        expect.withIpHeader = true;
    }
    std::string request;
    IcmpEchoExpectation expect;
};

TEST_F(IcmpReplyFilterTest, AcceptsOurEchoReplyAndSkipsOurOwnRequest)
{
    const std::string reply = replyTo(request);
    const IcmpVerdict verdict = accept(ip4Header(reply.size()) + reply, expect);
    EXPECT_TRUE(verdict.accepted);
    EXPECT_EQ(verdict.type, 0);
    // Pinging the local machine, the raw socket sees the request itself first.
    EXPECT_FALSE(accept(ip4Header(request.size()) + request, expect).accepted);
}

TEST_F(IcmpReplyFilterTest, RefusesRepliesThatAreNotOurs)
{
    std::string other = IcmpEchoMessage::build(false, 999, 1, 123456, 32);
    EXPECT_FALSE(accept(ip4Header(44) + replyTo(other), expect).accepted) << "other identifier";
    other = IcmpEchoMessage::build(false, 4321, 2, 123456, 32);
    EXPECT_FALSE(accept(ip4Header(44) + replyTo(other), expect).accepted) << "other sequence";
    other = IcmpEchoMessage::build(false, 4321, 1, 123456, 31);
    EXPECT_FALSE(accept(ip4Header(43) + replyTo(other), expect).accepted) << "other length";
    other = request;
    other[30] = 'x';
    EXPECT_FALSE(accept(ip4Header(44) + replyTo(other), expect).accepted) << "other payload";

    std::string corrupt = replyTo(request);
    corrupt[3] = static_cast<char>(corrupt[3] ^ 1);
    EXPECT_FALSE(accept(ip4Header(44) + corrupt, expect).accepted) << "bad checksum";
    EXPECT_FALSE(accept(ip4Header(44, IPPROTO_UDP) + replyTo(request), expect).accepted);
}

TEST_F(IcmpReplyFilterTest, MatchesWithoutTheIdentifierWhenTheKernelOwnsIt)
{
    expect.withIpHeader = false;
    expect.matchIdentifier = false;
    std::string reply = replyTo(request);
    reply[4] = 0x55;
    IcmpEchoMessage::setChecksum4(reply);
    EXPECT_TRUE(accept(reply, expect).accepted);
    std::string otherSequence = reply;
    otherSequence[6] = 9;
    IcmpEchoMessage::setChecksum4(otherSequence);
    EXPECT_FALSE(accept(otherSequence, expect).accepted);
}

TEST_F(IcmpReplyFilterTest, AcceptsAnErrorOnlyWhenItQuotesOurRequest)
{
    const std::string quotedRequest = ip4Header(request.size()) + request.substr(0, 8);
    const std::string unreachable = errorQuoting(3, 1, quotedRequest);
    IcmpVerdict verdict = accept(ip4Header(unreachable.size()) + unreachable, expect);
    EXPECT_TRUE(verdict.accepted);
    EXPECT_EQ(verdict.type, 3);
    EXPECT_EQ(verdict.code, 1);

    std::string otherRequest = IcmpEchoMessage::build(false, 77, 1, 5, 32);
    IcmpEchoMessage::setChecksum4(otherRequest);
    const std::string foreign = errorQuoting(3, 1, ip4Header(44) + otherRequest.substr(0, 8));
    EXPECT_FALSE(accept(ip4Header(foreign.size()) + foreign, expect).accepted);

    // A quote that is cut short of the ICMP header proves nothing.
    const std::string truncated = errorQuoting(11, 0, ip4Header(44) + request.substr(0, 7));
    EXPECT_FALSE(accept(ip4Header(truncated.size()) + truncated, expect).accepted);
    // Error types only: an "echo reply" carrying a quote is not an error.
    const std::string notError = errorQuoting(13, 0, quotedRequest);
    EXPECT_FALSE(accept(ip4Header(notError.size()) + notError, expect).accepted);
}

TEST_F(IcmpReplyFilterTest, SurvivesTruncatedAndMalformedPackets)
{
    const std::string reply = ip4Header(44) + replyTo(request);
    for (std::size_t length = 0; length < reply.size(); ++length)
        EXPECT_FALSE(accept(reply.substr(0, length), expect).accepted) << length;
    std::string badHeaderLength = reply;
    badHeaderLength[0] = 0x4f; // 60-byte header
    EXPECT_FALSE(accept(badHeaderLength.substr(0, 50), expect).accepted);
    badHeaderLength[0] = 0x44; // shorter than the minimum
    EXPECT_FALSE(accept(badHeaderLength, expect).accepted);
    EXPECT_FALSE(acceptIcmpPacket(nullptr, 0, expect, nullptr).accepted);
}

TEST(IcmpReplyFilter, VerifiesTheIPv6ChecksumAgainstTheSender)
{
    in6_addr local{}, peer{};
    inet_pton(AF_INET6, "::1", &local);
    inet_pton(AF_INET6, "2001:db8::1", &peer);
    IcmpEchoExpectation expect;
    expect.ip6 = true;
    expect.local6 = local;
    expect.request = IcmpEchoMessage::build(true, 10, 1, 0, 8);
    std::string reply = expect.request;
    reply[0] = static_cast<char>(129);
    IcmpEchoMessage::setChecksum6(reply, peer, local);
    EXPECT_TRUE(acceptIcmpPacket(reinterpret_cast<const std::uint8_t*>(reply.data()), reply.size(),
                                 expect, &peer)
                    .accepted);
    EXPECT_FALSE(acceptIcmpPacket(reinterpret_cast<const std::uint8_t*>(reply.data()), reply.size(),
                                  expect, &local)
                     .accepted);
}

TEST_F(IcmpReplyFilterTest, QuotedSequenceMustMatchInBothBytes)
{
    // Sequence 1 and 257 share their low byte; an error about the other
    // request is not about ours.
    std::string other = IcmpEchoMessage::build(false, 4321, 257, 123456, 32);
    IcmpEchoMessage::setChecksum4(other);
    const std::string quote = errorQuoting(11, 0, ip4Header(44) + other.substr(0, 8));
    EXPECT_FALSE(accept(ip4Header(quote.size()) + quote, expect).accepted);
    const std::string reply = replyTo(other);
    EXPECT_FALSE(accept(ip4Header(reply.size()) + reply, expect).accepted);
}

TEST_F(IcmpReplyFilterTest, EchoReplyMustBeAsLongAsTheRequest)
{
    // A reply that carries our whole request and more is not our reply.
    // Zero padding is what a stack that rounds packets up would add.
    for (const std::string& extra :
         {std::string(1, '\0'), std::string(2, '\0'), std::string(64, '7')}) {
        const std::string longer = replyTo(request + extra);
        EXPECT_FALSE(accept(ip4Header(longer.size()) + longer, expect).accepted) << extra.size();
    }
    const std::string exact = replyTo(request);
    EXPECT_TRUE(accept(ip4Header(exact.size()) + exact, expect).accepted);
}

// An ICMPv6 error as a router sends it: its header, then the offending IPv6
// packet with `nextHeader` in its header and `quoted` as its payload.
std::string icmp6ErrorQuoting(std::uint8_t type, std::uint8_t nextHeader, const std::string& quoted)
{
    std::string message(8, '\0');
    message[0] = static_cast<char>(type);
    std::string ip6(40, '\0');
    ip6[0] = 0x60;
    ip6[4] = static_cast<char>(quoted.size() >> 8);
    ip6[5] = static_cast<char>(quoted.size() & 0xff);
    ip6[6] = static_cast<char>(nextHeader);
    ip6[7] = 64;
    return message + ip6 + quoted;
}

TEST(IcmpReplyFilter, IPv6ErrorsOfEveryKindAboutOurRequestOnly)
{
    IcmpEchoExpectation expect;
    expect.ip6 = true;
    expect.request = IcmpEchoMessage::build(true, 10, 1, 0, 8);
    const auto accept6 = [&](const std::string& packet) {
        return acceptIcmpPacket(reinterpret_cast<const std::uint8_t*>(packet.data()), packet.size(),
                                expect, nullptr);
    };
    // Unreachable, packet too big, time exceeded and parameter problem.
    for (const std::uint8_t type : {1, 2, 3, 4}) {
        const IcmpVerdict verdict =
            accept6(icmp6ErrorQuoting(type, IPPROTO_ICMPV6, expect.request));
        EXPECT_TRUE(verdict.accepted) << int(type);
        EXPECT_EQ(verdict.type, type);
    }
    // Informational types in the error range's neighbourhood are not errors.
    for (const std::uint8_t type : {0, 5, 127, 128})
        EXPECT_FALSE(accept6(icmp6ErrorQuoting(type, IPPROTO_ICMPV6, expect.request)).accepted)
            << int(type);
    // The same bytes quoted as UDP, or behind a packet that is not IPv6.
    EXPECT_FALSE(accept6(icmp6ErrorQuoting(1, IPPROTO_UDP, expect.request)).accepted);
    std::string notIp6 = icmp6ErrorQuoting(1, IPPROTO_ICMPV6, expect.request);
    notIp6[8] = 0x40;
    EXPECT_FALSE(accept6(notIp6).accepted);
}

} // namespace
