#pragma once

// The floor a poll pass is measured against: for each sensor, the five gets a
// pass makes (uptime twice, both counters of interface 1, uptime again), each
// as one bare UDP round trip on a fresh connected socket with a blocking
// receive. False when the agent did not answer one of them.
bool bareUdpPollFloor(const char* agentAddress, int sensors);
