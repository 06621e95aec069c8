#include "RoutedTestNetwork.h"

#include <chrono>
#include <cstdlib>
#include <thread>
#include <unistd.h>

RoutedTestNetwork::RoutedTestNetwork() : m_name("tvm-router-" + std::to_string(getpid()))
{
    const std::string in = "ip netns exec " + m_name + " ";
    // "@" stands for the router's namespace, "IN" runs a command inside it.
    const char* commands[] = {
        "ip netns add @",
        "ip link add tvm0 type veth peer name tvm1 netns @",
        "ip addr add 10.77.0.1/24 dev tvm0",
        "ip link set tvm0 up",
        "IN ip addr add 10.77.0.2/24 dev tvm1",
        "IN ip link set tvm1 up",
        "IN ip link set lo up",
        "IN sysctl -qw net.ipv4.ip_forward=1",
        // No per-host ICMP rate limit. (Route errors keep the kernel's own
        // limit: five at once, then one a second.)
        "IN sysctl -qw net.ipv4.icmp_ratemask=0",
        "IN ip route add unreachable 10.78.0.0/24",
        "IN ip route add prohibit 10.80.0.0/24",
        "IN ip route add blackhole 10.79.0.0/24",
        "IN ip route add 10.81.0.0/24 dev tvm1",
        "ip route add 10.78.0.0/16 via 10.77.0.2",
        "ip route add 10.79.0.0/16 via 10.77.0.2",
        "ip route add 10.80.0.0/16 via 10.77.0.2",
        "ip route add 10.81.0.0/16 via 10.77.0.2",
        // The same for IPv6 ("nodad": usable at once).
        "ip addr add fd00:77::1/64 dev tvm0 nodad",
        "IN ip addr add fd00:77::2/64 dev tvm1 nodad",
        "IN sysctl -qw net.ipv6.conf.all.forwarding=1",
        "IN sysctl -qw net.ipv6.icmp.ratelimit=0",
        "IN ip -6 route add unreachable fd00:78::/64",
        "IN ip -6 route add prohibit fd00:80::/64",
        "IN ip -6 route add fd00:81::/64 dev tvm1",
        "ip -6 route add fd00:78::/48 via fd00:77::2",
        "ip -6 route add fd00:80::/48 via fd00:77::2",
        "ip -6 route add fd00:81::/48 via fd00:77::2",
    };
    for (const char* command : commands) {
        std::string text = command;
        if (text.rfind("IN ", 0) == 0)
            text = in + text.substr(3);
        const std::size_t at = text.find('@');
        if (at != std::string::npos)
            text.replace(at, 1, m_name);
        if (!run(text))
            return;
    }
    // A fresh veth link drops what is sent before its carrier is up.
    for (int i = 0; i < 100; ++i) {
        if (std::system("ip -o link show tvm0 | grep -q 'state UP'") == 0 &&
            std::system(("ip netns exec " + m_name + " ip -o link show tvm1 | grep -q 'state UP'")
                            .c_str()) == 0)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    m_failure = "the veth link did not come up";
}

RoutedTestNetwork::~RoutedTestNetwork()
{
    run("ip netns del " + m_name);
}

bool RoutedTestNetwork::run(const std::string& command)
{
    if (std::system((command + " >/dev/null 2>&1").c_str()) == 0)
        return true;
    if (m_failure.empty())
        m_failure = command;
    return false;
}
