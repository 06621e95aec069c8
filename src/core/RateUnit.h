#pragma once

#include <cstdint>
#include <string>

// The unit rates are shown in. Stored as its number; the graph's data and the
// stored speeds stay in bytes per second whatever is chosen.
enum class TRateUnit : int32_t
{
    KibibytesPerSecond = 0, // " kb/s": 1024 bytes per second, the default
    MegabitsPerSecond = 1,  // " Mbit/s": 10^6 bits per second, the unit of contracts
    MegabytesPerSecond = 2, // " MB/s": 10^6 bytes per second, the unit of downloads
};

namespace RateUnit {

// The unit for a stored number; anything unknown is the default.
TRateUnit fromStored(int32_t stored);

// The unit text with its leading space: " kb/s", " Mbit/s", " MB/s".
const char* unitText(TRateUnit unit);

// Bytes per second in the unit.
double inUnit(double bytesPerSecond, TRateUnit unit);

// Decimals a rate label keeps in the unit, so a label does not change width
// from one poll to the next: one for kb/s (as always), two for the others.
int labelDecimals(TRateUnit unit);

// `value` with exactly `decimals` decimals (halves away from zero), the C
// library locale's decimal point, and no "-0" for a value that rounds to nothing.
std::string fixedNumber(double value, int decimals);

// "<prefix><rate in the unit><unit text>": the rate labels and the tray hint.
// In kb/s the text is the one the labels always had ("DL: 100.0 kb/s").
std::string rateLabel(const char* prefix, double bytesPerSecond, TRateUnit unit);

// Decimals for every label of a scale whose top is `maxBytesPerSecond`: all
// labels of one scale share them, so they line up and do not jump when the
// maximum grows within the same decade.
int scaleDecimals(double maxBytesPerSecond, TRateUnit unit);

// One label of the scale: `bytesPerSecond` in the unit with `decimals` decimals.
std::string scaleLabel(double bytesPerSecond, TRateUnit unit, int decimals);

} // namespace RateUnit
