#pragma once

// Byte strings written as hex pairs ("30 03 02 01 05"), for readable test data.

#include <cctype>
#include <stdexcept>
#include <string>

inline std::string hexBytes(const std::string& hex)
{
    std::string bytes;
    int high = -1;
    for (const char c : hex) {
        if (std::isspace(static_cast<unsigned char>(c))) {
            continue;
        }
        if (!std::isxdigit(static_cast<unsigned char>(c))) {
            throw std::invalid_argument("not a hex digit in test data: " + hex);
        }
        const int digit = std::isdigit(static_cast<unsigned char>(c))
                              ? c - '0'
                              : std::tolower(static_cast<unsigned char>(c)) - 'a' + 10;
        if (high < 0) {
            high = digit;
        } else {
            bytes += static_cast<char>(high * 16 + digit);
            high = -1;
        }
    }
    if (high >= 0) {
        throw std::invalid_argument("odd number of hex digits in test data: " + hex);
    }
    return bytes;
}

inline std::string toHex(const std::string& bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (!hex.empty()) {
            hex += ' ';
        }
        hex += digits[byte >> 4];
        hex += digits[byte & 0x0F];
    }
    return hex;
}
