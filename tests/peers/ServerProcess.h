#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

// A server program started by a test and stopped with it (SIGTERM, then
// SIGKILL if it lingers), its output going to a log file.
class ServerProcess
{
public:
    ServerProcess(const std::vector<std::string>& argv, const std::string& logFile);
    ~ServerProcess();
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    bool started() const { return m_pid > 0; }
    bool stillRunning();
    void stop();

private:
    pid_t m_pid = -1;
};

// Whether a TCP connection to address:port is accepted within `waitMs`.
bool waitForTcpPort(const std::string& address, int port, int waitMs);

// Whether the program can be found on the PATH or in the sbin folders.
std::string findProgram(const std::string& name);
