// What a stream reader takes from a server that declares too much, or sends
// lines and bodies right at the limits: judged by the bytes the server got
// rid of and by what the next read on the same connection sees.
#include "HttpResponseReader.h"
#include "SocketErrors.h"
#include "THTTPSend.h"
#include "TTCPBlockSocket.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

// The client's end of a socket pair, set up like the HTTP client's socket; a
// writer thread feeds the other end and counts what the client let through.
class FedStream : public TTCPBlockSocket
{
public:
    FedStream()
    {
        int fds[2];
        EXPECT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds), 0);
        m_fd = fds[0];
        m_server = fds[1];
        ConvertLineEnd = true;
        MaxLineLength = THTTPSend::kMaxLineLength;
    }
    ~FedStream() override
    {
        hangUp();
        if (m_writer.joinable())
            m_writer.join();
        ::close(m_server);
    }

    // Starts writing `bytes` (then half-closes when `thenClose`); the writer
    // blocks whenever the client stops reading.
    void feed(std::string bytes, bool thenClose)
    {
        m_writer = std::thread([this, bytes = std::move(bytes), thenClose] {
            std::size_t done = 0;
            while (done < bytes.size()) {
                const std::size_t piece = std::min<std::size_t>(bytes.size() - done, 65536);
                const ssize_t n = ::send(m_server, bytes.data() + done, piece, MSG_NOSIGNAL);
                if (n <= 0)
                    return;
                done += static_cast<std::size_t>(n);
                m_sent = done;
            }
            if (thenClose)
                ::shutdown(m_server, SHUT_WR);
        });
    }
    std::size_t sent() const { return m_sent; }
    // The client goes away without reading on: a blocked writer gives up.
    void hangUp()
    {
        if (m_fd >= 0)
            ::shutdown(m_fd, SHUT_RDWR);
    }

private:
    int m_server = -1;
    std::thread m_writer;
    std::atomic<std::size_t> m_sent{0};
};

constexpr std::size_t kBody = HttpResponseReader::kMaxBodySize;
// Far more than the socket pair buffers, far less than a body at the limit.
constexpr std::size_t kMostUnread = 4u << 20;

std::string hex(std::size_t n)
{
    char text[32];
    std::snprintf(text, sizeof text, "%zx", n);
    return text;
}

struct Declaration
{
    const char* what;
    std::string head;
    std::size_t bodySize;
    std::string tail;
};

// A size above the budget is refused as soon as it is read: the body behind
// it, although the server offers all of it, stays unread.
TEST(StreamLimits, OversizedDeclarationsLeaveTheBodyUnread)
{
    const Declaration cases[] = {
        {"Content-Length one over",
         "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(kBody + 1) + "\r\n\r\n", kBody + 1,
         ""},
        {"one chunk one over",
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n" + hex(kBody + 1) + "\r\n",
         kBody + 1, "\r\n0\r\n\r\n"},
        {"second chunk beyond what the first left",
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n" + hex(kBody / 2) + "\r\n" +
             std::string(kBody / 2, 'a') + "\r\n" + hex(kBody / 2 + 1) + "\r\n",
         kBody / 2 + 1, "\r\n0\r\n\r\n"},
    };
    for (const Declaration& c : cases) {
        FedStream sock;
        sock.feed(c.head + std::string(c.bodySize, 'b') + c.tail, true);
        THttpResponse r;
        EXPECT_FALSE(HttpResponseReader::read(sock, 5000, "GET", "1.1", r)) << c.what;
        EXPECT_LT(sock.sent(), c.head.size() + kMostUnread)
            << c.what << ": the refused body was read";
        EXPECT_LE(r.Document.size(), kBody) << c.what;
        sock.hangUp();
    }
}

// Exactly at the budget is still a body, read to its end.
TEST(StreamLimits, BodyExactlyAtTheBudgetIsRead)
{
    FedStream sock;
    sock.feed("HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(kBody) + "\r\n\r\n" +
                  std::string(kBody, 'c'),
              false);
    THttpResponse r;
    ASSERT_TRUE(HttpResponseReader::read(sock, 5000, "GET", "1.1", r));
    EXPECT_EQ(r.Document.size(), kBody);
    EXPECT_EQ(r.DownloadSize, static_cast<std::int64_t>(kBody));
}

struct Bodiless
{
    const char* method;
    std::string first;
    int code;
};

// Answers without a body end at their empty line even when they declare a
// length and the server keeps the connection open: the next answer on the
// connection is read whole, from its first byte.
TEST(StreamLimits, BodilessAnswersLeaveTheNextAnswerWhole)
{
    const Bodiless cases[] = {
        {"GET", "HTTP/1.1 304 Not Modified\r\nContent-Length: 5\r\n\r\n", 304},
        {"GET", "HTTP/1.1 304 Not Modified\r\nETag: \"x\"\r\n\r\n", 304},
        {"GET", "HTTP/1.1 204 No Content\r\nContent-Length: 5\r\n\r\n", 204},
        {"HEAD", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\n", 200},
    };
    for (const Bodiless& c : cases) {
        FedStream sock;
        sock.feed(c.first + "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok", false);
        THttpResponse r;
        ASSERT_TRUE(HttpResponseReader::read(sock, 3000, c.method, "1.1", r)) << c.first;
        EXPECT_EQ(r.ResultCode, c.code);
        EXPECT_EQ(r.Document, "") << c.first;
        ASSERT_TRUE(HttpResponseReader::read(sock, 3000, "GET", "1.1", r)) << c.first;
        EXPECT_EQ(r.ResultCode, 200) << c.first;
        EXPECT_EQ(r.Document, "ok") << c.first;
    }
}

// A line exactly as long as the limit is a line; one byte more is refused
// and its bytes are kept, not handed out as a shorter line.
TEST(StreamLimits, LineLengthLimitMetExactly)
{
    const std::size_t limit = 64;
    for (const std::size_t length : {limit - 1, limit, limit + 1}) {
        FedStream sock;
        sock.MaxLineLength = limit;
        const std::string line(length, 'x');
        sock.feed(line + "\r\nnext\r\n", false);
        const std::string got = sock.ReceiveLine(2000);
        if (length <= limit) {
            EXPECT_EQ(sock.LastError(), SockErr::Ok) << length;
            EXPECT_EQ(got, line);
            EXPECT_EQ(sock.ReceiveLine(2000), "next") << length;
        } else {
            EXPECT_EQ(sock.LastError(), SockErr::NoBufferSpace) << length;
            EXPECT_EQ(got, "");
            EXPECT_EQ(sock.ReceiveBufferContents().substr(0, length), line);
        }
    }
}

// The HTTP client's own limit, met by a header line.
TEST(StreamLimits, HeaderLineAtTheClientLimit)
{
    const std::size_t limit = THTTPSend::kMaxLineLength;
    const std::string prefix = "X-Long: ";
    for (const std::size_t length : {limit, limit + 1}) {
        FedStream sock;
        sock.feed("HTTP/1.1 200 OK\r\n" + prefix + std::string(length - prefix.size(), 'h') +
                      "\r\nContent-Length: 2\r\n\r\nok",
                  false);
        THttpResponse r;
        EXPECT_EQ(HttpResponseReader::read(sock, 3000, "GET", "1.1", r), length == limit) << length;
        EXPECT_EQ(r.Document, length == limit ? "ok" : "") << length;
    }
}

// An exact read takes what was asked for, not a byte more, even when the
// rest came in the same packet; the rest waits for the next read.
TEST(StreamLimits, ExactReadTakesNoByteMore)
{
    for (const std::size_t extra : {0u, 1u, 2u, 40u}) {
        FedStream sock;
        sock.feed(std::string(9, 'd') + std::string(extra, 'e'), false);
        ASSERT_TRUE(sock.WaitReadable(2000));
        std::string stream;
        ASSERT_EQ(sock.ReceiveExact(stream, 2000, 9), SockErr::Ok) << extra;
        EXPECT_EQ(stream, std::string(9, 'd')) << extra;
        EXPECT_EQ(sock.ReceiveBufferContents(), std::string(extra, 'e')) << extra;
    }
}

} // namespace
