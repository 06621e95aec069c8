#pragma once

#include <string>

// Moves the calling thread, and so every process and thread it starts later,
// into a network namespace of its own with only its loopback interface up.
// The suite's agents, streams, X server and program then share a loopback
// interface that nothing else on the machine adds traffic to, and nothing
// can leave the machine. Needs root; false with the reason otherwise.
bool enterPrivateLoopback(std::string& error);
