#pragma once

#include <string>

// The identity a sensor's usage is kept under: the agent's address and the
// interface index, "192.168.1.1#3". It stays the same when sensors are
// reordered, renamed or get another community, and it differs for two
// interfaces of one agent. The community is left out on purpose: it is a
// password of sorts and changes without the interface changing.
std::string usageSensorKey(const std::string& hostIP, const std::string& interfaceIndex);
