#pragma once

#include "ChildProcess.h"
#include "TempDirectory.h"

#include <string>

// net-snmp's agent on a loopback address of its own that a test can kill
// (SIGKILL, no chance to clean up) and start again: a restarted agent begins
// with a fresh sysUpTime, as a rebooted router does.
class RestartableSnmpd
{
public:
    // `clients`: the source addresses the agent answers (a prefix).
    explicit RestartableSnmpd(std::string address, std::string clients = "127.0.0.0/8");
    ~RestartableSnmpd();

    // Starts the agent and waits until it answers a get; false with a reason
    // in error().
    bool start();
    // SIGKILL, then waits for the process to be gone.
    void kill();

    const std::string& error() const { return m_error; }
    static constexpr const char* community() { return "vandor"; }

private:
    std::string m_address;
    std::string m_clients;
    std::string m_error;
    TempDirectory m_dir;
    ChildProcess m_process;
};
