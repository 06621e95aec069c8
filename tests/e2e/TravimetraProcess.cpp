#include "TravimetraProcess.h"

#include "Waiting.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

TravimetraProcess::TravimetraProcess(std::string display, std::string home)
    : m_display(std::move(display)), m_home(std::move(home))
{
}

TravimetraProcess::~TravimetraProcess()
{
    if (m_pid > 0 && !m_ended) {
        ::kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
}

std::string TravimetraProcess::executable()
{
    const char* prefix = std::getenv("TRAVIMETRA_E2E_PREFIX");
    return std::string(prefix ? prefix : "") + "/bin/travimetra";
}

bool TravimetraProcess::start()
{
    // One runtime folder per user session, shared by every start in it.
    const std::string runtime = m_home + "/.runtime";
    ::mkdir(runtime.c_str(), 0700);
    std::vector<std::string> env = {
        "HOME=" + m_home,
        "USER=" + std::string(std::getenv("USER") ? std::getenv("USER") : "root"),
        "PATH=/usr/local/bin:/usr/bin:/bin",
        "DISPLAY=" + m_display,
        "XDG_RUNTIME_DIR=" + runtime,
        "LANG=C.UTF-8",
        // No accessibility bus and no desktop portal in the test session.
        "NO_AT_BRIDGE=1",
        "QT_LINUX_ACCESSIBILITY_ALWAYS_ON=0",
    };
    // An added entry takes the place of one of the same name (a second login
    // session's runtime folder).
    for (const std::string& extra : m_extraEnvironment) {
        const std::string name = extra.substr(0, extra.find('=') + 1);
        env.erase(std::remove_if(env.begin(), env.end(),
                                 [&](const std::string& e) { return e.rfind(name, 0) == 0; }),
                  env.end());
        env.push_back(extra);
    }
    std::vector<char*> envp;
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string program = executable();
    std::vector<char*> argv = {program.data(), nullptr};
    const std::string out = m_dir.file("output.txt");

    const pid_t child = fork();
    if (child < 0)
        return false;
    if (child == 0) {
        const int log = ::open(out.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (log >= 0) {
            dup2(log, STDOUT_FILENO);
            dup2(log, STDERR_FILENO);
        }
        const int devNull = ::open("/dev/null", O_RDONLY);
        if (devNull >= 0)
            dup2(devNull, STDIN_FILENO);
        if (::chdir(m_home.c_str()) != 0)
            _exit(126);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    m_pid = child;
    m_ended = false;
    m_exitCode.reset();
    return true;
}

bool TravimetraProcess::running()
{
    if (m_pid <= 0 || m_ended)
        return false;
    int status = 0;
    if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
        m_ended = true;
        if (WIFEXITED(status))
            m_exitCode = WEXITSTATUS(status);
        return false;
    }
    return true;
}

std::optional<int> TravimetraProcess::waitForExit(std::chrono::milliseconds limit)
{
    if (!waitUntil([&] { return !running(); }, limit))
        return std::nullopt;
    return m_exitCode;
}

std::optional<int> TravimetraProcess::endWith(int signal, std::chrono::milliseconds limit)
{
    if (running())
        ::kill(m_pid, signal);
    return waitForExit(limit);
}

std::string TravimetraProcess::output() const
{
    std::ifstream in(m_dir.file("output.txt"));
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}
