#include "SnmpsimPeer.h"

#include "AgentStart.h"

#include <sys/stat.h>

namespace {

// The simulator picks its data file by SNMPv3 context name; a request with
// the empty context (as Travimetra sends) is served the file named after the
// transport the request came in on, the first UDP endpoint's.
constexpr const char* kEmptyContextFile = "1.3.6.1.6.1.1.0.snmprec";

std::string recordedDevice()
{
    // OID|type|value, the types by their BER tag numbers.
    return std::string("1.3.6.1.2.1.1.1.0|4|a simulated device\n") +
           "1.3.6.1.2.1.1.3.0|67|4242\n"
           "1.3.6.1.2.1.1.5.0|4|" +
           SnmpsimPeer::sysName() + "\n" +
           "1.3.6.1.2.1.2.1.0|2|1\n"
           "1.3.6.1.2.1.2.2.1.2.1|4|" +
           SnmpsimPeer::ifDescr1() + "\n" + "1.3.6.1.2.1.2.2.1.10.1|65|" +
           std::to_string(SnmpsimPeer::ifInOctets1()) + "\n" +
           "1.3.6.1.2.1.2.2.1.16.1|65|77\n"
           "1.3.6.1.2.1.31.1.1.1.10.1|70|" +
           std::to_string(SnmpsimPeer::ifHCOutOctets1()) + "\n";
}

} // namespace

SnmpsimPeer::SnmpsimPeer(std::string address) : m_address(std::move(address)) {}

SnmpsimPeer::~SnmpsimPeer()
{
    stop();
}

const SnmpV3User& SnmpsimPeer::user()
{
    static const SnmpV3User user{"simUser",      SecurityLevel::AuthPriv, AuthProtocol::SHA1,
                                 "simAuthPass1", PrivProtocol::AES128,    "simPrivPass1"};
    return user;
}

bool SnmpsimPeer::start()
{
    m_error = AgentStart::problem({"snmpsimd", "snmpget"}, m_address);
    if (!m_error.empty())
        return false;
    const std::string simulator = findExecutable("snmpsimd");
    // It drops to nobody before it reads its data and writes its index.
    const std::string data = m_dir.file("data");
    const std::string cache = m_dir.file("cache");
    if (mkdir(data.c_str(), 0755) != 0 || mkdir(cache.c_str(), 0777) != 0 ||
        chmod(cache.c_str(), 0777) != 0 || chmod(m_dir.path().c_str(), 0755) != 0 ||
        !m_dir.write(std::string("data/") + kEmptyContextFile, recordedDevice())) {
        m_error = "could not write the simulator's data";
        return false;
    }
    chmod(m_dir.file(std::string("data/") + kEmptyContextFile).c_str(), 0644);
    const SnmpV3User& u = user();
    const std::vector<std::string> argv{simulator,
                                        "--data-dir=" + data,
                                        "--cache-dir=" + cache,
                                        "--agent-udpv4-endpoint=" + m_address + ":161",
                                        "--v3-only",
                                        "--v3-user=" + u.UserName,
                                        "--v3-auth-key=" + u.AuthPassword,
                                        "--v3-auth-proto=SHA",
                                        "--v3-priv-key=" + u.PrivPassword,
                                        "--v3-priv-proto=AES",
                                        "--process-user=nobody",
                                        "--process-group=nogroup",
                                        "--logging-method=file:" + m_dir.file("snmpsimd.log")};
    if (!m_process.start(argv, m_dir.file("snmpsimd.out"))) {
        m_error = "could not start snmpsimd";
        return false;
    }
    // Ready once net-snmp's snmpget reads through it as the user; Python
    // starts slowly.
    if (AgentStart::waitUntilAnswering(
            m_process,
            {"snmpget", "-v3", "-u",           u.UserName, "-l",  "authPriv", "-a",
             "SHA",     "-A",  u.AuthPassword, "-x",       "AES", "-X",       u.PrivPassword,
             "-t",      "0.3", "-r",           "0",        "-On", m_address,  "1.3.6.1.2.1.1.5.0"},
            100, "snmpsimd (log: " + m_dir.file("snmpsimd.log") + ")", m_error))
        return true;
    stop();
    return false;
}

void SnmpsimPeer::stop()
{
    m_process.stop();
}
