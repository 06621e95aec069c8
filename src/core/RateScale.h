#pragma once

#include "RateUnit.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The numbers beside a sensor's graph, in the unit its rate labels use.
//
// A scale is read against the line drawn next to it, so every label must say
// the rate the graph draws at its height, and people read "0, 200, 400 ... 1000"
// at a glance where "0, 131, 262 ... 1049" has to be deciphered. Labels must
// also fit the narrow column beside the graph whole, so long numbers are
// written with k, M or G (thousand, million, billion of the unit).
namespace RateScale {

// How wide a label's text is, in the same measure as the column.
using TextWidth = std::function<int(const std::string& text)>;

struct TScaleLabels
{
    // The graph's full scale in bytes per second: the top label's rate.
    double topBytesPerSecond = 0;
    // Intervals between the labels; ticks + 1 labels.
    int ticks = 1;
    // The label texts, bottom (0) first.
    std::vector<std::string> texts;
    // True when these are the digits the scale has always shown (kb/s, a
    // speed whose top divides into the intervals, every label fits).
    bool plainDigits = false;
};

// Round steps for a line of `lineBytesPerSecond`: the step is 1, 2, 2.5 or 5
// times a power of ten in `unit`, with `minTicks` to `maxTicks` intervals, the
// top at or above the line's rate and as close to it as such steps allow
// (then the rounder step, then more intervals). Steps whose labels do not all
// fit `columnWidth` are taken only when none fits.
TScaleLabels roundScale(double lineBytesPerSecond, TRateUnit unit, int minTicks, int maxTicks,
                        const TextWidth& width, int columnWidth);

// The scale of a line of `downSpeedKbps` (the sensor's speed setting) in a
// layout of `ticks` intervals. In kb/s the top is that speed div 8 and the
// steps are whole numbers: where they divide the top exactly and fit, they
// stay. Otherwise round steps for the line's rate (kbit/s of 1000 bits),
// with at most `ticks` and at least half as many intervals.
TScaleLabels speedScale(std::int64_t downSpeedKbps, TRateUnit unit, int ticks,
                        const TextWidth& width, int columnWidth);

// Labels for a full scale that is given (a live graph's highest rate so
// far): `ticks` equal steps up to `topBytesPerSecond`, each written with
// enough decimals that neighbours differ, abbreviated where they do not fit.
TScaleLabels fixedScale(double topBytesPerSecond, TRateUnit unit, int ticks, const TextWidth& width,
                        int columnWidth);

// The label texts for values in the unit: with `decimals` decimals when all
// fit the column; otherwise each shortened as `abbreviated` does.
std::vector<std::string> labelTexts(const std::vector<double>& values, int decimals,
                                    const TextWidth& width, int columnWidth);

// A value in the unit written with k, M or G (and at most two decimals of
// those) once it reaches a thousand, below with `decimals`; trailing zeros
// dropped: "2.5k", "1.25M", "10G", "0.025".
std::string abbreviated(double value, int decimals);

} // namespace RateScale
