#include "ConvertError.h"

bool tryStrToInt32(std::string_view text, int32_t& result)
{
    std::size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) {
        negative = text[pos] == '-';
        ++pos;
    }
    if (pos == text.size())
        return false;
    // Accumulate as a negative number so that INT32_MIN fits.
    int64_t value = 0;
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
        if (value > int64_t(INT32_MAX) + 1)
            return false;
    }
    if (negative)
        value = -value;
    if (value > INT32_MAX)
        return false;
    result = int32_t(value);
    return true;
}

int32_t strToInt32(std::string_view text)
{
    int32_t value = 0;
    if (!tryStrToInt32(text, value))
        throw TConvertError("'" + std::string(text) + "' is not a valid integer value");
    return value;
}
