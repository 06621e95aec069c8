#include "NginxPeer.h"
#include "PeerRequirement.h"
#include "ScriptedHttpServer.h"
#include "THTTPSend.h"

#include <arpa/inet.h>
#include <chrono>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
using Lines = std::vector<std::string>;
using Piece = ScriptedHttpServer::Piece;
using Ending = ScriptedHttpServer::Ending;

const char* const kUserAgent = "Mozilla/4.0 (compatible; Vantrel)";

long msSince(Clock::time_point start)
{
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

TEST(HTTPSendPeers, NginxBodyArrivingWithTheHeadIsReadExactly)
{
    NginxPeer nginx;
    REQUIRE_PEER(nginx.failure().empty(), nginx.failure());

    // nginx hands head and body over in one write: a single read sees both.
    TTCPBlockSocket probe;
    ASSERT_EQ(probe.Connect(NginxPeer::Address, "80"), 0);
    ASSERT_EQ(probe.SendText("GET /hello HTTP/1.0\r\nHost: x\r\n\r\n"), 0);
    EXPECT_NE(probe.ReceivePacket(2000).find("\r\n\r\nHello, world!"), std::string::npos);

    THTTPSend http;
    http.Timeout = 3000;
    ASSERT_TRUE(http.Execute("GET", "http://127.0.0.31/hello"));
    EXPECT_EQ(http.ResultCode, 200);
    EXPECT_EQ(http.ResultString, "OK");
    EXPECT_EQ(http.Document, "Hello, world!");
    EXPECT_EQ(http.DownloadSize, 13);
    EXPECT_EQ(http.MimeType, "text/plain");
    EXPECT_EQ(http.Headers.front().rfind("HTTP/1.1 200", 0), 0u);

    Lines lines;
    ASSERT_TRUE(HTTPGetLines("http://127.0.0.31/hello", lines));
    EXPECT_EQ(lines, Lines{"Hello, world!"});
    // Port 80 stays out of the Host line.
    const std::string log = nginx.accessLog(3);
    EXPECT_NE(log.find(std::string("/hello|127.0.0.31|") + kUserAgent), std::string::npos) << log;
}

TEST(HTTPSendPeers, NotFoundPageIsACompleteResponse)
{
    NginxPeer nginx;
    REQUIRE_PEER(nginx.failure().empty(), nginx.failure());
    Lines lines{"old"};
    ASSERT_TRUE(HTTPGetLines("http://127.0.0.31/missing", lines));
    EXPECT_EQ(lines, (Lines{"Not here", "Really not"}));

    THTTPSend http;
    http.Timeout = 3000;
    ASSERT_TRUE(http.Execute("GET", "http://127.0.0.31/missing"));
    EXPECT_EQ(http.ResultCode, 404);
    EXPECT_EQ(http.ResultString, "Not Found");
}

TEST(HTTPSendPeers, PortAndQueryReachTheServer)
{
    NginxPeer nginx;
    REQUIRE_PEER(nginx.failure().empty(), nginx.failure());
    THTTPSend http;
    http.Timeout = 3000;
    ASSERT_TRUE(http.Execute("GET", "http://127.0.0.31:8080/x?y=1"));
    EXPECT_EQ(http.Document, "x-ok\n");
    EXPECT_EQ(http.TargetPort, "8080");
    const std::string log = nginx.accessLog(1);
    EXPECT_NE(log.find(std::string("/x?y=1|127.0.0.31:8080|") + kUserAgent), std::string::npos)
        << log;
}

TEST(HTTPSendPeers, Http11KeepsTheConnectionForTheNextRequest)
{
    NginxPeer nginx;
    REQUIRE_PEER(nginx.failure().empty(), nginx.failure());
    THTTPSend http;
    http.Timeout = 3000;
    http.Protocol = "1.1";
    ASSERT_TRUE(http.Execute("GET", "http://127.0.0.31/hello"));
    ASSERT_TRUE(http.Execute("GET", "http://127.0.0.31/x"));
    EXPECT_EQ(http.Document, "x-ok\n");
    const std::string log = nginx.accessLog(2);
    const std::size_t first = log.find('\n');
    ASSERT_NE(first, std::string::npos) << log;
    // Both lines end in the same connection number.
    const std::string firstConnection =
        log.substr(log.rfind('|', first) + 1, first - log.rfind('|', first) - 1);
    const std::size_t second = log.find('\n', first + 1);
    ASSERT_NE(second, std::string::npos) << log;
    EXPECT_EQ(log.substr(log.rfind('|', second) + 1, second - log.rfind('|', second) - 1),
              firstConnection)
        << log;
}

TEST(HTTPSendPeers, SendsTheHeadExactlyAndReadsChunksWithExtensions)
{
    const std::string body(26, 'z');
    ScriptedHttpServer server(
        {{"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n"
          "Set-Cookie: session=abc; Path=/\r\nSet-Cookie: theme = dark\r\n\r\n"},
         {"1a;name=value\r\n" + body.substr(0, 10), 20},
         {body.substr(10) + "\r\n", 20},
         {"4\r\ntail\r\n0\r\nX-Trailer: t\r\n\r\n", 20}},
        Ending::Close);
    ASSERT_TRUE(server.listening());
    THTTPSend http;
    http.Timeout = 3000;
    const std::string url = "http://user:pw@127.0.0.32:" + server.port() + "/path?q=1";
    ASSERT_TRUE(http.Execute("get", url));
    EXPECT_EQ(http.Document, body + "tail");
    EXPECT_EQ(http.CookieValue("session"), "abc");
    EXPECT_EQ(http.CookieValue("theme"), "dark");
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0], "GET /path?q=1 HTTP/1.0\r\nHost: 127.0.0.32:" + server.port() +
                                        "\r\nAuthorization: Basic dXNlcjpwdw==\r\n"
                                        "User-Agent: " +
                                        kUserAgent + "\r\n\r\n");
}

TEST(HTTPSendPeers, BodyWithoutLengthEndsWhenTheServerCloses)
{
    ScriptedHttpServer server({{"HTTP/1.0 200 OK\r\n\r\none\r\n"}, {"two\r\n", 30}}, Ending::Close);
    Lines lines;
    ASSERT_TRUE(HTTPGetLines(server.url("/"), lines));
    EXPECT_EQ(lines, (Lines{"one", "two"}));
}

TEST(HTTPSendPeers, BlankLinesBeforeTheStatusLineAreSkipped)
{
    ScriptedHttpServer server({{"\r\n\r\nHTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nok"}},
                              Ending::Hold);
    THTTPSend http;
    http.Timeout = 3000;
    ASSERT_TRUE(http.Execute("GET", server.url("/")));
    EXPECT_EQ(http.ResultCode, 200);
    EXPECT_EQ(http.Document, "ok");
}

TEST(HTTPSendPeers, SilentOrStalledServersFailAfterTheTimeout)
{
    {
        ScriptedHttpServer server({}, Ending::Hold);
        THTTPSend http;
        http.Timeout = 300;
        const auto start = Clock::now();
        EXPECT_FALSE(http.Execute("GET", server.url("/")));
        const long elapsed = msSince(start);
        EXPECT_GE(elapsed, 290);
        EXPECT_LT(elapsed, 3000);
        EXPECT_EQ(http.ResultCode, 500);
    }
    {
        // A body without a length that stops coming is incomplete.
        ScriptedHttpServer server({{"HTTP/1.0 200 OK\r\n\r\npart"}}, Ending::Hold);
        THTTPSend http;
        http.Timeout = 300;
        EXPECT_FALSE(http.Execute("GET", server.url("/")));
        EXPECT_EQ(http.ResultCode, 200);
    }
}

TEST(HTTPSendPeers, UnreachableServersAndHttpsFailWithoutTouchingTheList)
{
    ScriptedHttpServer server({{"HTTP/1.0 200 OK\r\n\r\nplain"}}, Ending::Close);
    Lines lines{"unchanged"};
    // No TLS here: an https URL must not be answered over plain text.
    EXPECT_FALSE(HTTPGetLines("https://127.0.0.32:" + server.port() + "/", lines));
    // Nor may a URL carry header lines of its own.
    EXPECT_FALSE(HTTPGetLines(server.url("/a\r\nX-Injected: 1"), lines));
    EXPECT_TRUE(server.requests().empty());

    // A port nobody listens on.
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    inet_pton(AF_INET, ScriptedHttpServer::Address, &address.sin_addr);
    socklen_t length = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    THTTPSend http;
    EXPECT_FALSE(
        http.Execute("GET", "http://127.0.0.32:" + std::to_string(ntohs(address.sin_port)) + "/"));
    EXPECT_EQ(http.ResultCode, 500);
    EXPECT_FALSE(
        HTTPGetLines("http://127.0.0.32:" + std::to_string(ntohs(address.sin_port)) + "/", lines));
    EXPECT_EQ(lines, Lines{"unchanged"});
}

} // namespace
