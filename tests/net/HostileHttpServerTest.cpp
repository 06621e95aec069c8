// Servers that try to make one request cost more than it weighs: endless
// empty lines between chunks, answers trickled a byte at a time. Each case is
// one script for the tests' own HTTP server and what the client must make of it.

#include "ScriptedHttpServer.h"
#include "THTTPSend.h"

#include <chrono>
#include <gtest/gtest.h>

namespace {

using Clock = std::chrono::steady_clock;
using Piece = ScriptedHttpServer::Piece;
using Ending = ScriptedHttpServer::Ending;
using Lines = std::vector<std::string>;

long msSince(Clock::time_point start)
{
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

const std::string kChunkedHead = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";

std::vector<Piece> trickled(const std::string& bytes, int delayMs)
{
    std::vector<Piece> pieces;
    for (char c : bytes)
        pieces.push_back({std::string(1, c), delayMs});
    return pieces;
}

struct Case
{
    const char* name;
    std::vector<Piece> script;
    Ending ending;
    int deadlineMs; // 0: none
    bool succeeds;
    Lines lines;     // after the request; "unchanged" when it failed
    long maxElapsed; // the request must be over by then (ms)
};

TEST(HostileHttpServer, EachAnswerCostsWhatItWeighs)
{
    const std::string manyEmpty(2 * 1024 * 1024, '\n');
    const std::vector<Case> cases = {
        {"a few empty lines between chunks are forgiven",
         {{kChunkedHead + "3\r\n1.2\r\n\r\n\r\n\r\n\r\n2\r\n.3\r\n0\r\n\r\n"}},
         Ending::Close,
         0,
         true,
         {"1.2.3"},
         3000},
        {"endless empty lines between chunks end the request",
         {{kChunkedHead + "3\r\n1.2\r\n"}, {manyEmpty, 0}, {"2\r\n.3\r\n0\r\n\r\n"}},
         Ending::Hold,
         0,
         false,
         {"unchanged"},
         3000},
        {"empty lines before the first chunk count too",
         {{kChunkedHead}, {manyEmpty, 0}, {"3\r\n1.2\r\n0\r\n\r\n"}},
         Ending::Hold,
         0,
         false,
         {"unchanged"},
         3000},
        {"a head trickled a byte at a time meets the deadline",
         trickled("HTTP/1.0 200 OK\r\nContent-Length: 7\r\n\r\n1.2.3.4", 40),
         Ending::Hold,
         500,
         false,
         {"unchanged"},
         2500},
        {"a body trickled a byte at a time meets the deadline",
         [] {
             std::vector<Piece> script = {{"HTTP/1.0 200 OK\r\nContent-Length: 60\r\n\r\n"}};
             for (const Piece& p : trickled(std::string(60, 'x'), 40))
                 script.push_back(p);
             return script;
         }(),
         Ending::Hold,
         500,
         false,
         {"unchanged"},
         2500},
        {"a quick answer within the deadline is read",
         {{"HTTP/1.0 200 OK\r\nContent-Length: 7\r\n\r\n1.2.3.4"}},
         Ending::Hold,
         2000,
         true,
         {"1.2.3.4"},
         2500},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedHttpServer server(c.script, c.ending);
        ASSERT_TRUE(server.listening());
        Lines lines{"unchanged"};
        const auto start = Clock::now();
        EXPECT_EQ(HTTPGetLines(server.url("/"), lines, c.deadlineMs), c.succeeds);
        const long elapsed = msSince(start);
        EXPECT_EQ(lines, c.lines);
        EXPECT_LT(elapsed, c.maxElapsed);
        if (c.deadlineMs > 0 && !c.succeeds) {
            EXPECT_GE(elapsed, c.deadlineMs - 20);
        }
    }
}

TEST(HostileHttpServer, TheDeadlineHoldsForTheWholeRequestNotEachWait)
{
    // Every byte comes well within the per-wait time-out; only the overall
    // deadline can end this.
    ScriptedHttpServer server(trickled("HTTP/1.0 200 OK\r\n\r\n" + std::string(100, 'y'), 30),
                              Ending::Hold);
    THTTPSend http;
    http.Timeout = 1000;
    http.Deadline = 400;
    const auto start = Clock::now();
    EXPECT_FALSE(http.Execute("GET", server.url("/")));
    EXPECT_LT(msSince(start), 2000);

    // The next request on a new client has its own full deadline.
    ScriptedHttpServer quick({{"HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nok"}}, Ending::Hold);
    THTTPSend again;
    again.Deadline = 400;
    ASSERT_TRUE(again.Execute("GET", quick.url("/")));
    EXPECT_EQ(again.Document, "ok");
}

} // namespace
