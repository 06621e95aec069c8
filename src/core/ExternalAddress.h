#pragma once

#include <optional>
#include <string>
#include <vector>

// The external-address row: a web service answers a plain GET with the
// caller's address on the first line of its body.
namespace ExternalAddress {

// The service asked. It is only contacted when the sensor is switched on.
extern const char* const kServiceUrl;
// Period of the sensor's timer in milliseconds.
constexpr unsigned kTimerInterval = 10000;
// A whole request may take this many milliseconds, whatever the server
// trickles: by then the next tick is due.
constexpr int kRequestDeadline = 10000;
// The row's caption before any answer.
extern const char* const kInitialCaption;

// The new caption from one request: the first line of the body, unchanged,
// when the request succeeded and the body has a line; nothing (keep the
// caption) otherwise.
std::optional<std::string> captionFromAnswer(bool succeeded, const std::vector<std::string>& lines);

} // namespace ExternalAddress
