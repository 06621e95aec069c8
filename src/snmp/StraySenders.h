#pragma once

#include <string>

// Which other address answered for an agent lately: a multi-homed device
// polled on one address may answer from another, and the reply is refused.
// The user can only fix that when told where the answer came from, so the
// client notes it here, per agent, until the agent answers from its own
// address again. Safe to use from any thread.
namespace StraySenders {

void remember(const std::string& agent, const std::string& sender);
void forget(const std::string& agent);
// The address that last answered in the agent's place; empty when none did
// since its last proper answer.
std::string lookup(const std::string& agent);

} // namespace StraySenders
