#pragma once

#include <QRect>
#include <QSize>

#include <optional>
#include <vector>

// Where everything of the strip goes, in design pixels (a scale of 100 %),
// free of any widget. One graph set per active sensor, stacked from the top;
// the latency bar and its label below the last set.
//
// A strip taller than the screen's available height would leave its last
// graphs where nobody can reach them (the window cannot be moved above the
// top), so the sets that do not fit continue in a further column to the
// left, and so on, in sensor order. The first column keeps its place: a
// strip whose sets fit is laid out exactly as one column always was.
namespace StripLayout {

constexpr int kColumnWidth = 260;
constexpr int kFullSetHeight = 170;
constexpr int kHalfSetHeight = 105;
constexpr int kLatencyHeight = 40;

struct TStripOptions
{
    // One entry per active sensor, in sensor order: true for a half-height set.
    std::vector<bool> halfHeight;
    bool latencySensor = false;
    // The screen's available height in design pixels; 0 or less: no limit.
    int availableHeight = 0;
};

// One sensor's graph set. Label rectangles have width 0: a label's width
// follows its text, and the upload label keeps its right edge.
struct TSetPlace
{
    int column = 0; // 0: the first column, at the right
    QRect title;
    QRect downLabel;
    QRect upLabel;
    QRect scope;
    QRect scale;
    int scaleTicks = 8;
};

struct TStrip
{
    int columns = 1;
    QSize window;
    std::vector<TSetPlace> sets;
    std::optional<QRect> latencyBar;
    std::optional<QRect> latencyLabel;
    QRect closeButton;
    // The left edge of the first column: how far the window reaches left
    // of where one column would be.
    int firstColumnLeft = 0;
};

TStrip layOut(const TStripOptions& options);

} // namespace StripLayout
