#include "AgentStart.h"

#include "PortHolder.h"

#include <chrono>
#include <thread>
#include <unistd.h>

namespace AgentStart {

std::string problem(const std::vector<std::string>& programs, const std::string& address)
{
    for (const std::string& program : programs)
        if (findExecutable(program).empty())
            return program + " is not installed";
    if (geteuid() != 0)
        return "binding UDP port 161 needs root";
    return PortHolder::describe(PortHolder::Protocol::Udp, address, 161);
}

bool waitUntilAnswering(ChildProcess& agent, const std::vector<std::string>& probe, int attempts,
                        const std::string& name, std::string& error)
{
    for (int attempt = 0; attempt < attempts; ++attempt) {
        if (!agent.running()) {
            error = name + " exited; see its log";
            return false;
        }
        int status = -1;
        runCommand(probe, &status);
        if (status == 0)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    error = name + " did not answer";
    return false;
}

} // namespace AgentStart
