#pragma once

#include "VrColor.h"

enum TVrBevelStyle
{
    bsNone,
    bsLowered,
    bsRaised
};
enum TVrBevelOutline
{
    osOuter,
    osInner,
    osNone
};

// System colours of the bevel, from the application's palette (fixed
// defaults when there is no application yet).
namespace VrSystemColors {
TColor buttonFace();
TColor buttonShadow();
TColor buttonHighlight();
} // namespace VrSystemColors

// The frame drawn around a level bar's segments, from the outside in:
// border, outer outline and bevel, outer space, then the inner ones.
struct TVrBevel
{
    int BorderWidth = 0;
    TColor BorderColor = VrSystemColors::buttonFace();
    TColor InnerShadow = VrSystemColors::buttonShadow();
    TColor InnerHighlight = VrSystemColors::buttonHighlight();
    int InnerWidth = 1;
    TVrBevelStyle InnerStyle = bsLowered;
    TVrBevelOutline InnerOutline = osNone;
    int InnerSpace = 1;
    TColor InnerColor = VrSystemColors::buttonFace();
    TColor OuterShadow = VrSystemColors::buttonShadow();
    TColor OuterHighlight = VrSystemColors::buttonHighlight();
    int OuterWidth = 1;
    TVrBevelStyle OuterStyle = bsRaised;
    TVrBevelOutline OuterOutline = osOuter;
    int OuterSpace = 0;
    TColor OuterColor = VrSystemColors::buttonFace();
    bool Visible = true;

    // Pixels the frame takes on every side.
    int width() const;

    // A single black frame one pixel wide and none of the 3-D edges of a
    // new bevel: the latency bar's.
    static TVrBevel blackFrame();

    bool operator==(const TVrBevel& other) const;
    bool operator!=(const TVrBevel& other) const { return !(*this == other); }
};
