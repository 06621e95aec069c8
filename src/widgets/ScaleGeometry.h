#pragma once

#include "VrTypes.h"

#include <QLine>
#include <QRect>
#include <QString>

#include <cstdint>
#include <vector>

// The integer layout rules of the scale, free of any widget.
namespace ScaleGeometry {

// (maxValue - minValue) div ticks, truncated toward zero; ticks >= 1.
std::int64_t step(int minValue, int maxValue, int ticks);

// The length of one label cell: clientLength div (ticks + 1).
int cellSize(int clientLength, int ticks);

// The cell of label k (0 = MinValue): vertical scales stack the cells
// upward from the bottom edge, horizontal ones rightward from the left.
QRect labelCell(int k, TVrOrientation orientation, int clientWidth, int clientHeight, int cell);

// The label text: "%d", or zero-padded to digits with leadingZero; "+"
// before positive values with showSign.
QString labelText(std::int64_t value, bool leadingZero, int digits, bool showSign);

// The tick mark lines, at the middle of each cell, on the chosen side(s).
std::vector<QLine> tickMarks(TVrOrientation orientation, TVrTickMarks marks, int clientWidth,
                             int clientHeight, int cell, int ticks, int scaleOffset,
                             int ticksHeight);

} // namespace ScaleGeometry
