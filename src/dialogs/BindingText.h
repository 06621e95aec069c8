#pragma once

#include <string>

// A binding's value as the dialogs take it from SNMPv2c and SNMPv3 agents:
// counters, gauges and time ticks as the unsigned numbers they are, anything
// else as read. Serves the bindings of both message versions.
template <typename Binding> std::string bindingText(const Binding& binding)
{
    return binding.isUnsigned() ? std::to_string(binding.Number) : binding.Value;
}
