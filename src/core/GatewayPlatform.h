#pragma once

#include "RouteTable.h"

#include <optional>

// The machine's default IPv4 gateway, read from the system's routing table;
// none when there is no default route or the table cannot be read.
std::optional<DefaultGateway> findDefaultGateway();
