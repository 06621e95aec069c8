#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

// Raised when a text that must be a number is not one.
class TConvertError : public std::runtime_error
{
public:
    explicit TConvertError(const std::string& message) : std::runtime_error(message) {}
};

// Strict signed 32-bit decimal: an optional sign and digits, nothing else.
bool tryStrToInt32(std::string_view text, int32_t& result);
// The same, raising "'<text>' is not a valid integer value" on failure.
int32_t strToInt32(std::string_view text);
