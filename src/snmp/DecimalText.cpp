#include "DecimalText.h"

#include <charconv>

bool parseDecimalInt32(std::string_view text, std::int32_t& value)
{
    // from_chars accepts exactly "-?[0-9]+" for integers and reports overflow.
    if (text.empty() || text.front() == '+') {
        return false;
    }
    std::int32_t parsed = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (error != std::errc() || end != text.data() + text.size()) {
        return false;
    }
    value = parsed;
    return true;
}

std::int32_t decimalInt32OrZero(std::string_view text)
{
    std::int32_t value = 0;
    return parseDecimalInt32(text, value) ? value : 0;
}

char* writeAnyDecimal(char* out, std::int64_t value)
{
    return std::to_chars(out, out + MaxDecimalChars, value).ptr;
}

void appendDecimal(std::string& text, std::int64_t value)
{
    char digits[MaxDecimalChars];
    text.append(digits, static_cast<std::size_t>(writeDecimal(digits, value) - digits));
}

bool parseDecimalUInt64(std::string_view text, std::uint64_t& value)
{
    // from_chars would take a '-' for an unsigned type as an error anyway; a
    // '+' it does not accept either, and both are refused here first.
    if (text.empty() || text.front() < '0' || text.front() > '9') {
        return false;
    }
    std::uint64_t parsed = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (error != std::errc() || end != text.data() + text.size()) {
        return false;
    }
    value = parsed;
    return true;
}

void appendDecimalUnsigned(std::string& text, std::uint64_t value)
{
    char digits[MaxDecimalChars];
    text.append(digits, static_cast<std::size_t>(
                            std::to_chars(digits, digits + MaxDecimalChars, value).ptr - digits));
}
