#include "ScreenPlacement.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace ScreenPlacement {
namespace {

std::int64_t overlap(const QRect& a, const QRect& b)
{
    const QRect common = a.intersected(b);
    return common.isEmpty() ? 0 : std::int64_t(common.width()) * common.height();
}

// Squared distance between the two rectangles (0 when they touch or meet).
std::int64_t distance(const QRect& a, const QRect& b)
{
    const auto gap = [](int aFrom, int aTo, int bFrom, int bTo) -> std::int64_t {
        if (aTo < bFrom)
            return std::int64_t(bFrom) - aTo;
        if (bTo < aFrom)
            return std::int64_t(aFrom) - bTo;
        return 0;
    };
    const std::int64_t dx = gap(a.left(), a.right(), b.left(), b.right());
    const std::int64_t dy = gap(a.top(), a.bottom(), b.top(), b.bottom());
    return dx * dx + dy * dy;
}

int fit(int position, int length, int from, int areaLength)
{
    if (length >= areaLength)
        return from;
    return std::clamp(position, from, from + areaLength - length);
}

} // namespace

QPoint onScreen(const QRect& window, const std::vector<QRect>& areas)
{
    const QRect* best = nullptr;
    std::int64_t bestOverlap = 0;
    std::int64_t bestDistance = std::numeric_limits<std::int64_t>::max();
    for (const QRect& area : areas) {
        if (area.isEmpty())
            continue;
        if (area.contains(window))
            return window.topLeft();
        const std::int64_t o = overlap(window, area);
        const std::int64_t d = o > 0 ? 0 : distance(window, area);
        if (o > bestOverlap || (o == bestOverlap && d < bestDistance)) {
            best = &area;
            bestOverlap = o;
            bestDistance = d;
        }
    }
    if (!best)
        return window.topLeft();
    return QPoint(fit(window.x(), window.width(), best->x(), best->width()),
                  fit(window.y(), window.height(), best->y(), best->height()));
}

QPoint beside(const QRect& anchor, const QSize& size, int gap, const std::vector<QRect>& areas)
{
    const QRect right(QPoint(anchor.right() + 1 + gap, anchor.top()), size);
    const QRect left(QPoint(anchor.left() - gap - size.width(), anchor.top()), size);
    for (const QRect& place : {right, left})
        for (const QRect& area : areas)
            if (area.contains(place))
                return place.topLeft();
    return onScreen(right, areas);
}

} // namespace ScreenPlacement
