#pragma once

#include "IcmpEchoExchange.h"

#include <string>

// Runs the privileged ping helper for one echo and reads its outcome. The
// helper gets no environment and nothing on its standard input; it is killed
// if it overruns the time-out.
namespace PingHelperClient {

// The helper beside the running executable, else the one in the build tree,
// else empty.
std::string defaultPath();

// False when the helper could not be run or its output was not understood;
// otherwise `outcome` holds what it reported.
bool run(const std::string& helperPath, const std::string& address, int timeoutMs, int ttl,
         int payloadSize, IcmpEchoOutcome& outcome);

} // namespace PingHelperClient
