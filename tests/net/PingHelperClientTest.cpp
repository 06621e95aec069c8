// The ping helper as the client meets it: a separate program that may
// answer, fail, stall or never stop talking. Stand-in helpers are small
// shell scripts that leave traces of how far they got.
#include "PingHelperClient.h"
#include "SocketErrors.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class PingHelper : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/travimetra-helper-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_root = pattern;
    }
    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_root, ignored);
    }

    // A helper running `body`; it gets no environment, so commands are named
    // by their full path. $T is the test's folder.
    std::string helper(const std::string& body)
    {
        const std::filesystem::path path = m_root / "helper";
        std::ofstream(path) << "#!/bin/sh\nT=" << m_root.string() << "\n" << body << "\n";
        chmod(path.c_str(), 0755);
        return path.string();
    }
    bool exists(const char* name) const { return std::filesystem::exists(m_root / name); }
    // The helper's process, from the id it wrote first; gone once reaped.
    bool helperStillRuns() const
    {
        std::ifstream in(m_root / "pid");
        pid_t pid = 0;
        return (in >> pid) && pid > 0 && kill(pid, 0) == 0;
    }

    std::filesystem::path m_root;
};

TEST_F(PingHelper, ReportsWhatAWellBehavedHelperSays)
{
    const struct
    {
        const char* output;
        int error;
        const char* from;
    } cases[] = {
        {"reply 127.0.0.5 0 0 12", 0, "127.0.0.5"},
        {"timeout", SockErr::TimedOut, ""},
        {"error 113", 113, ""},
    };
    for (const auto& c : cases) {
        IcmpEchoOutcome outcome;
        ASSERT_TRUE(PingHelperClient::run(helper(std::string("echo ") + c.output), "127.0.0.5",
                                          1000, 64, 32, outcome))
            << c.output;
        EXPECT_EQ(outcome.error, c.error) << c.output;
        EXPECT_EQ(outcome.from, c.from) << c.output;
    }
}

// The address, time-out, hop limit and payload size reach the helper as its
// arguments, in that order.
TEST_F(PingHelper, PassesTheRequestAsArguments)
{
    IcmpEchoOutcome outcome;
    ASSERT_TRUE(PingHelperClient::run(helper("echo \"$@\" > $T/args; echo timeout"), "::1", 250, 7,
                                      56, outcome));
    std::ifstream in(m_root / "args");
    std::string args;
    std::getline(in, args);
    EXPECT_EQ(args, "::1 250 7 56");
}

// A failing helper's words are not taken: a good line from a helper that
// then fails, or more than one line, or nothing at all.
TEST_F(PingHelper, RefusesOutputOfAFailedOrTalkativeHelper)
{
    for (const char* body : {"echo timeout; exit 1", "echo timeout; echo timeout", "exit 0",
                             "echo 'reply 127.0.0.5 0 0 99999'", "kill -9 $$"}) {
        IcmpEchoOutcome outcome;
        outcome.error = -7;
        EXPECT_FALSE(PingHelperClient::run(helper(body), "127.0.0.5", 1000, 64, 32, outcome))
            << body;
        EXPECT_EQ(outcome.error, -7) << body << ": the outcome was changed";
    }
}

// A helper that stalls, with its answer written or not, is stopped at the
// deadline: it never gets to finish, and no process is left behind.
TEST_F(PingHelper, StalledHelperIsStoppedNotAwaited)
{
    for (const char* answer : {"", "echo timeout;"}) {
        std::filesystem::remove(m_root / "finished");
        const std::string body = std::string("echo $$ > $T/pid; ") + answer +
                                 " /bin/sleep 4; echo done > $T/finished; echo timeout";
        IcmpEchoOutcome outcome;
        EXPECT_FALSE(PingHelperClient::run(helper(body), "127.0.0.5", 0, 64, 32, outcome))
            << answer;
        EXPECT_FALSE(helperStillRuns()) << answer;
        EXPECT_FALSE(exists("finished")) << answer << ": the helper was waited for";
    }
}

TEST_F(PingHelper, RefusesWhatCannotRun)
{
    IcmpEchoOutcome outcome;
    const std::string path = helper("echo timeout");
    chmod(path.c_str(), 0644);
    EXPECT_FALSE(PingHelperClient::run(path, "127.0.0.5", 1000, 64, 32, outcome));
    EXPECT_FALSE(
        PingHelperClient::run((m_root / "missing").string(), "127.0.0.5", 1000, 64, 32, outcome));
    chmod(path.c_str(), 0755);
    EXPECT_FALSE(PingHelperClient::run(path, "127.0.0.5", -1, 64, 32, outcome));
}

} // namespace
