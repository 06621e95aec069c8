#pragma once

#include <string>

// Whether a TCP connection to address:port is accepted within `waitMs`.
bool waitForTcpPort(const std::string& address, int port, int waitMs);
