#pragma once

#include "SnmpEngineCache.h"

#include <mutex>

// What one dialog has learnt of the agents' SNMPv3 engines (engine ids, clocks,
// localised keys), so that only its first request to an agent pays for
// discovery. The dialog keeps it while its reads use it on the network thread;
// a read still running when the dialog goes keeps it alive, hence shared, and
// it is only touched under its lock.
struct GuardedEngineCache
{
    std::mutex Mutex;
    SnmpEngineCache Cache;
};
