#include "LogTextFormat.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace LogTextFormat {

namespace {

constexpr int kSignificantDigits = 15;
// Below this magnitude the general format switches to scientific notation.
constexpr int kLowestFixedExponent = -5;

std::string formatCalendar(const std::string& pattern, const std::tm& time)
{
    if (pattern.empty())
        return {};
    // strftime gives 0 both for an empty result and for a buffer that is too
    // small; a locale's patterns never come near the larger size.
    for (std::size_t size : {std::size_t(128), std::size_t(4096)}) {
        std::vector<char> buffer(size);
        const std::size_t length =
            std::strftime(buffer.data(), buffer.size(), pattern.c_str(), &time);
        if (length > 0)
            return std::string(buffer.data(), length);
    }
    return {};
}

} // namespace

std::string formatTimeStamp(const TLocalDateTime& when, const TLocaleFormats& formats)
{
    const std::string date = formatCalendar(formats.shortDate, when.time);
    const bool midnight = when.time.tm_hour == 0 && when.time.tm_min == 0 &&
                          when.time.tm_sec == 0 && when.milliseconds == 0;
    if (midnight)
        return date;
    return date + " " + formatCalendar(formats.longTime, when.time);
}

std::string formatGeneral(double value, const std::string& decimalPoint)
{
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";
    if (value == 0)
        return "0";

    // d.dddddddddddddde±x: the 15 significant digits and the exponent,
    // rounded by the C library.
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*e", kSignificantDigits - 1, value);
    const std::string scientific = buffer;
    const bool negative = scientific[0] == '-';
    const std::size_t mantissaStart = negative ? 1 : 0;
    const std::size_t e = scientific.find('e');
    std::string digits;
    // The radix character of printf follows the thread's locale: skip it,
    // whatever it is.
    for (std::size_t i = mantissaStart; i < e; ++i) {
        if (scientific[i] >= '0' && scientific[i] <= '9')
            digits += scientific[i];
    }
    const int exponent = std::atoi(scientific.c_str() + e + 1);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    std::string text = negative ? "-" : "";
    if (exponent >= kSignificantDigits || exponent < kLowestFixedExponent) {
        text += digits[0];
        if (digits.size() > 1)
            text += decimalPoint + digits.substr(1);
        text += "E" + std::to_string(exponent);
        return text;
    }
    if (exponent < 0) {
        text += "0" + decimalPoint + std::string(std::size_t(-exponent - 1), '0') + digits;
        return text;
    }
    const std::size_t integerDigits = std::size_t(exponent) + 1;
    if (digits.size() <= integerDigits) {
        text += digits + std::string(integerDigits - digits.size(), '0');
        return text;
    }
    text += digits.substr(0, integerDigits) + decimalPoint + digits.substr(integerDigits);
    return text;
}

std::string formatOneDecimal(double value, const std::string& decimalPoint)
{
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";
    const double tenths = std::round(value * 10.0);
    if (tenths == 0)
        return "0" + decimalPoint + "0";
    if (std::fabs(tenths) < 1e17) {
        const auto whole = static_cast<long long>(tenths);
        const long long magnitude = whole < 0 ? -whole : whole;
        return (whole < 0 ? "-" : "") + std::to_string(magnitude / 10) + decimalPoint +
               std::to_string(magnitude % 10);
    }
    // From here on a double holds whole numbers only, and "%.0f" writes no
    // radix character.
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, "%.0f", value);
    return buffer + decimalPoint + "0";
}

} // namespace LogTextFormat
