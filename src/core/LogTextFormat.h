#pragma once

#include <ctime>
#include <string>

// The user's conventions for writing dates, times and numbers: strftime
// patterns for the short date and the long time, and the decimal separator.
struct TLocaleFormats
{
    std::string shortDate = "%m/%d/%y";
    std::string longTime = "%H:%M:%S";
    std::string decimalPoint = ".";
};

// A local calendar time with the milliseconds the calendar fields lack.
struct TLocalDateTime
{
    std::tm time{};
    int milliseconds = 0;
};

// How the traffic log writes its fields.
namespace LogTextFormat {

// The short date, a space and the long time; the date alone when the time
// is exactly midnight.
std::string formatTimeStamp(const TLocalDateTime& when, const TLocaleFormats& formats);

// General number format with up to 15 significant digits: plain decimals
// from 0.00001 up to 15 integer digits, scientific ("1.5E-6", "1E20")
// outside that range, no trailing zeros.
std::string formatGeneral(double value, const std::string& decimalPoint);

// Exactly one decimal, halves rounded away from zero; never "-0.0".
std::string formatOneDecimal(double value, const std::string& decimalPoint);

} // namespace LogTextFormat
