#pragma once

#include <string>

// Classifies address text the way the resolver needs it: a literal IPv4 or
// IPv6 address decides the socket family by itself, anything else is a name.
namespace AddressLiteral {

// Four dot-separated decimal numbers, each all digits and 0 to 255.
bool isIP4(const std::string& text);

// Hexadecimal groups of at most four digits, at most eight groups, at most
// one "::", and an optional "%zone" suffix.
bool isIP6(const std::string& text);

} // namespace AddressLiteral
