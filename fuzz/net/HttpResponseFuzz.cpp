// Feeds bytes as a server's response to the HTTP client's reader, through a
// real stream socket (one end of a socket pair), so line reading and the
// receive buffer are exercised too. The first byte picks the method and
// protocol.

#include "HttpResponseReader.h"
#include "HttpUrl.h"
#include "THTTPSend.h"
#include "TTCPBlockSocket.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace {

class PairedStream : public TTCPBlockSocket
{
public:
    explicit PairedStream(int fd)
    {
        m_fd = fd;
        ConvertLineEnd = true;
        MaxLineLength = THTTPSend::kMaxLineLength;
    }
    // Plain close: the graceful one pauses a millisecond, which would
    // dominate every run.
    ~PairedStream() override
    {
        ::close(m_fd);
        m_fd = -1;
    }
};

// The input must fit the socket buffer: it is written before reading starts.
constexpr std::size_t kMaxInput = 100000;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1 || size > kMaxInput)
        return 0;
    const std::uint8_t mode = data[0];
    const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);

    (void)SplitURL(bytes.substr(0, 300));

    int fds[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0)
        return 0;
    int buffer = 1 << 20;
    setsockopt(fds[1], SOL_SOCKET, SO_SNDBUF, &buffer, sizeof buffer);
    setsockopt(fds[0], SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::send(fds[1], bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    ::shutdown(fds[1], SHUT_WR);

    PairedStream sock(fds[0]);
    THttpResponse response;
    const char* method = (mode & 1) ? "HEAD" : "GET";
    const char* protocol = (mode & 2) ? "1.1" : "1.0";
    HttpResponseReader::read(sock, 0, method, protocol, response);
    if (response.Document.size() > HttpResponseReader::kMaxBodySize + THTTPSend::kMaxLineLength)
        __builtin_trap();
    ::close(fds[1]);
    return 0;
}
