#include "ChildChecks.h"
#include "PeerRequirement.h"
#include "RsyslogPeer.h"
#include "SocketErrors.h"
#include "TSyslogSend.h"

#include <gtest/gtest.h>
#include <sched.h>
#include <unistd.h>

namespace {

std::vector<std::string> splitFields(const std::string& line)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (int i = 0; i < 3; ++i) {
        const std::size_t bar = line.find('|', start);
        if (bar == std::string::npos)
            break;
        fields.push_back(line.substr(start, bar - start));
        start = bar + 1;
    }
    fields.push_back(line.substr(start));
    return fields;
}

std::string localAddress()
{
    TUDPBlockSocket sock;
    std::vector<std::string> addresses;
    sock.ResolveName(TBlockSocket::LocalHostName(), addresses);
    return addresses.front();
}

TEST(SyslogSendPeers, RsyslogFilesTheMessageAsNewsInfo)
{
    RsyslogPeer rsyslog;
    REQUIRE_PEER(rsyslog.failure().empty(), rsyslog.failure());
    const std::string text = "travimetra check: DL: 12.5 kb/s; UL: 0.4 kb/s [sensor #1]";
    ASSERT_TRUE(SyslogSendMessage(RsyslogPeer::Address, 7, TSyslogSeverity::Info, text));
    const std::string line = rsyslog.waitForLine(text, 3000);
    ASSERT_FALSE(line.empty());
    const std::vector<std::string> fields = splitFields(line);
    ASSERT_EQ(fields.size(), 4u) << line;
    EXPECT_EQ(fields[0], "news");
    EXPECT_EQ(fields[1], "info");
    EXPECT_EQ(fields[2], localAddress());
    // The empty tag leaves the space after the colon in front of the text.
    EXPECT_EQ(fields[3], " " + text);
}

class LocalReceiver
{
public:
    LocalReceiver() { m_sock.Bind("127.0.0.34", "0"); }
    std::string port() const { return std::to_string(m_sock.LocalPort()); }
    std::string receive(int timeoutMs) { return m_sock.ReceivePacket(timeoutMs); }

private:
    TUDPBlockSocket m_sock;
};

TEST(SyslogSendPeers, DatagramsUpTo1024BytesAreSent)
{
    LocalReceiver receiver;
    TSyslogSend probe;
    probe.SysLogMessage.LocalIP = localAddress();
    probe.SysLogMessage.Facility = 7;
    probe.SysLogMessage.Severity = TSyslogSeverity::Info;
    const std::size_t overhead = probe.SysLogMessage.PacketBuf().size();
    ASSERT_LT(overhead, 1024u);
    for (const std::size_t size : {std::size_t{1024}, std::size_t{1025}}) {
        TSyslogSend sender;
        sender.TargetHost = "127.0.0.34";
        sender.TargetPort = receiver.port();
        sender.SysLogMessage.Facility = 7;
        sender.SysLogMessage.Severity = TSyslogSeverity::Info;
        sender.SysLogMessage.LogMessage = std::string(size - overhead, 'm');
        EXPECT_EQ(sender.Send(), size == 1024) << size;
        const std::string got = receiver.receive(size == 1024 ? 2000 : 100);
        EXPECT_EQ(got.size(), size == 1024 ? 1024u : 0u);
        if (size == 1024) {
            EXPECT_EQ(got.rfind("<62>", 0), 0u);
        }
    }
}

TEST(SyslogSendPeers, UnresolvableHostNameAndServerAreHandled)
{
    const IsolatedOutcome outcome = runIsolatedChecks([](ChildReport& r) {
        // A host name of our own that no resolver knows.
        if (unshare(CLONE_NEWUTS) != 0 || sethostname("travimetra-nowhere", 18) != 0)
            return r.missing("a UTS namespace");
        LocalReceiver receiver;
        TSyslogSend sender;
        sender.TargetHost = "127.0.0.34";
        sender.TargetPort = receiver.port();
        sender.SysLogMessage.LogMessage = "hello";
        CHILD_CHECK(r, sender.Send());
        const std::string got = receiver.receive(2000);
        CHILD_CHECK(r, got.find(" 0.0.0.0 : hello") != std::string::npos);
        CHILD_CHECK_EQ(r, sender.SysLogMessage.LocalIP, "0.0.0.0");

        CHILD_CHECK(r, !SyslogSendMessage("no-such-host.invalid", 7, TSyslogSeverity::Info, "x"));
    });
    REQUIRE_PEER(outcome.ran, "network namespaces (root)");
    REQUIRE_PEER(outcome.missing.empty(), outcome.missing);
}

} // namespace
