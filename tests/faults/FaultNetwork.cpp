#include "FaultNetwork.h"

#include "ChildProcess.h"

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <regex>
#include <sched.h>
#include <thread>
#include <unistd.h>

FaultNetwork::FaultNetwork()
    : m_client("tvfault-c" + std::to_string(getpid())),
      m_agent("tvfault-a" + std::to_string(getpid()))
{
    m_home = ::open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
    if (m_home < 0) {
        m_failure = "cannot open this thread's network namespace";
        return;
    }
    const std::string c = "ip -n " + m_client + " ";
    const std::string a = "ip -n " + m_agent + " ";
    const std::string inC = "ip netns exec " + m_client + " ";
    const std::string inA = "ip netns exec " + m_agent + " ";
    // Fixed addresses and static neighbours: nothing but the test's own
    // datagrams crosses the link, and no neighbour lookup can be lost.
    const std::string commands[] = {
        "ip netns add " + m_client,
        "ip netns add " + m_agent,
        "ip link add tvf0 netns " + m_client + " address 02:00:00:00:91:01 type veth peer name " +
            "tvf1 netns " + m_agent + " address 02:00:00:00:91:02",
        inC + "sysctl -qw net.ipv6.conf.all.disable_ipv6=1",
        inA + "sysctl -qw net.ipv6.conf.all.disable_ipv6=1",
        c + "addr add 10.91.0.1/24 dev tvf0",
        a + "addr add 10.91.0.2/24 dev tvf1",
        c + "link set lo up",
        a + "link set lo up",
        c + "link set tvf0 up",
        a + "link set tvf1 up",
        c + "neigh replace 10.91.0.2 lladdr 02:00:00:00:91:02 dev tvf0 nud permanent",
        a + "neigh replace 10.91.0.1 lladdr 02:00:00:00:91:01 dev tvf1 nud permanent",
    };
    for (const std::string& command : commands) {
        if (!run(command))
            return;
    }
    for (int i = 0; i < 100; ++i) {
        if (std::system((c + "-o link show tvf0 | grep -q 'state UP'").c_str()) == 0 &&
            std::system((a + "-o link show tvf1 | grep -q 'state UP'").c_str()) == 0)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    m_failure = "the veth link did not come up";
}

FaultNetwork::~FaultNetwork()
{
    leave();
    if (m_home >= 0)
        ::close(m_home);
    run("ip netns del " + m_client);
    run("ip netns del " + m_agent);
}

bool FaultNetwork::run(const std::string& command)
{
    if (std::system((command + " >/dev/null 2>&1").c_str()) == 0)
        return true;
    if (m_failure.empty())
        m_failure = command;
    return false;
}

bool FaultNetwork::enter(const std::string& name)
{
    const int fd = ::open(("/run/netns/" + name).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = setns(fd, CLONE_NEWNET) == 0;
    ::close(fd);
    return ok;
}

bool FaultNetwork::enterClient()
{
    return enter(m_client);
}

bool FaultNetwork::enterAgent()
{
    return enter(m_agent);
}

void FaultNetwork::leave()
{
    if (m_home >= 0)
        setns(m_home, CLONE_NEWNET);
}

bool FaultNetwork::setAgentQdisc(const std::string& qdisc)
{
    // Only the link's set-up counts as the network's failure.
    const std::string failure = m_failure;
    run("tc -n " + m_agent + " qdisc del dev tvf1 root");
    const bool added =
        qdisc.empty() || run("tc -n " + m_agent + " qdisc add dev tvf1 root " + qdisc);
    m_failure = failure;
    return added;
}

long FaultNetwork::agentReceivedPackets() const
{
    const std::string out = runCommand(
        {"ip", "netns", "exec", m_agent, "cat", "/sys/class/net/tvf1/statistics/rx_packets"});
    return out.empty() ? -1 : std::atol(out.c_str());
}

long FaultNetwork::agentDroppedPackets() const
{
    const std::string out = runCommand({"tc", "-n", m_agent, "-s", "qdisc", "show", "dev", "tvf1"});
    std::smatch match;
    if (std::regex_search(out, match, std::regex("dropped ([0-9]+)")))
        return std::atol(match[1].str().c_str());
    return -1;
}
