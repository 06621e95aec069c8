// What a hostile HTTP answer costs the reader: 16 MiB of empty lines, served
// between two chunks and read line by line, beside an ordinary 16 MiB body
// (the baseline). Each iteration serves the bytes over a local socket pair
// from a thread of its own, as a server would.

#include "HttpResponseReader.h"
#include "TTCPBlockSocket.h"

#include <benchmark/benchmark.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr std::size_t k16MiB = 16u << 20;

// One end of a socket pair read like the HTTP client reads; the other end is
// written by a thread until all is sent or the reader went away.
class ServedStream : public TTCPBlockSocket
{
public:
    explicit ServedStream(const std::string& bytes)
    {
        int fds[2];
        if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0)
            return;
        m_fd = fds[0];
        ConvertLineEnd = true;
        MaxLineLength = 64 * 1024;
        m_server = std::thread([fd = fds[1], &bytes] {
            std::size_t done = 0;
            while (done < bytes.size()) {
                const ssize_t n =
                    ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
                if (n <= 0)
                    break;
                done += static_cast<std::size_t>(n);
            }
            ::close(fd);
        });
    }
    ~ServedStream() override
    {
        closeHandle(); // a server still writing sees the reader gone
        if (m_server.joinable())
            m_server.join();
    }

private:
    std::thread m_server;
};

const std::string& emptyLines()
{
    static const std::string lines = [] {
        std::string text;
        text.reserve(k16MiB);
        while (text.size() < k16MiB)
            text += "\r\n";
        return text;
    }();
    return lines;
}

void BM_ChunkedAnswerWith16MiBOfEmptyLines(benchmark::State& state)
{
    const std::string answer = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nab\r\n" +
                               emptyLines() + "2\r\ncd\r\n0\r\n\r\n";
    for (auto _ : state) {
        ServedStream sock(answer);
        THttpResponse response;
        benchmark::DoNotOptimize(HttpResponseReader::read(sock, 5000, "GET", "1.1", response));
    }
}
BENCHMARK(BM_ChunkedAnswerWith16MiBOfEmptyLines)->Unit(benchmark::kMillisecond)->UseRealTime();

// The line reader alone over all 8 Mi empty lines: what the reader would pay
// if nothing limited them.
void BM_ReadLines16MiBOfEmptyLines(benchmark::State& state)
{
    for (auto _ : state) {
        ServedStream sock(emptyLines());
        std::size_t lines = 0;
        while (true) {
            const std::string line = sock.ReceiveLine(5000);
            if (sock.LastError() != 0)
                break;
            ++lines;
        }
        if (lines != k16MiB / 2)
            state.SkipWithError("lines lost");
    }
}
BENCHMARK(BM_ReadLines16MiBOfEmptyLines)->Unit(benchmark::kMillisecond)->UseRealTime();

// The baseline: an ordinary answer of 16 MiB by Content-Length.
void BM_Ordinary16MiBBody(benchmark::State& state)
{
    const std::string answer = "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(k16MiB) +
                               "\r\n\r\n" + std::string(k16MiB, 'x');
    for (auto _ : state) {
        ServedStream sock(answer);
        THttpResponse response;
        if (!HttpResponseReader::read(sock, 5000, "GET", "1.0", response) ||
            response.Document.size() != k16MiB)
            state.SkipWithError("body not read");
    }
}
BENCHMARK(BM_Ordinary16MiBBody)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
