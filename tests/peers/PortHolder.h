#pragma once

#include <cstdint>
#include <string>

// Whether a socket already on this machine (a service such as the
// distribution's snmpd, rsyslog or nginx) holds the port a test server needs
// on its own IPv4 loopback address, directly or by binding every address.
// Tests do not stop such a service; they say who is in the way instead.
namespace PortHolder {

enum class Protocol
{
    Udp,
    Tcp
};

// Empty when the port is free on `address`; otherwise a sentence naming the
// port, the address the holder is bound to and the program holding it.
std::string describe(Protocol protocol, const std::string& address, std::uint16_t port);

} // namespace PortHolder
