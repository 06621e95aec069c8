#pragma once

#include <functional>
#include <sstream>
#include <string>

// Checks made in a child process (one that runs in a network namespace of
// its own) travel back to the test through a pipe and fail it there.
class ChildReport
{
public:
    explicit ChildReport(int fd) : m_fd(fd) {}
    void fail(const std::string& what);
    // The child cannot run its checks (a missing tool): the test is skipped,
    // or fails in CI.
    void missing(const std::string& what);
    bool check(bool condition, const char* expression, int line)
    {
        if (!condition)
            fail(std::string(expression) + " (line " + std::to_string(line) + ")");
        return condition;
    }
    template <typename A, typename B>
    bool checkEq(const A& actual, const B& expected, const char* expression, int line)
    {
        if (actual == expected)
            return true;
        std::ostringstream text;
        text << expression << ": got " << actual << ", expected " << expected << " (line " << line
             << ")";
        fail(text.str());
        return false;
    }

private:
    void write(const std::string& line);
    int m_fd;
    int m_lines = 0;
};

#define CHILD_CHECK(report, condition) (report).check((condition), #condition, __LINE__)
#define CHILD_CHECK_EQ(report, actual, expected)                                                   \
    (report).checkEq((actual), (expected), #actual " == " #expected, __LINE__)

struct IsolatedOutcome
{
    bool ran = false;    // the namespace could be made and the body ran to its end
    std::string missing; // what the body reported missing
};

// Runs `body` in a child inside a fresh network namespace (loopback only);
// every failure it records is added to the current test.
IsolatedOutcome runIsolatedChecks(const std::function<void(ChildReport&)>& body);
