#pragma once

#include "ChildProcess.h"
#include "SnmpV3User.h"
#include "TempDirectory.h"

#include <string>

// The SNMP agent simulator of the snmpsim package on a loopback address of its
// own, UDP port 161: a second agent implementation beside net-snmp's, serving
// a small recorded device to one SNMPv3 user (SHA and AES, as the simulator
// pads the scoped PDU it encrypts to whole AES blocks). Starting it needs root
// (port 161); it runs as nobody.
class SnmpsimPeer
{
public:
    explicit SnmpsimPeer(std::string address);
    ~SnmpsimPeer();

    // Starts the simulator and waits until it answers the user; false (with a
    // reason in error()) when it is not installed, cannot bind, or never
    // answers.
    bool start();
    void stop();

    const std::string& address() const { return m_address; }
    const std::string& error() const { return m_error; }

    // The user it serves and the recorded values it answers with.
    static const SnmpV3User& user();
    static constexpr const char* sysName() { return "travimetra-simulated"; }
    static constexpr const char* ifDescr1() { return "sim0"; }
    static constexpr unsigned ifInOctets1() { return 3000000000u; }
    static constexpr unsigned long long ifHCOutOctets1() { return 5000000000000ull; }

private:
    std::string m_address;
    std::string m_error;
    TempDirectory m_dir;
    ChildProcess m_process;
};
