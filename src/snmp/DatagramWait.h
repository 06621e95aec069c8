#pragma once

#include "TUDPBlockSocket.h"

#include <functional>
#include <string>

// The wait for an agent's answer: datagrams are received into `datagram`
// until `accept` takes one, a socket error ends the wait or `timeoutMs` have
// passed since the call (one deadline for the whole wait, however many
// refused datagrams arrive). True when a datagram was accepted.
bool awaitDatagram(TUDPBlockSocket& sock, int timeoutMs, std::string& datagram,
                   const std::function<bool(const std::string&)>& accept);
