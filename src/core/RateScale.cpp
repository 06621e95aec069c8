#include "RateScale.h"

#include <algorithm>
#include <clocale>
#include <cmath>

namespace RateScale {

namespace {

bool allFit(const std::vector<std::string>& texts, const TextWidth& width, int columnWidth)
{
    return std::all_of(texts.begin(), texts.end(), [&](const std::string& text) {
        return !width || width(text) <= columnWidth;
    });
}

// Bytes per second for one of the unit.
double bytesPerUnit(TRateUnit unit)
{
    return 1.0 / RateUnit::inUnit(1.0, unit);
}

// A step of the rounder kinds, and how round it reads: 1 before 2 before 5
// before 2.5.
struct TStep
{
    double value;
    int decimals;
    int roundness;
};

// The smallest round step at or above `wanted` (> 0).
TStep roundStepAtLeast(double wanted)
{
    const int exponent = static_cast<int>(std::floor(std::log10(wanted)));
    struct Mantissa
    {
        double value;
        int extraDecimals;
        int roundness;
    };
    static const Mantissa kMantissas[] = {
        {1, 0, 0}, {2, 0, 1}, {2.5, 1, 3}, {5, 0, 2}, {10, -1, 0}};
    for (const Mantissa& m : kMantissas) {
        const double step = m.value * std::pow(10.0, exponent);
        if (step >= wanted * (1 - 1e-12))
            return {step, std::max(0, -exponent + m.extraDecimals), m.roundness};
    }
    return {10 * std::pow(10.0, exponent), std::max(0, -exponent - 1), 0};
}

std::string trimmedZeros(std::string text)
{
    const std::string point = std::localeconv()->decimal_point;
    if (text.find(point) == std::string::npos)
        return text;
    while (!text.empty() && text.back() == '0')
        text.pop_back();
    if (text.size() >= point.size() &&
        text.compare(text.size() - point.size(), point.size(), point) == 0)
        text.erase(text.size() - point.size());
    return text;
}

std::vector<double> steps(double step, int ticks)
{
    std::vector<double> values;
    for (int k = 0; k <= ticks; ++k)
        values.push_back(step * k);
    return values;
}

} // namespace

std::string abbreviated(double value, int decimals)
{
    // Two decimals of a thousand are as fine as a label column can show.
    constexpr int kSuffixDecimals = 2;
    static const struct
    {
        double divisor;
        const char* suffix;
    } kSuffixes[] = {{1e9, "G"}, {1e6, "M"}, {1e3, "k"}};
    for (const auto& s : kSuffixes) {
        // Rounded first: 999,999 shown in millions is "1.00", written "1M".
        if (std::fabs(value) >= s.divisor * (1 - 0.5e-5))
            return trimmedZeros(RateUnit::fixedNumber(value / s.divisor, kSuffixDecimals)) +
                   s.suffix;
    }
    return trimmedZeros(RateUnit::fixedNumber(value, decimals));
}

std::vector<std::string> labelTexts(const std::vector<double>& values, int decimals,
                                    const TextWidth& width, int columnWidth)
{
    std::vector<std::string> plain;
    for (const double value : values)
        plain.push_back(RateUnit::fixedNumber(value, decimals));
    if (allFit(plain, width, columnWidth))
        return plain;
    std::vector<std::string> shortened;
    for (const double value : values)
        shortened.push_back(abbreviated(value, decimals));
    return shortened;
}

TScaleLabels roundScale(double lineBytesPerSecond, TRateUnit unit, int minTicks, int maxTicks,
                        const TextWidth& width, int columnWidth)
{
    double line = RateUnit::inUnit(lineBytesPerSecond, unit);
    // A speed of nothing (or not a number) still needs a scale to draw.
    if (!(line > 0) || !std::isfinite(line))
        line = 1;
    minTicks = std::max(1, minTicks);
    maxTicks = std::max(minTicks, maxTicks);

    struct TCandidate
    {
        TScaleLabels labels;
        bool fits;
        double top;
        int roundness;
    };
    std::vector<TCandidate> candidates;
    for (int ticks = minTicks; ticks <= maxTicks; ++ticks) {
        const TStep step = roundStepAtLeast(line / ticks);
        TScaleLabels labels;
        labels.ticks = ticks;
        labels.texts = labelTexts(steps(step.value, ticks), step.decimals, width, columnWidth);
        const double top = step.value * ticks;
        labels.topBytesPerSecond = top * bytesPerUnit(unit);
        candidates.push_back(
            {labels, allFit(labels.texts, width, columnWidth), top, step.roundness});
    }
    const auto better = [](const TCandidate& a, const TCandidate& b) {
        if (a.fits != b.fits)
            return a.fits;
        if (std::fabs(a.top - b.top) > 1e-9 * std::max(a.top, b.top))
            return a.top < b.top;
        if (a.roundness != b.roundness)
            return a.roundness < b.roundness;
        return a.labels.ticks > b.labels.ticks;
    };
    return std::min_element(candidates.begin(), candidates.end(), better)->labels;
}

TScaleLabels speedScale(std::int64_t downSpeedKbps, TRateUnit unit, int ticks,
                        const TextWidth& width, int columnWidth)
{
    ticks = std::max(1, ticks);
    const std::int64_t top = downSpeedKbps / 8;
    if (unit == TRateUnit::KibibytesPerSecond && top > 0 && top % ticks == 0) {
        std::vector<std::string> texts;
        for (int k = 0; k <= ticks; ++k)
            texts.push_back(std::to_string(top / ticks * k));
        if (allFit(texts, width, columnWidth)) {
            TScaleLabels labels;
            labels.topBytesPerSecond = static_cast<double>(downSpeedKbps) * 128;
            labels.ticks = ticks;
            labels.texts = std::move(texts);
            labels.plainDigits = true;
            return labels;
        }
    }
    // The speed is in kbit/s as the agent and the device dialog give it:
    // thousands of bits, so a 1 Gbit/s line is 1000 Mbit/s at the top.
    const double line = static_cast<double>(downSpeedKbps) * 1000.0 / 8.0;
    return roundScale(line, unit, std::max(1, (ticks + 1) / 2), ticks, width, columnWidth);
}

TScaleLabels fixedScale(double topBytesPerSecond, TRateUnit unit, int ticks, const TextWidth& width,
                        int columnWidth)
{
    ticks = std::max(1, ticks);
    const double top = RateUnit::inUnit(topBytesPerSecond, unit);
    const double step = top / ticks;
    const std::vector<double> values = steps(step, ticks);
    // The fewest decimals that keep neighbouring labels apart.
    int decimals = 0;
    for (; decimals < 6; ++decimals) {
        bool apart = true;
        for (int k = 1; k <= ticks && apart; ++k)
            apart = RateUnit::fixedNumber(values[k], decimals) !=
                    RateUnit::fixedNumber(values[k - 1], decimals);
        if (apart)
            break;
    }
    TScaleLabels labels;
    labels.topBytesPerSecond = topBytesPerSecond;
    labels.ticks = ticks;
    labels.texts = labelTexts(values, decimals, width, columnWidth);
    return labels;
}

} // namespace RateScale
