#pragma once

#include "SnmpdPeer.h"

#include <functional>

// The run's own snmpd on a loopback address of the benchmark's, started at
// the first call for that address; configure (SNMPv3 users, say) runs just
// before it starts. A run that cannot start it ends there, with the reason.
SnmpdPeer& benchAgent(const char* address,
                      const std::function<void(SnmpdPeer&)>& configure = nullptr);

// The datagrams the agent at address has received so far (snmpInPkts).
double agentInPackets(const char* address);
