#pragma once

#include "VrColor.h"

// The two colours of a level bar zone: Low for a dark segment, High for a lit one.
struct TVrPalette
{
    TColor Low = VrColor::clGreen;
    TColor High = VrColor::clLime;

    bool operator==(const TVrPalette& other) const
    {
        return Low == other.Low && High == other.High;
    }
    bool operator!=(const TVrPalette& other) const { return !(*this == other); }
};
