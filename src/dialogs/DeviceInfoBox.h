#pragma once

#include <string>

struct DeviceInfo;

// Shows an agent's name, description and interface count in an information
// box; for an agent that did not answer the name request, the no-reply error
// (or why it refused, and another address that answered in its place).
void showDeviceInfo(const DeviceInfo& info, const std::string& host);
