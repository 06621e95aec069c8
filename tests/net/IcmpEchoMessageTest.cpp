#include "IcmpEchoMessage.h"
#include "IcmpChecksum.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

namespace {

const std::uint8_t* bytes(const std::string& s)
{
    return reinterpret_cast<const std::uint8_t*>(s.data());
}

TEST(IcmpChecksum, MatchesTheRfc1071Example)
{
    // RFC 1071, section 3: the one's complement sum of these words is 0xddf2.
    const std::uint8_t data[] = {0x00, 0x01, 0xf2, 0x03, 0xf4, 0xf5, 0xf6, 0xf7};
    EXPECT_EQ(internetChecksum(data, sizeof data), 0xffff - 0xddf2);
    // An odd length pads the last byte with a zero.
    const std::uint8_t odd[] = {0x01, 0x02, 0x03};
    EXPECT_EQ(internetChecksum(odd, sizeof odd), static_cast<std::uint16_t>(~(0x0102 + 0x0300)));
}

TEST(IcmpEchoMessage, LaysOutTheDefault44ByteRequest)
{
    std::string message = IcmpEchoMessage::build(false, 0x1234, 1, 0xa1b2c3d4, 32);
    ASSERT_EQ(message.size(), 44u);
    EXPECT_EQ(bytes(message)[0], 8);
    EXPECT_EQ(bytes(message)[1], 0);
    // Identifier, sequence number and time stamp, least significant byte first.
    EXPECT_EQ(bytes(message)[4], 0x34);
    EXPECT_EQ(bytes(message)[5], 0x12);
    EXPECT_EQ(bytes(message)[6], 1);
    EXPECT_EQ(bytes(message)[7], 0);
    EXPECT_EQ(bytes(message)[8], 0xd4);
    EXPECT_EQ(bytes(message)[11], 0xa1);
    EXPECT_EQ(message.substr(12), std::string(32, '7'));
    EXPECT_EQ(IcmpEchoMessage::sequenceOf(message), 1);

    IcmpEchoMessage::setChecksum4(message);
    EXPECT_EQ(internetChecksum(bytes(message), message.size()), 0);
    EXPECT_NE(bytes(message)[2] | bytes(message)[3], 0);
}

TEST(IcmpEchoMessage, IPv6RequestChecksumCoversThePseudoHeader)
{
    in6_addr source{}, destination{};
    inet_pton(AF_INET6, "fe80::1", &source);
    inet_pton(AF_INET6, "2001:db8::7", &destination);
    std::string message = IcmpEchoMessage::build(true, 7, 2, 99, 0);
    ASSERT_EQ(message.size(), 12u);
    EXPECT_EQ(bytes(message)[0], 128);
    IcmpEchoMessage::setChecksum6(message, source, destination);
    EXPECT_EQ(icmp6Checksum(source, destination, bytes(message), message.size()), 0);
    // The same message between other addresses does not check out.
    EXPECT_NE(icmp6Checksum(destination, destination, bytes(message), message.size()), 0);
}

TEST(IcmpEchoMessage, SequenceNeedsTheWholeHeader)
{
    const std::string message = IcmpEchoMessage::build(false, 7, 0x0203, 0, 0);
    ASSERT_EQ(IcmpEchoMessage::sequenceOf(message), 0x0203);
    // Cut short of its eighth byte, a message has no sequence number.
    for (const std::size_t size : {7u, 6u, 0u})
        EXPECT_EQ(IcmpEchoMessage::sequenceOf(message.substr(0, size)), 0) << size;
}

} // namespace
