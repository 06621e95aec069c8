#include "ScaleGeometry.h"

#include <algorithm>

namespace ScaleGeometry {

std::int64_t step(int minValue, int maxValue, int ticks)
{
    if (ticks < 1)
        return 0;
    return (static_cast<std::int64_t>(maxValue) - minValue) / ticks;
}

int cellSize(int clientLength, int ticks)
{
    if (ticks < 0)
        return 0;
    return static_cast<int>(clientLength / (static_cast<std::int64_t>(ticks) + 1));
}

QRect labelCell(int k, TVrOrientation orientation, int clientWidth, int clientHeight, int cell)
{
    if (orientation == voVertical)
        return QRect(0, clientHeight - cell - k * cell, clientWidth, cell);
    return QRect(k * cell, 0, cell, clientHeight);
}

QString labelText(std::int64_t value, bool leadingZero, int digits, bool showSign)
{
    QString text;
    if (leadingZero) {
        // Beyond 20 digits a 64-bit value has nothing left to pad.
        const int width = std::clamp(digits, 0, 20);
        const std::uint64_t magnitude =
            value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
        text = QString::number(magnitude).rightJustified(width, QLatin1Char('0'));
        if (value < 0)
            text.prepend(QLatin1Char('-'));
    } else {
        text = QString::number(value);
    }
    if (showSign && value > 0)
        text.prepend(QLatin1Char('+'));
    return text;
}

std::vector<QLine> tickMarks(TVrOrientation orientation, TVrTickMarks marks, int clientWidth,
                             int clientHeight, int cell, int ticks, int scaleOffset,
                             int ticksHeight)
{
    std::vector<QLine> lines;
    if (marks == tmNone || cell < 1)
        return lines;
    const bool topLeft = marks == tmBoth || marks == tmTopLeft;
    const bool bottomRight = marks == tmBoth || marks == tmBottomRight;
    for (int k = 0; k <= ticks; ++k) {
        const QRect r = labelCell(k, orientation, clientWidth, clientHeight, cell);
        if (orientation == voVertical) {
            const int y = r.top() + cell / 2;
            if (topLeft)
                lines.emplace_back(scaleOffset, y, scaleOffset + ticksHeight, y);
            if (bottomRight)
                lines.emplace_back(clientWidth - scaleOffset - ticksHeight, y,
                                   clientWidth - scaleOffset, y);
        } else {
            const int x = r.left() + cell / 2;
            if (topLeft)
                lines.emplace_back(x, scaleOffset, x, scaleOffset + ticksHeight);
            if (bottomRight)
                lines.emplace_back(x, clientHeight - scaleOffset - ticksHeight, x,
                                   clientHeight - scaleOffset);
        }
    }
    return lines;
}

} // namespace ScaleGeometry
