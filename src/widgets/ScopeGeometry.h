#pragma once

#include <QPoint>

#include <cstdint>
#include <optional>
#include <vector>

enum TScrolldirection
{
    sdRightToLeft,
    sdLeftToRight
};
enum TGraphStyle
{
    gsLine,
    gsBar
};

// The integer drawing rules of the scope graph, free of any widget so that
// tests and benchmarks can call them.
namespace ScopeGeometry {

// Row of the base line: BaseOffset percent of the height above the bottom
// edge, rounded half to even. Offsets above 100 put it above the top edge.
int baseRow(int height, int baseOffset);

// Row of a sample value in whole percent of the range: minValue maps to
// height (one below the last row), maxValue to 0.
int valueToRow(std::int64_t value, std::int64_t minValue, std::int64_t maxValue, int height);

// x of each vertical grid line: from -gridOffset while x <= width.
std::vector<int> verticalGridLines(int width, int gridSize, int gridOffset);

// y of each horizontal grid line, anchored on the base line: the lines
// above it (down to the first one below row 0), then the lines below it
// (up to the first one beyond height).
std::vector<int> horizontalGridLines(int height, int gridSize, int base);

// valueToRow for one range and height, with the share of the height
// looked up per whole percent instead of computed per sample.
class RowMap
{
public:
    RowMap(std::int64_t minValue, std::int64_t maxValue, int height);
    int row(std::int64_t value) const;
    bool matches(std::int64_t minValue, std::int64_t maxValue, int height) const
    {
        return minValue == m_minValue && maxValue - minValue == m_range && height == m_height;
    }

private:
    std::int64_t m_minValue;
    std::int64_t m_range;
    double m_inverse;
    int m_height;
    int m_rows[101];
};

struct TraceParams
{
    int width = 0;
    int height = 0;
    int frequency = 1;
    int base = 0;
    int minValue = 0;
    int maxValue = 100;
    int penWidth = 1;
    TScrolldirection direction = sdRightToLeft;
    TGraphStyle style = gsLine;
    // Row map of minValue, maxValue and height to reuse; built when null.
    const RowMap* rows = nullptr;
};

// Writes the polyline of one channel to the front of points and returns
// its length: the opening point on the base line, then one point per drawn
// sample (two with gsBar), then the return to the base line when the
// history ends before the far edge. points only grows, so that a scope
// painting many times reuses it. sampleAt(k) gives the k-th newest sample,
// k < sampleCount.
template <class SampleAt>
int tracePoints(std::vector<QPoint>& points, const TraceParams& p, int sampleCount,
                SampleAt sampleAt)
{
    // At most two points per sample, plus the opening and the closing one.
    const std::size_t bound = 2 * static_cast<std::size_t>(sampleCount < 0 ? 0 : sampleCount) + 3;
    if (points.size() < bound)
        points.resize(bound);
    QPoint* out = points.data();
    std::optional<RowMap> ownRows;
    if (!p.rows)
        ownRows.emplace(p.minValue, p.maxValue, p.height);
    const RowMap& rows = p.rows ? *p.rows : *ownRows;
    const std::int64_t f = p.frequency;
    std::int64_t x = f + (p.direction == sdRightToLeft ? p.width : 0);
    // Points far beyond the right edge cannot be seen; stopping there keeps
    // the coordinates inside int for any frequency.
    const std::int64_t rightLimit = static_cast<std::int64_t>(p.width) + p.penWidth + 1;
    auto add = [&out](std::int64_t px, int py) { *out++ = QPoint(static_cast<int>(px), py); };
    add(x, p.base);
    int k = 0;
    while (x > 0) {
        if (k >= sampleCount) {
            add(x - f, p.base);
            break;
        }
        const int row = rows.row(sampleAt(k));
        ++k;
        add(x - f, row);
        if (p.direction == sdRightToLeft)
            x -= f;
        else
            x += f;
        if (p.style == gsBar)
            add(x - f, row);
        if (p.direction == sdLeftToRight && x - f > rightLimit)
            break;
    }
    return static_cast<int>(out - points.data());
}

} // namespace ScopeGeometry
