#include "HttpResponseReader.h"
#include "SocketErrors.h"
#include "THTTPSend.h"
#include "TTCPBlockSocket.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

// A stream socket over one end of a socket pair, configured like the HTTP
// client's; the test writes the server's side.
class PairedStream : public TTCPBlockSocket
{
public:
    PairedStream()
    {
        int fds[2];
        EXPECT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds), 0);
        m_fd = fds[0];
        m_peer = fds[1];
        ConvertLineEnd = true;
        MaxLineLength = THTTPSend::kMaxLineLength;
    }
    ~PairedStream() override
    {
        if (m_peer >= 0)
            ::close(m_peer);
    }
    // Writes the server's bytes; false when the client went away first.
    bool serve(const std::string& bytes, bool thenClose = true)
    {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n =
                ::send(m_peer, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
            if (n <= 0)
                return false;
            done += static_cast<std::size_t>(n);
        }
        if (thenClose)
            ::shutdown(m_peer, SHUT_WR);
        return true;
    }

private:
    int m_peer = -1;
};

bool readFrom(const std::string& server, THttpResponse& response, bool close = true,
              const std::string& method = "GET")
{
    PairedStream sock;
    EXPECT_TRUE(sock.serve(server, close));
    return HttpResponseReader::read(sock, 200, method, "1.0", response);
}

TEST(HttpResponseReader, ReadsHeadAndBodyByLength)
{
    THttpResponse r;
    ASSERT_TRUE(readFrom("HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nContent-Length: "
                         "13\r\n\r\nHello, world!trailing junk",
                         r));
    EXPECT_EQ(r.ResultCode, 200);
    EXPECT_EQ(r.ResultString, "OK");
    EXPECT_EQ(r.Document, "Hello, world!");
    EXPECT_EQ(r.DownloadSize, 13);
    EXPECT_EQ(r.MimeType, "text/plain");
    ASSERT_EQ(r.Headers.size(), 4u);
    EXPECT_EQ(r.Headers.back(), "");
}

TEST(HttpResponseReader, ReadsChunksBySizeBeforeTheExtension)
{
    THttpResponse r;
    const std::string body(26, 'q');
    ASSERT_TRUE(readFrom("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n1a;name=value\r\n" +
                             body + "\r\n3\r\nabc\r\n0\r\n\r\n",
                         r));
    EXPECT_EQ(r.Document, body + "abc");
}

TEST(HttpResponseReader, ReadsUntilCloseAndAcceptsMissingHeads)
{
    THttpResponse r;
    ASSERT_TRUE(readFrom("\r\n\n\r\nHTTP/1.0 404 Not Found\r\n\r\nline 1\nline 2\n", r));
    EXPECT_EQ(r.ResultCode, 404);
    EXPECT_EQ(r.ResultString, "Not Found");
    EXPECT_EQ(r.Document, "line 1\nline 2\n");

    ASSERT_TRUE(readFrom("no head here\nsecond\n", r));
    EXPECT_EQ(r.ResultCode, 0);
    EXPECT_EQ(r.Document, "no head here\r\nsecond\n");
    EXPECT_TRUE(r.Headers.empty());

    // Without a close the body ends by time-out: incomplete.
    EXPECT_FALSE(readFrom("HTTP/1.0 200 OK\r\n\r\npartial", r, false));
}

TEST(HttpResponseReader, ReadsNoBodyForHeadAnd204)
{
    THttpResponse r;
    ASSERT_TRUE(readFrom("HTTP/1.0 204 No Content\r\n\r\nignored", r, false));
    EXPECT_EQ(r.Document, "");
    ASSERT_TRUE(readFrom("HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\n", r, false, "head"));
    EXPECT_EQ(r.Document, "");
    ASSERT_TRUE(readFrom("HTTP/1.0 200 OK\r\nContent-Length: -5\r\n\r\n", r, false));
    EXPECT_EQ(r.Document, "");
}

TEST(HttpResponseReader, ParsesStatusLines)
{
    int code = -1;
    std::string reason;
    HttpResponseReader::parseStatusLine("HTTP/1.1   301   Moved  Permanently ", code, reason);
    EXPECT_EQ(code, 301);
    EXPECT_EQ(reason, "Moved  Permanently");
    HttpResponseReader::parseStatusLine("HTTP/1.0 200", code, reason);
    EXPECT_EQ(code, 200);
    EXPECT_EQ(reason, "");
    HttpResponseReader::parseStatusLine("HTTP/1.0 abc def", code, reason);
    EXPECT_EQ(code, 0);
    HttpResponseReader::parseStatusLine("HTTP/1.0", code, reason);
    EXPECT_EQ(code, 0);
}

TEST(HttpResponseReader, RefusesOversizedDeclarationsWithoutReadingThem)
{
    THttpResponse r;
    // Declared sizes above the limit fail at once; nothing is allocated for them.
    EXPECT_FALSE(readFrom("HTTP/1.0 200 OK\r\nContent-Length: 16777217\r\n\r\nabc", r, false));
    EXPECT_FALSE(readFrom("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
                          "7fffffffffffffff\r\nabc",
                          r, false));
    EXPECT_FALSE(readFrom("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
                          "fffffffffffffffffffff\r\nabc",
                          r, false));
    // An invalid chunk size ends the body like a last chunk.
    ASSERT_TRUE(readFrom("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nab\r\nzz\r\n",
                         r, false));
    EXPECT_EQ(r.Document, "ab");
}

TEST(HttpResponseReader, RefusesLinesLongerThanTheLimit)
{
    PairedStream sock;
    THttpResponse r;
    std::thread server(
        [&] { sock.serve("HTTP/1.0 200 OK\r\nX-Long: " + std::string(70000, 'a'), false); });
    EXPECT_FALSE(HttpResponseReader::read(sock, 2000, "GET", "1.0", r));
    EXPECT_EQ(sock.LastError(), SockErr::NoBufferSpace);
    server.join();
}

TEST(HttpResponseReader, RefusesBodiesAbove16MiB)
{
    const std::size_t limit = HttpResponseReader::kMaxBodySize;
    for (const std::size_t size : {limit, limit + 1}) {
        PairedStream sock;
        THttpResponse r;
        std::thread server([&] { sock.serve("HTTP/1.0 200 OK\r\n\r\n" + std::string(size, 'b')); });
        EXPECT_EQ(HttpResponseReader::read(sock, 5000, "GET", "1.0", r), size == limit) << size;
        sock.Close(); // a refused body is not read to its end: let the writer stop
        server.join();
    }
}

} // namespace

namespace {

TEST(HttpResponseReader, EmptyLinesBetweenChunksAreLimited)
{
    const std::string head = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
    struct Case
    {
        std::size_t emptyLines;
        bool complete;
    };
    // The data's own line end is one of them.
    const Case cases[] = {{0, true},
                          {HttpResponseReader::kMaxEmptyLinesBetweenChunks - 1, true},
                          {HttpResponseReader::kMaxEmptyLinesBetweenChunks, false},
                          {100000, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.emptyLines);
        std::string lines;
        for (std::size_t i = 0; i < c.emptyLines; ++i)
            lines += "\r\n";
        THttpResponse r;
        EXPECT_EQ(readFrom(head + "2\r\nab\r\n" + lines + "2\r\ncd\r\n0\r\n\r\n", r), c.complete);
        if (c.complete) {
            EXPECT_EQ(r.Document, "abcd");
        }
    }
}

} // namespace
