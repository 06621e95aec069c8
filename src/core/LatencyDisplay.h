#pragma once

#include "TSensorRecord.h"

#include <string>

// How one round trip of the latency sensor is shown: the level bar's
// position, the label's colour and its caption.
namespace LatencyDisplay {

// The bar's full scale; longer round trips pin it at the end.
constexpr int kBarMaximum = 200;
// Upper ends (inclusive) of the green and the yellow band.
constexpr int kLowBandEnd = 80;
constexpr int kMiddleBandEnd = 150;

constexpr TColor clGray = 0x808080;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clRed = 0x0000FF;

// Shown while the first round trip after switching the sensor on is pending.
extern const char* const kWaitingCaption;
extern const char* const kNoReplyCaption;

struct TLatencyView
{
    int position = 0;
    TColor color = clGray;
    std::string caption;

    bool operator==(const TLatencyView& other) const
    {
        return position == other.position && color == other.color && caption == other.caption;
    }
};

// `roundTrip` is milliseconds, or -1 for no reply. A round trip of 0 is a
// reply in under a millisecond: "Network Latency: <1 ms", lime, the bar at
// its first step.
TLatencyView latencyView(int roundTrip);

} // namespace LatencyDisplay
