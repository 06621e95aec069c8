#include "LatencyDisplay.h"

namespace LatencyDisplay {

const char* const kWaitingCaption = "Please wait...";
const char* const kNoReplyCaption = "Host did not reply";

TLatencyView latencyView(int roundTrip)
{
    TLatencyView view;
    if (roundTrip == 0) {
        // A reply faster than the clock counts (a router next door): the
        // bar stands where a 1 ms reply puts it.
        view.position = 1;
        view.color = clLime;
        view.caption = "Network Latency: <1 ms";
        return view;
    }
    if (roundTrip < 0) {
        view.position = 0;
        view.color = clGray;
        view.caption = kNoReplyCaption;
        return view;
    }
    view.position = roundTrip > kBarMaximum ? kBarMaximum : roundTrip;
    if (roundTrip <= kLowBandEnd)
        view.color = clLime;
    else if (roundTrip <= kMiddleBandEnd)
        view.color = clYellow;
    else
        view.color = clRed;
    // The caption keeps the true figure even when the bar is pinned.
    view.caption = "Network Latency: " + std::to_string(roundTrip) + " ms";
    return view;
}

} // namespace LatencyDisplay
