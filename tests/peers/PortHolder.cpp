#include "PortHolder.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <unistd.h>
#include <vector>

namespace PortHolder {

namespace {

// The TCP state of a listening socket in /proc/net/tcp; sockets that are only
// bound do not appear there at all, and servers listen.
constexpr int kTcpListen = 0x0A;

// A hex field of a /proc/net table, or -1 when it is not one.
long long hexField(const std::string& text)
{
    if (text.empty() || text.size() > 8 ||
        text.find_first_not_of("0123456789ABCDEFabcdef") != std::string::npos)
        return -1;
    return std::stoll(text, nullptr, 16);
}

struct Holder
{
    std::string boundTo;
    std::string inode;
};

std::string programOwning(const std::string& inode)
{
    const std::string link = "socket:[" + inode + "]";
    DIR* proc = opendir("/proc");
    if (!proc)
        return {};
    std::string found;
    while (const dirent* process = readdir(proc)) {
        const std::string pid = process->d_name;
        if (pid.find_first_not_of("0123456789") != std::string::npos)
            continue;
        const std::string fdDir = "/proc/" + pid + "/fd";
        DIR* fds = opendir(fdDir.c_str());
        if (!fds)
            continue;
        while (const dirent* fd = readdir(fds)) {
            char target[64] = {};
            const std::string path = fdDir + "/" + fd->d_name;
            const ssize_t n = readlink(path.c_str(), target, sizeof target - 1);
            if (n > 0 && link == std::string(target, std::size_t(n))) {
                std::string name;
                std::getline(std::ifstream("/proc/" + pid + "/comm"), name);
                found = name + " (pid " + pid + ")";
                break;
            }
        }
        closedir(fds);
        if (!found.empty())
            break;
    }
    closedir(proc);
    return found;
}

// Reads one /proc/net table; IPv4 tables give addresses as the 32-bit value
// in memory order, IPv6 ones as 32 hex digits (only the wildcard matters).
std::vector<Holder> holders(const std::string& table, bool ipv6, bool tcp, std::uint16_t port,
                            const std::string& address)
{
    in_addr wanted{};
    inet_pton(AF_INET, address.c_str(), &wanted);
    std::vector<Holder> found;
    std::ifstream in(table);
    std::string line;
    std::getline(in, line); // the header
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string slot, local, remote, state, queues, timer, retransmits, uid, timeout, inode;
        if (!(fields >> slot >> local >> remote >> state >> queues >> timer >> retransmits >> uid >>
              timeout >> inode))
            continue;
        const std::size_t colon = local.find(':');
        if (colon == std::string::npos || hexField(local.substr(colon + 1)) != port)
            continue;
        const long long st = hexField(state);
        if (tcp && st != kTcpListen)
            continue;
        const std::string hex = local.substr(0, colon);
        if (ipv6) {
            if (hex.find_first_not_of('0') == std::string::npos)
                found.push_back({"[::]", inode});
            continue;
        }
        const long long value = hex.size() == 8 ? hexField(hex) : -1;
        if (value < 0)
            continue;
        in_addr bound{};
        bound.s_addr = std::uint32_t(value);
        if (bound.s_addr == INADDR_ANY || bound.s_addr == wanted.s_addr) {
            char text[INET_ADDRSTRLEN] = {};
            inet_ntop(AF_INET, &bound, text, sizeof text);
            found.push_back({text, inode});
        }
    }
    return found;
}

} // namespace

std::string describe(Protocol protocol, const std::string& address, std::uint16_t port)
{
    const bool tcp = protocol == Protocol::Tcp;
    const std::string name = tcp ? "tcp" : "udp";
    std::vector<Holder> found = holders("/proc/net/" + name, false, tcp, port, address);
    const std::vector<Holder> v6 = holders("/proc/net/" + name + "6", true, tcp, port, address);
    found.insert(found.end(), v6.begin(), v6.end());
    if (found.empty())
        return {};
    std::string program = programOwning(found.front().inode);
    if (program.empty())
        program = "another program";
    return (tcp ? "TCP" : "UDP") + std::string(" port ") + std::to_string(port) + " on " + address +
           " is held by " + program + ", bound to " + found.front().boundTo +
           ", probably a service of this machine; the test does not stop it";
}

} // namespace PortHolder
