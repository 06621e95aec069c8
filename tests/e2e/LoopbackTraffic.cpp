#include "LoopbackTraffic.h"

#include <algorithm>
#include <arpa/inet.h>
#include <fstream>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

bool loopback(const char* address, sockaddr_in& out)
{
    out = {};
    out.sin_family = AF_INET;
    if (inet_pton(AF_INET, address, &out.sin_addr) != 1)
        return false;
    // Never anywhere but 127.0.0.0/8.
    return (ntohl(out.sin_addr.s_addr) >> 24) == 127;
}

} // namespace

LoopbackTraffic::LoopbackTraffic(const char* from, const char* to, int port)
    : m_from(from), m_to(to), m_port(port)
{
}

LoopbackTraffic::~LoopbackTraffic()
{
    stop();
}

bool LoopbackTraffic::start(Profile profile, std::chrono::seconds duration)
{
    stop();
    sockaddr_in source, target;
    if (!loopback(m_from, source) || !loopback(m_to, target))
        return false;
    target.sin_port = htons(static_cast<uint16_t>(m_port));
    // A bound receiver that never reads: the datagrams are counted by the
    // interface and then dropped at the full socket, and no port-unreachable
    // errors add traffic of their own.
    m_receiver = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    m_sender = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    const int small = 4096;
    if (m_receiver < 0 || m_sender < 0 ||
        ::setsockopt(m_receiver, SOL_SOCKET, SO_RCVBUF, &small, sizeof small) != 0 ||
        ::bind(m_receiver, reinterpret_cast<sockaddr*>(&target), sizeof target) != 0 ||
        ::bind(m_sender, reinterpret_cast<sockaddr*>(&source), sizeof source) != 0 ||
        ::connect(m_sender, reinterpret_cast<sockaddr*>(&target), sizeof target) != 0) {
        stop();
        return false;
    }
    m_stop = false;
    m_sent = 0;
    const auto end = std::chrono::steady_clock::now() + std::min(duration, kMaxDuration);
    m_thread = std::thread([this, profile = std::move(profile), end] { run(profile, end); });
    return true;
}

void LoopbackTraffic::run(Profile profile, std::chrono::steady_clock::time_point end)
{
    using namespace std::chrono;
    const std::vector<char> payload(kPayload, 'T');
    const auto begin = steady_clock::now();
    auto next = begin;
    while (!m_stop && next < end) {
        std::this_thread::sleep_until(next);
        if (::send(m_sender, payload.data(), payload.size(), 0) == kPayload)
            ++m_sent;
        const double elapsed = duration<double>(next - begin).count();
        // At least one datagram a second, so the profile is read again soon.
        const double rate = std::clamp(profile(elapsed), double(kWireBytes), kMaxBytesPerSecond);
        const double gap = kWireBytes / rate;
        next += duration_cast<steady_clock::duration>(duration<double>(gap));
    }
}

void LoopbackTraffic::stop()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    if (m_sender >= 0)
        ::close(m_sender);
    if (m_receiver >= 0)
        ::close(m_receiver);
    m_sender = m_receiver = -1;
}

long long LoopbackTraffic::loopbackOctets()
{
    std::ifstream in("/proc/net/dev");
    std::string line;
    while (std::getline(in, line)) {
        const auto colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        std::string name = line.substr(0, colon);
        name.erase(0, name.find_first_not_of(' '));
        if (name == "lo")
            return std::stoll(line.substr(colon + 1));
    }
    return -1;
}
