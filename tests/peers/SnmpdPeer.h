#pragma once

#include "ChildProcess.h"
#include "TempDirectory.h"

#include <string>

// net-snmp's agent on a loopback address of its own, UDP port 161, answering
// SNMPv1 with the read community "vandor". Starting it needs root (port 161).
class SnmpdPeer
{
public:
    explicit SnmpdPeer(std::string address);
    ~SnmpdPeer();

    // Starts the agent and waits until it answers; false (with a reason in
    // error()) when it is not installed, cannot bind, or never answers.
    bool start();
    void stop();

    const std::string& address() const { return m_address; }
    const std::string& error() const { return m_error; }
    static constexpr const char* community() { return "vandor"; }
    static constexpr const char* sysName() { return "travimetra-agent"; }

private:
    std::string m_address;
    std::string m_error;
    TempDirectory m_dir;
    ChildProcess m_process;
};
