#include "ChildChecks.h"
#include "ChildProcess.h"
#include "IcmpChecksum.h"
#include "PeerRequirement.h"
#include "PingHelperClient.h"
#include "RoutedTestNetwork.h"
#include "TPINGSend.h"
#include "TempDirectory.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <future>
#include <grp.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
using Mechanism = TPINGSend::TMechanism;

long msSince(Clock::time_point start)
{
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

bool isRoot()
{
    return geteuid() == 0;
}

// Lets every group use the unprivileged ICMP socket in the current namespace.
bool openPingGroupRange()
{
    std::ofstream range("/proc/sys/net/ipv4/ping_group_range");
    range << "0 2147483647\n";
    return static_cast<bool>(range);
}

TEST(PINGSendPeers, LoopbackAnswersOverARawSocket)
{
    REQUIRE_PEER(isRoot(), "root, for raw ICMP sockets");
    for (const std::string host : {"127.0.0.1", "::1"}) {
        TPINGSend ping;
        ping.Mechanism = Mechanism::Raw;
        ping.Timeout = 2000;
        ASSERT_TRUE(ping.Ping(host)) << host;
        EXPECT_EQ(ping.UsedMechanism(), Mechanism::Raw);
        EXPECT_EQ(ping.ReplyError, TICMPError::IE_NoError);
        EXPECT_EQ(ping.ReplyErrorDesc, "");
        EXPECT_GE(ping.PingTime, 0);
        EXPECT_EQ(ping.ReplyFrom, host);
        // The raw socket sees our own request first; only the reply counts.
        EXPECT_EQ(ping.ReplyType, host == "::1" ? 129 : 0);
    }
    EXPECT_GE(PingRoundTrip("127.0.0.1"), 0);
    EXPECT_GE(PingRoundTrip("::1"), 0);
    // A name is pinged over IPv4.
    TPINGSend ping;
    ASSERT_TRUE(ping.Ping("localhost"));
    EXPECT_EQ(ping.ReplyFrom, "127.0.0.1");
}

TEST(PINGSendPeers, LoopbackAnswersOverTheUnprivilegedSocket)
{
    const IsolatedOutcome outcome = runIsolatedChecks([](ChildReport& r) {
        if (!openPingGroupRange())
            return r.missing("a writable ping_group_range");
        for (const std::string host : {"127.0.0.1", "::1"}) {
            TPINGSend ping;
            ping.Timeout = 2000;
            for (int round = 1; round <= 2; ++round) {
                CHILD_CHECK(r, ping.Ping(host));
                CHILD_CHECK(r, ping.UsedMechanism() == Mechanism::Datagram);
                CHILD_CHECK(r, ping.ReplyError == TICMPError::IE_NoError);
                CHILD_CHECK_EQ(r, ping.ReplyFrom, host);
                CHILD_CHECK(r, ping.PingTime >= 0);
                CHILD_CHECK_EQ(r, static_cast<int>(ping.LastSequence()), round);
            }
        }
    });
    REQUIRE_PEER(outcome.ran, "network namespaces (root)");
    REQUIRE_PEER(outcome.missing.empty(), outcome.missing);
}

// The first echo request of `ping` to 127.0.0.2 as a raw listener sees it.
std::string capturedRequest(TPINGSend& ping, ChildReport& r)
{
    const int capture = ::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
    CHILD_CHECK(r, capture >= 0);
    CHILD_CHECK(r, ping.Ping("127.0.0.2"));
    char packet[2048];
    while (true) {
        pollfd entry{capture, POLLIN, 0};
        if (::poll(&entry, 1, 1000) <= 0)
            break;
        const ssize_t got = ::recv(capture, packet, sizeof packet, 0);
        if (got < 20)
            continue;
        const std::size_t header = static_cast<std::size_t>(packet[0] & 0x0f) * 4;
        if (static_cast<std::size_t>(got) > header && packet[header] == 8) {
            ::close(capture);
            return std::string(packet + header, static_cast<std::size_t>(got) - header);
        }
    }
    ::close(capture);
    return {};
}

TEST(PINGSendPeers, RawRequestIsThe44ByteMessageWithSequenceOne)
{
    const IsolatedOutcome outcome = runIsolatedChecks([](ChildReport& r) {
        TPINGSend ping;
        ping.Mechanism = Mechanism::Raw;
        ping.Timeout = 1000;
        const std::string first = capturedRequest(ping, r);
        if (!CHILD_CHECK_EQ(r, first.size(), 44u))
            return;
        CHILD_CHECK_EQ(r, static_cast<int>(first[1]), 0);
        CHILD_CHECK_EQ(
            r, internetChecksum(reinterpret_cast<const std::uint8_t*>(first.data()), first.size()),
            0);
        CHILD_CHECK_EQ(r, static_cast<int>(first[6]), 1); // least significant byte first
        CHILD_CHECK_EQ(r, static_cast<int>(first[7]), 0);
        CHILD_CHECK_EQ(r, first.substr(12), std::string(32, '7'));
        const int identifier =
            static_cast<unsigned char>(first[4]) | static_cast<unsigned char>(first[5]) << 8;
        CHILD_CHECK(r, identifier <= 32766);

        const std::string second = capturedRequest(ping, r);
        CHILD_CHECK(r, second.size() == 44u && second[6] == 2);
        TPINGSend fresh;
        fresh.Mechanism = Mechanism::Raw;
        const std::string again = capturedRequest(fresh, r);
        CHILD_CHECK(r, again.size() == 44u && again[6] == 1);
    });
    REQUIRE_PEER(outcome.ran, "network namespaces (root)");
}

TEST(PINGSendPeers, SilentHostGivesMinusOneAfterTheTimeout)
{
    const IsolatedOutcome outcome = runIsolatedChecks([](ChildReport& r) {
        RoutedTestNetwork network;
        if (!network.failure().empty())
            return r.missing("a routed test network: " + network.failure());
        openPingGroupRange();
        for (const Mechanism mechanism : {Mechanism::Raw, Mechanism::Datagram}) {
            TPINGSend ping;
            ping.Mechanism = mechanism;
            ping.Timeout = 300;
            const auto start = Clock::now();
            CHILD_CHECK(r, !ping.Ping(RoutedTestNetwork::Silent));
            const long elapsed = msSince(start);
            // Never before the time-out; and well before PingRoundTrip's own
            // 5000 ms, so it was this Timeout that ended the wait (a machine
            // busy with other tests may wake the wait late).
            if (elapsed < 300 || elapsed >= 4000)
                r.fail((mechanism == Mechanism::Raw ? "raw" : "datagram") +
                       std::string(" socket waited ") + std::to_string(elapsed) +
                       " ms for a 300 ms time-out");
            CHILD_CHECK_EQ(r, ping.PingTime, -1);
        }
        // The one full wait of these tests: PingRoundTrip's own 5000 ms,
        // spent sleeping, not spinning.
        rusage before{}, after{};
        getrusage(RUSAGE_SELF, &before);
        const auto start = Clock::now();
        CHILD_CHECK_EQ(r, PingRoundTrip(RoutedTestNetwork::Silent), -1);
        const long elapsed = msSince(start);
        getrusage(RUSAGE_SELF, &after);
        CHILD_CHECK(r, elapsed >= 4990 && elapsed < 6500);
        const long cpuMs = (after.ru_utime.tv_sec - before.ru_utime.tv_sec + after.ru_stime.tv_sec -
                            before.ru_stime.tv_sec) *
                               1000 +
                           (after.ru_utime.tv_usec - before.ru_utime.tv_usec +
                            after.ru_stime.tv_usec - before.ru_stime.tv_usec) /
                               1000;
        CHILD_CHECK(r, cpuMs < 500);
    });
    REQUIRE_PEER(outcome.ran, "network namespaces (root)");
    REQUIRE_PEER(outcome.missing.empty(), outcome.missing);
}

TEST(PINGSendPeers, UnreachableAnswerIsReportedAtOnce)
{
    const IsolatedOutcome outcome = runIsolatedChecks([](ChildReport& r) {
        RoutedTestNetwork network;
        if (!network.failure().empty())
            return r.missing("a routed test network: " + network.failure());
        openPingGroupRange();
        for (const Mechanism mechanism : {Mechanism::Raw, Mechanism::Datagram}) {
            TPINGSend ping;
            ping.Mechanism = mechanism;
            ping.Timeout = 3000;
            auto start = Clock::now();
            CHILD_CHECK(r, ping.Ping(RoutedTestNetwork::Unreachable));
            CHILD_CHECK(r, msSince(start) < 1000);
            CHILD_CHECK(r, ping.ReplyError == TICMPError::IE_UnreachAddr);
            CHILD_CHECK_EQ(r, ping.ReplyErrorDesc, "Address unreachable");
            CHILD_CHECK_EQ(r, ping.ReplyFrom, RoutedTestNetwork::Router);
            CHILD_CHECK_EQ(r, static_cast<int>(ping.ReplyType), 3);
            CHILD_CHECK_EQ(r, static_cast<int>(ping.ReplyCode), 1);

            if (mechanism == Mechanism::Raw) {
                CHILD_CHECK(r, ping.Ping(RoutedTestNetwork::Prohibited));
                CHILD_CHECK(r, ping.ReplyError == TICMPError::IE_UnreachAdmin);
                CHILD_CHECK_EQ(r, ping.ReplyErrorDesc, "Administratively prohibited");
                CHILD_CHECK_EQ(r, static_cast<int>(ping.ReplyCode), 13);
            }

            CHILD_CHECK(r, ping.Ping(RoutedTestNetwork::Router));
            CHILD_CHECK(r, ping.ReplyError == TICMPError::IE_NoError);

            ping.TTL = 1;
            CHILD_CHECK(r, ping.Ping(RoutedTestNetwork::Beyond));
            CHILD_CHECK(r, ping.ReplyError == TICMPError::IE_TTLExceed);
            CHILD_CHECK_EQ(r, ping.ReplyErrorDesc, "TTL Exceeded");
            CHILD_CHECK_EQ(r, static_cast<int>(ping.ReplyType), 11);
            CHILD_CHECK_EQ(r, ping.ReplyFrom, RoutedTestNetwork::Router);
        }
        const auto start = Clock::now();
        CHILD_CHECK_EQ(r, PingRoundTrip(RoutedTestNetwork::Unreachable), -1);
        CHILD_CHECK(r, msSince(start) < 1000);
        CHILD_CHECK(r, PingRoundTrip(RoutedTestNetwork::Router) >= 0);
    });
    REQUIRE_PEER(outcome.ran, "network namespaces (root)");
    REQUIRE_PEER(outcome.missing.empty(), outcome.missing);
}

TEST(PINGSendPeers, IPv6ErrorsAreClassifiedOnBothSockets)
{
    const IsolatedOutcome outcome = runIsolatedChecks([](ChildReport& r) {
        RoutedTestNetwork network;
        if (!network.failure().empty())
            return r.missing("a routed test network: " + network.failure());
        openPingGroupRange();
        for (const Mechanism mechanism : {Mechanism::Raw, Mechanism::Datagram}) {
            TPINGSend ping;
            ping.Mechanism = mechanism;
            ping.Timeout = 3000;
            CHILD_CHECK(r, ping.Ping(RoutedTestNetwork::Router6));
            CHILD_CHECK_EQ(r, static_cast<int>(ping.ReplyType), 129);
            CHILD_CHECK(r, ping.ReplyError == TICMPError::IE_NoError);

            CHILD_CHECK(r, ping.Ping(RoutedTestNetwork::NoRoute6));
            CHILD_CHECK(r, ping.ReplyError == TICMPError::IE_UnreachRoute);
            CHILD_CHECK_EQ(r, ping.ReplyErrorDesc, "No route to destination");
            CHILD_CHECK_EQ(r, ping.ReplyFrom, RoutedTestNetwork::Router6);

            CHILD_CHECK(r, ping.Ping(RoutedTestNetwork::Prohibited6));
            CHILD_CHECK(r, ping.ReplyError == TICMPError::IE_UnreachAdmin);

            ping.TTL = 1;
            CHILD_CHECK(r, ping.Ping(RoutedTestNetwork::Beyond6));
            CHILD_CHECK(r, ping.ReplyError == TICMPError::IE_TTLExceed);
        }
    });
    REQUIRE_PEER(outcome.ran, "network namespaces (root)");
    REQUIRE_PEER(outcome.missing.empty(), outcome.missing);
}

TEST(PINGSendPeers, ConcurrentSystemPingConfusesNeither)
{
    const std::string systemPing = findExecutable("ping");
    REQUIRE_PEER(isRoot() && !systemPing.empty(), "root and the ping command");
    auto other = std::async(std::launch::async, [&] {
        const std::string command = systemPing + " -n -q -c 20 -i 0.02 -W 1 127.0.0.1 2>&1";
        FILE* pipe = popen(command.c_str(), "r");
        std::string output;
        char chunk[256];
        while (pipe && std::fgets(chunk, sizeof chunk, pipe))
            output += chunk;
        const int status = pipe ? pclose(pipe) : -1;
        return std::make_pair(status, output);
    });
    for (int i = 0; i < 20; ++i) {
        for (const Mechanism mechanism : {Mechanism::Raw, Mechanism::Auto}) {
            TPINGSend ping;
            ping.Mechanism = mechanism;
            ping.Timeout = 2000;
            ASSERT_TRUE(ping.Ping("127.0.0.1"));
            EXPECT_EQ(ping.ReplyError, TICMPError::IE_NoError);
            EXPECT_EQ(ping.ReplyType, 0);
        }
    }
    const auto [status, output] = other.get();
    EXPECT_EQ(status, 0) << output;
    EXPECT_NE(output.find("20 received"), std::string::npos) << output;
}

TEST(PINGSendPeers, UnresolvableNameFailsWithoutWaiting)
{
    const IsolatedOutcome outcome = runIsolatedChecks([](ChildReport& r) {
        const auto start = Clock::now();
        CHILD_CHECK_EQ(r, PingRoundTrip("no-such-host.invalid"), -1);
        TPINGSend ping;
        CHILD_CHECK(r, !ping.Ping("no-such-host.invalid"));
        CHILD_CHECK_EQ(r, ping.PingTime, -1);
        CHILD_CHECK(r, ping.ReplyError == TICMPError::IE_Other);
        CHILD_CHECK_EQ(r, ping.ReplyErrorDesc, "Unknown error");
        CHILD_CHECK(r, ping.UsedMechanism() == Mechanism::None);
        CHILD_CHECK(r, msSince(start) < 1000);
    });
    REQUIRE_PEER(outcome.ran, "network namespaces (root)");
}

// The helper as an installation has it: a copy with cap_net_raw.
class InstalledHelper
{
public:
    InstalledHelper()
    {
        const std::string built = PingHelperClient::defaultPath();
        const std::string setcap = findExecutable("setcap");
        if (built.empty() || setcap.empty() || m_dir.path().empty())
            return;
        chmod(m_dir.path().c_str(), 0755);
        const std::string copy = m_dir.file("travimetra-ping");
        if (std::system(("cp " + built + " " + copy + " && " + setcap + " cap_net_raw+ep " + copy +
                         " >/dev/null 2>&1")
                            .c_str()) == 0)
            m_path = copy;
    }
    const std::string& path() const { return m_path; }

private:
    TempDirectory m_dir;
    std::string m_path;
};

bool becomeNobody()
{
    return setgroups(0, nullptr) == 0 && setgid(65534) == 0 && setuid(65534) == 0 &&
           geteuid() == 65534;
}

int helperExitCode(const std::string& helper, const std::string& arguments)
{
    const int status = std::system((helper + " " + arguments + " >/dev/null 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(PINGSendPeers, HelperPingsForAnUnprivilegedUser)
{
    REQUIRE_PEER(isRoot(), "root, to drop to an unprivileged user");
    InstalledHelper helper;
    REQUIRE_PEER(!helper.path().empty(), "the ping helper with cap_net_raw (setcap)");
    const std::string path = helper.path();
    const IsolatedOutcome outcome = runIsolatedChecks([&](ChildReport& r) {
        TPINGSend asRoot;
        asRoot.Timeout = 1000;
        CHILD_CHECK(r, asRoot.Ping("127.0.0.1"));
        CHILD_CHECK(r, asRoot.UsedMechanism() == Mechanism::Raw); // the range is closed here

        if (!CHILD_CHECK(r, becomeNobody()))
            return;
        for (const std::string host : {"127.0.0.1", "::1"}) {
            TPINGSend ping;
            ping.HelperPath = path;
            ping.Timeout = 2000;
            CHILD_CHECK(r, ping.Ping(host));
            CHILD_CHECK(r, ping.UsedMechanism() == Mechanism::Helper);
            CHILD_CHECK(r, ping.ReplyError == TICMPError::IE_NoError);
            CHILD_CHECK_EQ(r, ping.ReplyFrom, host);
            CHILD_CHECK(r, ping.PingTime >= 0);
        }
        TPINGSend noHelper;
        noHelper.HelperPath = "/nonexistent/travimetra-ping";
        const auto start = Clock::now();
        CHILD_CHECK(r, !noHelper.Ping("127.0.0.1"));
        CHILD_CHECK(r, msSince(start) < 1000);

        // The helper sends only to the numeric unicast address it was given.
        CHILD_CHECK_EQ(r, helperExitCode(path, "127.0.0.1 500 64 32"), 0);
        CHILD_CHECK_EQ(r, helperExitCode(path, "localhost 500 64 32"), 2);
        CHILD_CHECK_EQ(r, helperExitCode(path, "224.0.0.1 500 64 32"), 2);
        CHILD_CHECK_EQ(r, helperExitCode(path, "255.255.255.255 500 64 32"), 2);
        CHILD_CHECK_EQ(r, helperExitCode(path, "127.0.0.1 500 0 32"), 2);
        CHILD_CHECK_EQ(r, helperExitCode(path, "127.0.0.1 -5 64 32"), 2);
        CHILD_CHECK_EQ(r, helperExitCode(path, "127.0.0.1 500 64 32 extra"), 2);
    });
    REQUIRE_PEER(outcome.ran, "network namespaces (root)");
}

TEST(PINGSendPeers, UnprivilegedSocketIsPreferredWhenTheRangeAllowsIt)
{
    REQUIRE_PEER(isRoot(), "root, to drop to an unprivileged user");
    const IsolatedOutcome outcome = runIsolatedChecks([](ChildReport& r) {
        if (!openPingGroupRange())
            return r.missing("a writable ping_group_range");
        if (!CHILD_CHECK(r, becomeNobody()))
            return;
        TPINGSend ping;
        ping.Timeout = 2000;
        CHILD_CHECK(r, ping.Ping("127.0.0.1"));
        CHILD_CHECK(r, ping.UsedMechanism() == Mechanism::Datagram);
    });
    REQUIRE_PEER(outcome.ran, "network namespaces (root)");
    REQUIRE_PEER(outcome.missing.empty(), outcome.missing);
}

} // namespace
