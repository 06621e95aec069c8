#pragma once

// Content octets of the unsigned application types (Counter32, Gauge32,
// TimeTicks, Counter64), read strictly: an agent's value either fits its type
// or is refused, never cut down to its low bits.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The minimal content of value, with a leading 00 when the top bit of the
// first octet is set (2^63 -> 00 80 00 00 00 00 00 00 00).
std::string EncodeUnsigned64(std::uint64_t value);

// Reads content holding an unsigned number of at most `bits` bits (32 or 64).
// It may be up to bits/8 octets, or one more when that first octet is 00 (the
// sign octet BER puts before a set top bit). Empty or longer content, or a
// value above the type's range, is refused.
bool DecodeUnsigned(std::string_view content, unsigned bits, std::uint64_t& value);
