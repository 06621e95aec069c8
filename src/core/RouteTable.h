#pragma once

// The IPv4 routing table as the Linux kernel shows it in /proc/net/route, read
// for the machine's default gateway (usually the home router).

#include <optional>
#include <string>
#include <string_view>

struct DefaultGateway
{
    std::string address;   // dotted IPv4 text
    std::string interface; // the interface the route goes out by
};

// The gateway of the default route (destination and mask 0.0.0.0, up, via a
// gateway) with the lowest metric; the first one listed among equals. Lines
// that do not have the table's form are skipped. Addresses are in the order
// the kernel keeps them in memory, which is network order.
std::optional<DefaultGateway> parseDefaultGateway(std::string_view table);
