// Feeds arbitrary text to the routing table reader of the "find router" look-up.

#include "RouteTable.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view table(reinterpret_cast<const char*>(data), size);
    const std::optional<DefaultGateway> gateway = parseDefaultGateway(table);
    if (gateway) {
        // Four dotted bytes, and an interface name taken from the text itself.
        int dots = 0;
        for (const char c : gateway->address) {
            dots += c == '.';
        }
        if (dots != 3 || gateway->address.size() > 15 || gateway->interface.empty() ||
            table.find(gateway->interface) == std::string_view::npos) {
            __builtin_trap();
        }
    }
    return 0;
}
