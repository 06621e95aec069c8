#pragma once

#include "ChildProcess.h"

#include <string>
#include <vector>

// What the SNMP agents the tests start (net-snmp's snmpd, the snmpsim
// simulator) share on the way up: the checks before, and the wait until the
// agent answers as a manager sees it.
namespace AgentStart {

// Why an agent cannot start on address's UDP port 161 here: a program of
// `programs` missing, no root, or the port held; empty when it can.
std::string problem(const std::vector<std::string>& programs, const std::string& address);

// Runs probe (a net-snmp command) until it exits with 0, at most attempts
// times, 100 ms apart; false with a reason in error when the agent exited
// or never answered.
bool waitUntilAnswering(ChildProcess& agent, const std::vector<std::string>& probe, int attempts,
                        const std::string& name, std::string& error);

} // namespace AgentStart
