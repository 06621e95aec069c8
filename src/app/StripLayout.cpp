#include "StripLayout.h"

#include <algorithm>

namespace StripLayout {

namespace {

// One set's controls relative to its column's left and its own top.
TSetPlace setAt(int left, int y, bool half)
{
    TSetPlace place;
    place.title = QRect(left + 8, y + 1, 0, 13);
    const int labelTop = half ? y + 86 : y + 151;
    place.downLabel = QRect(left + 8, labelTop, 0, 13);
    place.upLabel = QRect(left + 184, labelTop, 0, 13);
    place.scope = QRect(left + 26, y + 16, 232, half ? 68 : 133);
    place.scale = half ? QRect(left, y + 15, 26, 75) : QRect(left, y + 11, 26, 141);
    place.scaleTicks = half ? 3 : 8;
    return place;
}

} // namespace

TStrip layOut(const TStripOptions& options)
{
    const int limit = options.availableHeight;
    const auto overflows = [limit](int y, int height) { return limit > 0 && y + height > limit; };

    // First the column of each set and the column heights.
    struct TPlaced
    {
        int column;
        int y;
    };
    std::vector<TPlaced> placed;
    int column = 0, y = 0, height = 0;
    for (const bool half : options.halfHeight) {
        const int setHeight = half ? kHalfSetHeight : kFullSetHeight;
        if (y > 0 && overflows(y, setHeight)) {
            ++column;
            y = 0;
        }
        placed.push_back({column, y});
        y += setHeight;
        height = std::max(height, y);
    }
    int latencyColumn = column, latencyY = y;
    if (options.latencySensor) {
        if (y > 0 && overflows(y, kLatencyHeight)) {
            latencyColumn = ++column;
            latencyY = 0;
        }
        height = std::max(height, latencyY + kLatencyHeight);
    }

    TStrip strip;
    strip.columns = column + 1;
    strip.window = QSize(kColumnWidth * strip.columns, height);
    const auto columnLeft = [&strip](int c) { return (strip.columns - 1 - c) * kColumnWidth; };
    strip.firstColumnLeft = columnLeft(0);
    for (std::size_t i = 0; i < placed.size(); ++i) {
        TSetPlace place = setAt(columnLeft(placed[i].column), placed[i].y, options.halfHeight[i]);
        place.column = placed[i].column;
        strip.sets.push_back(place);
    }
    if (options.latencySensor) {
        const int left = columnLeft(latencyColumn);
        strip.latencyBar = QRect(left + 8, latencyY + 5, 241, 12);
        strip.latencyLabel = QRect(left + 8, latencyY + 19, 0, 13);
    }
    strip.closeButton = QRect(strip.firstColumnLeft + 243, 0, 15, 15);
    return strip;
}

} // namespace StripLayout
