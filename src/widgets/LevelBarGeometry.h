#pragma once

#include "TVrBevel.h"
#include "VrTypes.h"

#include <QRect>

#include <cstdint>
#include <vector>

// The integer layout rules of the level bar, free of any widget.
namespace LevelBarGeometry {

struct Layout
{
    QRect area;     // the client rectangle inside the bevel
    int pitch = 0;  // TickHeight + Spacing
    int count = 0;  // segments that fit
    int length = 0; // the control's length along the bar, snapped to whole segments
};

// length is the unchanged client length when no segment fits.
Layout layout(int clientWidth, int clientHeight, int bevelWidth, int tickHeight, int spacing,
              TVrOrientation orientation);

// Segments lit for a position: S(P(position - min, max - min), count).
int litCount(std::int64_t position, std::int64_t minValue, std::int64_t maxValue, int count);

// Last segment of zone 1 and of zone 2 (segments numbered from 1).
struct Zones
{
    int z1 = 0;
    int z12 = 0;
};
Zones zones(int percent1, int percent2, int count);
// 1, 2 or 3 for segment k.
int zoneOf(int k, const Zones& zones);

// Segment k (1 .. count), numbered from the end the bar grows from.
QRect segmentRect(int k, const Layout& layout, int tickHeight, TVrOrientation orientation,
                  TVrProgressStyle style);

// One frame of the bevel: a one-pixel rectangle outline whose top and left
// edges take topLeft and whose bottom and right edges take bottomRight.
struct Frame
{
    QRect rect;
    TColor topLeft;
    TColor bottomRight;
};
std::vector<Frame> bevelFrames(const QRect& client, const TVrBevel& bevel);

} // namespace LevelBarGeometry
