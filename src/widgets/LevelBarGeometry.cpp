#include "LevelBarGeometry.h"

#include "VrPercent.h"

namespace LevelBarGeometry {

Layout layout(int clientWidth, int clientHeight, int bevelWidth, int tickHeight, int spacing,
              TVrOrientation orientation)
{
    Layout l;
    l.area =
        QRect(bevelWidth, bevelWidth, clientWidth - 2 * bevelWidth, clientHeight - 2 * bevelWidth);
    l.pitch = tickHeight + spacing;
    const bool horizontal = orientation == voHorizontal;
    const int areaLength = horizontal ? l.area.width() : l.area.height();
    const int start = horizontal ? l.area.left() : l.area.top();
    l.length = horizontal ? clientWidth : clientHeight;
    if (l.pitch <= 0 || areaLength + spacing <= 0)
        return l;
    l.count = (areaLength + spacing) / l.pitch;
    if (l.count > 0)
        l.length = 2 * start + l.count * l.pitch - spacing;
    return l;
}

int litCount(std::int64_t position, std::int64_t minValue, std::int64_t maxValue, int count)
{
    return VrPercent::shareOf(VrPercent::percentOf(position - minValue, maxValue - minValue),
                              count);
}

Zones zones(int percent1, int percent2, int count)
{
    Zones z;
    z.z1 = VrPercent::shareOf(percent1, count);
    z.z12 = z.z1 + VrPercent::shareOf(percent2, count);
    return z;
}

int zoneOf(int k, const Zones& zones)
{
    if (k <= zones.z1)
        return 1;
    if (k <= zones.z12)
        return 2;
    return 3;
}

QRect segmentRect(int k, const Layout& l, int tickHeight, TVrOrientation orientation,
                  TVrProgressStyle style)
{
    const int offset = (k - 1) * l.pitch;
    const QRect& a = l.area;
    if (orientation == voHorizontal) {
        const int left =
            style == psBottomLeft ? a.left() + offset : a.left() + a.width() - offset - tickHeight;
        return QRect(left, a.top(), tickHeight, a.height());
    }
    const int top =
        style == psTopRight ? a.top() + offset : a.top() + a.height() - offset - tickHeight;
    return QRect(a.left(), top, a.width(), tickHeight);
}

std::vector<Frame> bevelFrames(const QRect& client, const TVrBevel& b)
{
    std::vector<Frame> frames;
    if (!b.Visible)
        return frames;
    QRect r = client;
    auto add = [&](int n, TColor topLeft, TColor bottomRight) {
        // Frames beyond the middle of the rectangle have nothing left to draw.
        for (int i = 0; i < n && r.width() > 0 && r.height() > 0; ++i) {
            frames.push_back({r, topLeft, bottomRight});
            r.adjust(1, 1, -1, -1);
        }
    };
    auto bevel = [&](TVrBevelStyle style, int width, TColor shadow, TColor highlight) {
        if (style == bsLowered)
            add(width, shadow, highlight);
        else if (style == bsRaised)
            add(width, highlight, shadow);
    };
    add(b.BorderWidth, b.BorderColor, b.BorderColor);
    if (b.OuterOutline == osOuter)
        add(1, VrColor::clBlack, VrColor::clBlack);
    bevel(b.OuterStyle, b.OuterWidth, b.OuterShadow, b.OuterHighlight);
    if (b.OuterOutline == osInner)
        add(1, VrColor::clBlack, VrColor::clBlack);
    add(b.OuterSpace, b.OuterColor, b.OuterColor);
    if (b.InnerOutline == osOuter)
        add(1, VrColor::clBlack, VrColor::clBlack);
    bevel(b.InnerStyle, b.InnerWidth, b.InnerShadow, b.InnerHighlight);
    if (b.InnerOutline == osInner)
        add(1, VrColor::clBlack, VrColor::clBlack);
    add(b.InnerSpace, b.InnerColor, b.InnerColor);
    return frames;
}

} // namespace LevelBarGeometry
