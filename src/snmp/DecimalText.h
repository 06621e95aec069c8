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
char* writeDecimal(char* out, std::int64_t value);
