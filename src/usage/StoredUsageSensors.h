#pragma once

#include "TUsageRecorder.h"

#include <vector>

// The sensors of the settings store with their usage settings, read without
// writing anything (the program may be running and own the store). Values
// that are missing take their defaults; a store that cannot be read gives no
// sensors.
std::vector<TUsageSensorConfig> storedUsageSensors();
