#include "GatewayPlatform.h"

#include <fstream>
#include <string>

namespace {

// A desktop's table is a handful of lines; a router's full table is not read
// whole, and the default route, when there is one, comes first.
constexpr std::size_t MaxTableBytes = 1 << 20;

} // namespace

std::optional<DefaultGateway> findDefaultGateway()
{
    std::ifstream in("/proc/net/route", std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::string table(MaxTableBytes, '\0');
    in.read(table.data(), static_cast<std::streamsize>(table.size()));
    table.resize(static_cast<std::size_t>(in.gcount()));
    // A line cut off by the limit is left out rather than read short.
    if (table.size() == MaxTableBytes) {
        table.resize(table.rfind('\n') == std::string::npos ? 0 : table.rfind('\n') + 1);
    }
    return parseDefaultGateway(table);
}
