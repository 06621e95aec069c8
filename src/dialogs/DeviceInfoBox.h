#pragma once

#include <string>

class IDeviceNetwork;

// Reads an agent's name, description and interface count and shows them in an
// information box; when the agent does not answer the name request, shows the
// no-reply error instead and returns false.
bool ShowRouterInfo(IDeviceNetwork& network, const std::string& host, const std::string& community);
