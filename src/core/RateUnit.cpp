#include "RateUnit.h"

#include <clocale>
#include <cmath>
#include <cstdio>

namespace RateUnit {

TRateUnit fromStored(int32_t stored)
{
    switch (stored) {
    case 1:
        return TRateUnit::MegabitsPerSecond;
    case 2:
        return TRateUnit::MegabytesPerSecond;
    default:
        return TRateUnit::KibibytesPerSecond;
    }
}

const char* unitText(TRateUnit unit)
{
    switch (unit) {
    case TRateUnit::MegabitsPerSecond:
        return " Mbit/s";
    case TRateUnit::MegabytesPerSecond:
        return " MB/s";
    case TRateUnit::KibibytesPerSecond:
        break;
    }
    return " kb/s";
}

double inUnit(double bytesPerSecond, TRateUnit unit)
{
    switch (unit) {
    case TRateUnit::MegabitsPerSecond:
        return bytesPerSecond * 8.0 / 1e6;
    case TRateUnit::MegabytesPerSecond:
        return bytesPerSecond / 1e6;
    case TRateUnit::KibibytesPerSecond:
        break;
    }
    return bytesPerSecond / 1024.0;
}

int labelDecimals(TRateUnit unit)
{
    return unit == TRateUnit::KibibytesPerSecond ? 1 : 2;
}

std::string fixedNumber(double value, int decimals)
{
    if (decimals < 0)
        decimals = 0;
    if (decimals > 9)
        decimals = 9;
    long long scale = 1;
    for (int i = 0; i < decimals; ++i)
        scale *= 10;
    const double scaled = std::round(value * static_cast<double>(scale));
    const char* point = std::localeconv()->decimal_point;
    if (!(std::fabs(scaled) < 1e17)) {
        // Beyond what an integer holds (or not a number): the C library's
        // own text, which still shows what the value is.
        char buffer[400];
        std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
        return buffer;
    }
    const auto whole = static_cast<long long>(scaled);
    const long long magnitude = whole < 0 ? -whole : whole;
    std::string text = (whole < 0 ? "-" : "") + std::to_string(magnitude / scale);
    if (decimals > 0) {
        std::string fraction = std::to_string(magnitude % scale);
        fraction.insert(0, static_cast<std::size_t>(decimals) - fraction.size(), '0');
        text += point + fraction;
    }
    return text;
}

std::string rateLabel(const char* prefix, double bytesPerSecond, TRateUnit unit)
{
    return prefix + fixedNumber(inUnit(bytesPerSecond, unit), labelDecimals(unit)) + unitText(unit);
}

int scaleDecimals(double maxBytesPerSecond, TRateUnit unit)
{
    // The scale of kb/s has always shown whole numbers.
    if (unit == TRateUnit::KibibytesPerSecond)
        return 0;
    const double top = std::fabs(inUnit(maxBytesPerSecond, unit));
    if (top >= 100)
        return 0;
    if (top >= 10)
        return 1;
    if (top >= 1)
        return 2;
    return 3;
}

std::string scaleLabel(double bytesPerSecond, TRateUnit unit, int decimals)
{
    return fixedNumber(inUnit(bytesPerSecond, unit), decimals);
}

} // namespace RateUnit
