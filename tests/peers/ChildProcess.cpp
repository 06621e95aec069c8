#include "ChildProcess.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

std::vector<char*> pointers(std::vector<std::string>& strings)
{
    std::vector<char*> out;
    for (std::string& s : strings)
        out.push_back(s.data());
    out.push_back(nullptr);
    return out;
}

} // namespace

ChildProcess::~ChildProcess()
{
    stop();
}

bool ChildProcess::start(const std::vector<std::string>& argv, const std::string& logFile,
                         const std::vector<std::string>& extraEnvironment)
{
    stop();
    std::vector<std::string> args = argv;
    std::vector<char*> argp = pointers(args);
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        env.emplace_back(*e);
    for (const std::string& e : extraEnvironment)
        env.push_back(e);
    std::vector<char*> envp = pointers(env);

    const pid_t child = fork();
    if (child < 0)
        return false;
    if (child == 0) {
        const int log = ::open(logFile.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (log >= 0) {
            dup2(log, STDOUT_FILENO);
            dup2(log, STDERR_FILENO);
        }
        const int devNull = ::open("/dev/null", O_RDONLY);
        if (devNull >= 0)
            dup2(devNull, STDIN_FILENO);
        setpgid(0, 0);
        execve(argp[0], argp.data(), envp.data());
        _exit(127);
    }
    m_pid = child;
    return true;
}

bool ChildProcess::running()
{
    if (m_pid <= 0)
        return false;
    int status = 0;
    if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
        m_pid = -1;
        return false;
    }
    return true;
}

void ChildProcess::stop()
{
    if (m_pid <= 0)
        return;
    ::kill(m_pid, SIGTERM);
    for (int i = 0; i < 300; ++i) {
        int status = 0;
        if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::kill(m_pid, SIGKILL);
    waitpid(m_pid, nullptr, 0);
    m_pid = -1;
}

std::string findExecutable(const std::string& name)
{
    std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    path += ":/usr/local/sbin:/usr/sbin:/sbin";
    std::size_t from = 0;
    while (from <= path.size()) {
        const std::size_t to = path.find(':', from);
        const std::string dir =
            path.substr(from, to == std::string::npos ? std::string::npos : to - from);
        if (!dir.empty()) {
            const std::string candidate = dir + "/" + name;
            if (::access(candidate.c_str(), X_OK) == 0)
                return candidate;
        }
        if (to == std::string::npos)
            break;
        from = to + 1;
    }
    return {};
}

std::string runCommand(const std::vector<std::string>& argv, int* status)
{
    if (status)
        *status = -1;
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0)
        return {};
    std::vector<std::string> args = argv;
    std::vector<char*> argp = pointers(args);
    const pid_t child = fork();
    if (child < 0) {
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        return {};
    }
    if (child == 0) {
        dup2(pipeFds[1], STDOUT_FILENO);
        const int devNull = ::open("/dev/null", O_RDWR);
        if (devNull >= 0) {
            dup2(devNull, STDIN_FILENO);
            dup2(devNull, STDERR_FILENO);
        }
        execvp(argp[0], argp.data());
        _exit(127);
    }
    ::close(pipeFds[1]);
    std::string out;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR))
        if (n > 0)
            out.append(buffer, static_cast<std::size_t>(n));
    ::close(pipeFds[0]);
    int waitStatus = 0;
    if (waitpid(child, &waitStatus, 0) == child && WIFEXITED(waitStatus) && status)
        *status = WEXITSTATUS(waitStatus);
    return out;
}
