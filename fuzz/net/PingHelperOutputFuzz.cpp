// Feeds bytes as the ping helper's output to the program's strict reader.

#include "PingHelperProtocol.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    IcmpEchoOutcome outcome;
    if (PingHelperProtocol::parse(text, 5000, outcome)) {
        // Whatever is accepted reads back the same when written again.
        IcmpEchoOutcome again;
        if (!PingHelperProtocol::parse(PingHelperProtocol::format(outcome), 5000, again) ||
            again.error != outcome.error || again.from != outcome.from ||
            again.roundTripMs != outcome.roundTripMs)
            __builtin_trap();
    }
    return 0;
}
