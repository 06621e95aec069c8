#pragma once

#include "ChildProcess.h"
#include "TempDirectory.h"

#include <string>
#include <vector>

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

    // SNMPv3 users, set before start: createUser lines go to the agent's
    // persistent directory (where it reads and then forgets them), access lines
    // such as "rouser name priv" to its configuration.
    void setV3Users(std::vector<std::string> createUserLines, std::vector<std::string> accessLines);
    // Stops and starts again with the same persistent state, so the agent's
    // engine boots go up by one, as after a reboot.
    bool restart();

    const std::string& address() const { return m_address; }
    const std::string& error() const { return m_error; }
    static constexpr const char* community() { return "vandor"; }
    static constexpr const char* sysName() { return "travimetra-agent"; }

private:
    std::string m_address;
    std::string m_error;
    TempDirectory m_dir;
    ChildProcess m_process;
    std::vector<std::string> m_createUsers;
    std::vector<std::string> m_access;
};
