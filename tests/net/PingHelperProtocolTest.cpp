#include "PingHelperProtocol.h"
#include "SocketErrors.h"

#include <gtest/gtest.h>

namespace {

TEST(PingHelperProtocol, RoundTripsEveryOutcome)
{
    IcmpEchoOutcome reply;
    reply.from = "::1";
    reply.type = 129;
    reply.code = 0;
    reply.roundTripMs = 17;
    IcmpEchoOutcome read;
    ASSERT_TRUE(PingHelperProtocol::parse(PingHelperProtocol::format(reply), 5000, read));
    EXPECT_EQ(read.error, 0);
    EXPECT_EQ(read.from, "::1");
    EXPECT_EQ(read.type, 129);
    EXPECT_EQ(read.roundTripMs, 17u);

    IcmpEchoOutcome timedOut;
    timedOut.error = SockErr::TimedOut;
    EXPECT_EQ(PingHelperProtocol::format(timedOut), "timeout\n");
    ASSERT_TRUE(PingHelperProtocol::parse("timeout\n", 5000, read));
    EXPECT_EQ(read.error, SockErr::TimedOut);
    ASSERT_TRUE(PingHelperProtocol::parse("error 1\n", 5000, read));
    EXPECT_EQ(read.error, 1);
}

TEST(PingHelperProtocol, RefusesAnythingElse)
{
    IcmpEchoOutcome read;
    for (const char* text :
         {"", "timeout", "timeout\n\n", "timeout \n", "error 0\n", "error -1\n", "error 01\n",
          "error 99999999999\n", "reply 127.0.0.1 0 0 5", "reply 127.0.0.1 0 0\n",
          "reply localhost 0 0 5\n", "reply 127.0.0.1 256 0 5\n", "reply 127.0.0.1 0 0 +5\n",
          "reply 127.0.0.1 0 0 7000\n", "reply  127.0.0.1 0 0 5\n", "reply 127.0.0.1 0 0 5\r\n",
          "Reply 127.0.0.1 0 0 5\n"})
        EXPECT_FALSE(PingHelperProtocol::parse(text, 5000, read)) << text;
    EXPECT_FALSE(
        PingHelperProtocol::parse(std::string("reply 127.0.0.1\0 0 0 5\n", 24), 5000, read));
    EXPECT_FALSE(PingHelperProtocol::parse(std::string(300, 'x') + "\n", 5000, read));
}

} // namespace
