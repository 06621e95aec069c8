#pragma once

#include "IcmpEchoExchange.h"

#include <string>

// The one line the ping helper prints on its standard output:
//   "reply <numeric address> <type> <code> <milliseconds>\n"
//   "timeout\n"
//   "error <errno>\n"
namespace PingHelperProtocol {

constexpr std::size_t kMaxOutput = 256;

std::string format(const IcmpEchoOutcome& outcome);

// Strict reading of the helper's whole output: exactly one line in one of
// the forms above, decimal numbers without signs or leading zeros, a numeric
// address, a round trip no longer than `timeoutMs` (and a second's grace). False for anything else.
bool parse(const std::string& text, int timeoutMs, IcmpEchoOutcome& outcome);

} // namespace PingHelperProtocol
