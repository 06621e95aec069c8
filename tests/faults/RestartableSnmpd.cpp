#include "RestartableSnmpd.h"

#include "PortHolder.h"

#include <chrono>
#include <csignal>
#include <fstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

RestartableSnmpd::RestartableSnmpd(std::string address, std::string clients)
    : m_address(std::move(address)), m_clients(std::move(clients))
{
}

RestartableSnmpd::~RestartableSnmpd()
{
    m_process.stop();
}

bool RestartableSnmpd::start()
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
    const std::string conf = m_dir.file("snmpd.conf");
    {
        std::ofstream out(conf);
        out << "agentAddress udp:" << m_address << ":161\n"
            << "rocommunity " << community() << " " << m_clients << "\n"
            << "sysName travimetra-fault-agent\n";
    }
    if (!m_process.start({snmpd, "-f", "-C", "-c", conf, "-Lf", m_dir.file("snmpd.log"), "-p",
                          m_dir.file("snmpd.pid"), "-M", "/nonexistent"},
                         m_dir.file("snmpd.out"),
                         {"SNMP_PERSISTENT_DIR=" + m_dir.path(), "MIBS="})) {
        m_error = "could not start snmpd";
        return false;
    }
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (!m_process.running()) {
            // Most often a service of the machine holds the port; say which.
            m_error = PortHolder::describe(PortHolder::Protocol::Udp, m_address, 161);
            if (m_error.empty())
                m_error = "snmpd exited: " + m_dir.read("snmpd.log");
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
    m_process.stop();
    return false;
}

void RestartableSnmpd::kill()
{
    const pid_t pid = m_process.pid();
    if (pid > 0) {
        ::kill(pid, SIGKILL);
        for (int i = 0; i < 200 && m_process.running(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    m_process.stop();
}
