#pragma once

#include <string>

// Error numbers the socket layer reports in LastError. Failures of the system
// calls keep their errno value; the numbers below are the layer's own, chosen
// so they can never collide with an errno.
namespace SockErr {

constexpr int Ok = 0;
constexpr int WouldBlock = 10035;      // a send could not proceed yet
constexpr int NotSocket = 10038;       // no socket exists (creation failed or name unresolved)
constexpr int ConnectionReset = 10054; // readable with nothing to read, or the peer closed
constexpr int NoBufferSpace = 10055;   // a line longer than MaxLineLength
constexpr int TimedOut = 10060;        // a wait ran out its time-out
constexpr int HostNotFound = 11001;    // the resolver knows no such name
constexpr int TryAgain = 11002;        // the resolver failed for now
constexpr int NoRecovery = 11003;      // the resolver failed for good
constexpr int NoData = 11004;          // the name exists but has no address of that family

// Maps a getaddrinfo() result to the resolver numbers above.
int fromResolverError(int eaiCode);

// A description of an error number, for diagnostics only.
std::string description(int code);

} // namespace SockErr
