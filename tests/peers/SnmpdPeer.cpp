#include "SnmpdPeer.h"

#include "PortHolder.h"

#include <chrono>
#include <fstream>
#include <thread>
#include <unistd.h>

SnmpdPeer::SnmpdPeer(std::string address) : m_address(std::move(address)) {}

SnmpdPeer::~SnmpdPeer()
{
    stop();
}

bool SnmpdPeer::start()
{
    const std::string snmpd = findExecutable("snmpd");
    if (snmpd.empty() || findExecutable("snmpget").empty()) {
        m_error = "snmpd or snmpget is not installed";
        return false;
    }
    if (geteuid() != 0) {
        m_error = "binding UDP port 161 needs root";
        return false;
    }
    m_error = PortHolder::describe(PortHolder::Protocol::Udp, m_address, 161);
    if (!m_error.empty())
        return false;
    const std::string conf = m_dir.path() + "/snmpd.conf";
    {
        std::ofstream out(conf);
        out << "agentAddress udp:" << m_address << ":161\n"
            << "rocommunity " << community() << " 127.0.0.0/8\n"
            << "sysName " << sysName() << "\n"
            << "sysLocation the test bench\n"
            << "sysContact nobody\n";
    }
    const std::string log = m_dir.path() + "/snmpd.log";
    if (!m_process.start({snmpd, "-f", "-C", "-c", conf, "-Lf", log, "-p",
                          m_dir.path() + "/snmpd.pid", "-M", "/nonexistent"},
                         m_dir.path() + "/snmpd.out",
                         // Its persistent state goes beside, not over, the configuration.
                         {"SNMP_PERSISTENT_DIR=" + m_dir.path() + "/state", "MIBS="})) {
        m_error = "could not start snmpd";
        return false;
    }
    // Ready once it answers a get, the way any manager would see it.
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (!m_process.running()) {
            m_error = "snmpd exited; see its log";
            return false;
        }
        int status = -1;
        runCommand({"snmpget", "-v1", "-c", community(), "-t", "0.2", "-r", "0", "-On", m_address,
                    "1.3.6.1.2.1.1.3.0"},
                   &status);
        if (status == 0)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    m_error = "snmpd did not answer";
    stop();
    return false;
}

void SnmpdPeer::stop()
{
    m_process.stop();
}
