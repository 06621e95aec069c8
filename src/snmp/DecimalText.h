#pragma once

// Decimal text of the numbers that travel through the SNMP layer as text.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Reads an optional '-' followed by one or more ASCII digits that fit a signed
// 32-bit integer. Anything else (spaces, '+', empty, out of range) is refused.
bool parseDecimalInt32(std::string_view text, std::int32_t& value);

// The signed 32-bit value of the text, or 0 when the text is not such a number.
std::int32_t decimalInt32OrZero(std::string_view text);

// Appends the decimal text of value to text.
void appendDecimal(std::string& text, std::int64_t value);

// Writes the decimal text of value at out (at most MaxDecimalChars characters)
// and returns the end of what was written.
constexpr std::size_t MaxDecimalChars = 20;
inline char* writeDecimal(char* out, std::int64_t value);
// writeDecimal for any value.
char* writeAnyDecimal(char* out, std::int64_t value);

inline char* writeDecimal(char* out, std::int64_t value)
{
    // Most OID arcs are below 100: skip the general conversion.
    if (value >= 0 && value < 10) {
        *out = static_cast<char>('0' + value);
        return out + 1;
    }
    if (value >= 10 && value < 100) {
        out[0] = static_cast<char>('0' + value / 10);
        out[1] = static_cast<char>('0' + value % 10);
        return out + 2;
    }
    return writeAnyDecimal(out, value);
}

// Reads one or more ASCII digits that fit an unsigned 64-bit integer; anything
// else (a sign, spaces, empty, out of range) is refused.
bool parseDecimalUInt64(std::string_view text, std::uint64_t& value);

// Appends the decimal text of an unsigned 64-bit value to text.
void appendDecimalUnsigned(std::string& text, std::uint64_t value);
