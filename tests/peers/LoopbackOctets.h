#pragma once

// Octets over the loopback interface, so that its counters move: datagrams
// to the discard port of a loopback address, where nobody listens.

#include <arpa/inet.h>
#include <cstddef>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

// False when no socket could be made.
inline bool sendLoopbackOctets(const char* address, std::size_t octets)
{
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    if (fd < 0)
        return false;
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(9);
    inet_pton(AF_INET, address, &to.sin_addr);
    const std::vector<char> block(8000, 'x');
    for (std::size_t sent = 0; sent < octets; sent += block.size())
        sendto(fd, block.data(), block.size(), 0, reinterpret_cast<const sockaddr*>(&to),
               sizeof to);
    close(fd);
    return true;
}
