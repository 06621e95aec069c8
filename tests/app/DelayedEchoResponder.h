#pragma once

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <netinet/in.h>
#include <netinet/ip.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

// Answers ICMP echo requests to one address after a fixed delay, so that a
// loopback round trip takes a known, measurable time. Meant for a network
// namespace whose kernel ignores echo requests itself.
class DelayedEchoResponder
{
public:
    DelayedEchoResponder(const std::string& address, int delayMs) : m_delayMs(delayMs)
    {
        inet_pton(AF_INET, address.c_str(), &m_address);
        m_fd = ::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
        if (m_fd >= 0)
            m_thread = std::thread([this] { run(); });
    }
    ~DelayedEchoResponder()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        if (m_fd >= 0)
            ::close(m_fd);
    }
    DelayedEchoResponder(const DelayedEchoResponder&) = delete;
    DelayedEchoResponder& operator=(const DelayedEchoResponder&) = delete;

    bool running() const { return m_fd >= 0; }

private:
    static uint16_t checksum(const unsigned char* data, std::size_t length)
    {
        uint32_t sum = 0;
        for (std::size_t i = 0; i + 1 < length; i += 2)
            sum += uint32_t(data[i]) << 8 | data[i + 1];
        if (length % 2)
            sum += uint32_t(data[length - 1]) << 8;
        while (sum >> 16)
            sum = (sum & 0xFFFF) + (sum >> 16);
        return uint16_t(~sum);
    }

    void run()
    {
        unsigned char packet[2048];
        while (!m_stop) {
            pollfd p{m_fd, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0)
                continue;
            sockaddr_in from{};
            socklen_t fromLength = sizeof from;
            const ssize_t n = ::recvfrom(m_fd, packet, sizeof packet, 0,
                                         reinterpret_cast<sockaddr*>(&from), &fromLength);
            if (n < 20)
                continue;
            const std::size_t headerLength = std::size_t(packet[0] & 0x0F) * 4;
            if (headerLength < 20 || std::size_t(n) < headerLength + 8)
                continue;
            in_addr destination{};
            std::memcpy(&destination, packet + 16, 4);
            unsigned char* icmp = packet + headerLength;
            const std::size_t icmpLength = std::size_t(n) - headerLength;
            if (icmp[0] != 8 || destination.s_addr != m_address.s_addr)
                continue; // not an echo request to our address
            std::this_thread::sleep_for(std::chrono::milliseconds(m_delayMs));
            icmp[0] = 0; // echo reply, same identifier, sequence and data
            icmp[2] = icmp[3] = 0;
            const uint16_t sum = checksum(icmp, icmpLength);
            icmp[2] = uint8_t(sum >> 8);
            icmp[3] = uint8_t(sum & 0xFF);
            ::sendto(m_fd, icmp, icmpLength, 0, reinterpret_cast<sockaddr*>(&from), sizeof from);
        }
    }

    in_addr m_address{};
    int m_delayMs;
    int m_fd = -1;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};
