#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

// A server process started by a test and stopped with it: SIGTERM, then
// SIGKILL if it lingers. Its output goes to `logFile`.
class ChildProcess
{
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool start(const std::vector<std::string>& argv, const std::string& logFile,
               const std::vector<std::string>& extraEnvironment = {});
    void stop();
    bool running();
    pid_t pid() const { return m_pid; }

private:
    pid_t m_pid = -1;
};

// Full path of an executable found on PATH or in the sbin folders, or empty.
std::string findExecutable(const std::string& name);

// Runs a command to its end and gives its standard output; `status` gets the
// exit status (-1 when it could not run).
std::string runCommand(const std::vector<std::string>& argv, int* status = nullptr);
