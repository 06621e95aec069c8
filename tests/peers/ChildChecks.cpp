#include "ChildChecks.h"

#include "IsolatedNetwork.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {
// A child's report must fit the pipe, which is only read after the child ends.
constexpr int kMaxLines = 40;
constexpr std::size_t kMaxLineLength = 400;
} // namespace

void ChildReport::write(const std::string& line)
{
    if (m_lines++ >= kMaxLines)
        return;
    std::string text = line.substr(0, kMaxLineLength);
    for (char& c : text)
        if (c == '\n')
            c = ' ';
    text += '\n';
    (void)!::write(m_fd, text.data(), text.size());
}

void ChildReport::fail(const std::string& what)
{
    write("F" + what);
}

void ChildReport::missing(const std::string& what)
{
    write("M" + what);
}

IsolatedOutcome runIsolatedChecks(const std::function<void(ChildReport&)>& body)
{
    IsolatedOutcome outcome;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return outcome;
    const int code = runInIsolatedNetwork([&] {
        ::close(fds[0]);
        ChildReport report(fds[1]);
        body(report);
        return 0;
    });
    ::close(fds[1]);
    std::string text;
    char chunk[512];
    ssize_t got;
    while ((got = ::read(fds[0], chunk, sizeof chunk)) > 0)
        text.append(chunk, static_cast<std::size_t>(got));
    ::close(fds[0]);

    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        const std::string line = text.substr(start, end - start);
        start = end == std::string::npos ? text.size() : end + 1;
        if (line.empty())
            continue;
        if (line[0] == 'M')
            outcome.missing += (outcome.missing.empty() ? "" : "; ") + line.substr(1);
        else
            ADD_FAILURE() << "in the isolated child: " << line.substr(1);
    }
    outcome.ran = code == 0;
    return outcome;
}
