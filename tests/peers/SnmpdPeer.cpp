#include "SnmpdPeer.h"

#include "AgentStart.h"

#include <fstream>
#include <sys/stat.h>

SnmpdPeer::SnmpdPeer(std::string address) : m_address(std::move(address)) {}

SnmpdPeer::~SnmpdPeer()
{
    stop();
}

bool SnmpdPeer::start()
{
    m_error = AgentStart::problem({"snmpd", "snmpget"}, m_address);
    if (!m_error.empty())
        return false;
    const std::string snmpd = findExecutable("snmpd");
    const std::string conf = m_dir.path() + "/snmpd.conf";
    {
        std::ofstream out(conf);
        out << "agentAddress udp:" << m_address << ":161\n"
            << "rocommunity " << community() << " 127.0.0.0/8\n"
            << "sysName " << sysName() << "\n"
            << "sysLocation the test bench\n"
            << "sysContact nobody\n";
        for (const std::string& line : m_access)
            out << line << "\n";
    }
    if (!m_createUsers.empty()) {
        // Read from the persistent directory, where the agent also keeps its
        // engine boots; it replaces these lines by the users' keys after reading.
        const std::string state = m_dir.path() + "/state";
        mkdir(state.c_str(), 0700);
        std::ofstream users(state + "/snmpd.conf", std::ios::app);
        for (const std::string& line : m_createUsers)
            users << line << "\n";
        m_createUsers.clear();
    }
    const std::string log = m_dir.path() + "/snmpd.log";
    std::vector<std::string> argv{snmpd, "-f", "-C", "-c", conf};
    // Its persistent state goes beside, not over, the configuration.
    std::vector<std::string> env{"SNMP_PERSISTENT_DIR=" + m_dir.path() + "/state", "MIBS="};
    if (!m_access.empty()) {
        // Version-3 users and the engine boots live in the persistent file,
        // which "-C" would skip: the search path instead holds only the two
        // folders of this agent, never the machine's own configuration.
        argv = {snmpd, "-f"};
        env.push_back("SNMPCONFPATH=" + m_dir.path() + ":" + m_dir.path() + "/state");
    }
    argv.insert(argv.end(), {"-Lf", log, "-p", m_dir.path() + "/snmpd.pid", "-M", "/nonexistent"});
    if (!m_process.start(argv, m_dir.path() + "/snmpd.out", env)) {
        m_error = "could not start snmpd";
        return false;
    }
    // Ready once it answers a get, the way any manager would see it.
    if (AgentStart::waitUntilAnswering(m_process,
                                       {"snmpget", "-v1", "-c", community(), "-t", "0.2", "-r", "0",
                                        "-On", m_address, "1.3.6.1.2.1.1.3.0"},
                                       50, "snmpd", m_error))
        return true;
    stop();
    return false;
}

void SnmpdPeer::setV3Users(std::vector<std::string> createUserLines,
                           std::vector<std::string> accessLines)
{
    m_createUsers = std::move(createUserLines);
    m_access = std::move(accessLines);
}

bool SnmpdPeer::restart()
{
    stop();
    return start();
}

void SnmpdPeer::stop()
{
    m_process.stop();
}
