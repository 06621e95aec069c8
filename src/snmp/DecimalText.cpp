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

char* writeDecimal(char* out, std::int64_t value)
{
    // Most OID arcs and many values are below 100: skip the general conversion.
    if (value >= 0 && value < 10) {
        *out = static_cast<char>('0' + value);
        return out + 1;
    }
    if (value >= 10 && value < 100) {
        out[0] = static_cast<char>('0' + value / 10);
        out[1] = static_cast<char>('0' + value % 10);
        return out + 2;
    }
    return std::to_chars(out, out + MaxDecimalChars, value).ptr;
}

void appendDecimal(std::string& text, std::int64_t value)
{
    char digits[MaxDecimalChars];
    text.append(digits, static_cast<std::size_t>(writeDecimal(digits, value) - digits));
}
