#include "PingHelperClient.h"
#include "WaitCancel.h"

#include "PingHelperProtocol.h"
#include "TickCount.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace PingHelperClient {

namespace {

constexpr const char* kHelperName = "travimetra-ping";
// Time the helper gets beyond the echo time-out to start and report.
constexpr int kGraceMs = 2000;

bool isExecutable(const std::string& path)
{
    return !path.empty() && access(path.c_str(), X_OK) == 0;
}

std::string ownDirectory()
{
    char path[PATH_MAX] = {};
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return {};
    const std::string exe(path, static_cast<std::size_t>(length));
    const std::size_t slash = exe.rfind('/');
    return slash == std::string::npos ? std::string() : exe.substr(0, slash);
}

// Reads the helper's output until it closes its end, the deadline passes or
// more than the protocol allows arrives.
std::string readOutput(int fd, int limitMs, bool& closed)
{
    closed = false;
    std::string output;
    const std::uint32_t start = TickCount32();
    char chunk[128];
    while (output.size() <= PingHelperProtocol::kMaxOutput) {
        const std::uint32_t elapsed = TickDiff(start, TickCount32());
        if (elapsed >= static_cast<std::uint32_t>(limitMs))
            break;
        pollfd entry{fd, POLLIN, 0};
        const int ready = WaitCancel::poll(entry, limitMs - static_cast<int>(elapsed));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            break;
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            closed = got == 0;
            break;
        }
        output.append(chunk, static_cast<std::size_t>(got));
    }
    return output;
}

} // namespace

std::string defaultPath()
{
    const std::string beside = ownDirectory();
    if (!beside.empty() && isExecutable(beside + "/" + kHelperName))
        return beside + "/" + kHelperName;
#ifdef TRAVIMETRA_PING_HELPER_BUILD_PATH
    if (isExecutable(TRAVIMETRA_PING_HELPER_BUILD_PATH))
        return TRAVIMETRA_PING_HELPER_BUILD_PATH;
#endif
    return {};
}

bool run(const std::string& helperPath, const std::string& address, int timeoutMs, int ttl,
         int payloadSize, IcmpEchoOutcome& outcome)
{
    if (!isExecutable(helperPath) || timeoutMs < 0 || timeoutMs > INT_MAX - kGraceMs)
        return false;
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0)
        return false;

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);

    const std::string timeoutText = std::to_string(timeoutMs);
    const std::string ttlText = std::to_string(ttl);
    const std::string sizeText = std::to_string(payloadSize);
    char* const argv[] = {
        const_cast<char*>(helperPath.c_str()),  const_cast<char*>(address.c_str()),
        const_cast<char*>(timeoutText.c_str()), const_cast<char*>(ttlText.c_str()),
        const_cast<char*>(sizeText.c_str()),    nullptr};
    char* const envp[] = {nullptr};
    pid_t child = -1;
    const int spawned = posix_spawn(&child, helperPath.c_str(), &actions, nullptr, argv, envp);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (spawned != 0) {
        ::close(pipeFds[0]);
        return false;
    }

    bool closed = false;
    const std::string output = readOutput(pipeFds[0], timeoutMs + kGraceMs, closed);
    ::close(pipeFds[0]);
    // A helper that overran its time or talks too much is stopped; one that
    // closed its output is ending anyway.
    if (!closed)
        kill(child, SIGKILL);
    int status = 0;
    pid_t reaped;
    do {
        reaped = waitpid(child, &status, 0);
    } while (reaped < 0 && errno == EINTR);
    if (!closed || reaped != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return false;
    return PingHelperProtocol::parse(output, timeoutMs, outcome);
}

} // namespace PingHelperClient
