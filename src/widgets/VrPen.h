#pragma once

#include "VrColor.h"

#include <QPen>

// A solid pen like the drawing rules expect: one-pixel lines leave out
// their last pixel so that joined segments do not overdraw, wider ones get
// round ends and joins.
inline QPen vrPen(TColor color, int width)
{
    QPen pen(VrColor::toQColor(color));
    if (width <= 1) {
        pen.setWidth(1);
        pen.setCapStyle(Qt::FlatCap);
    } else {
        pen.setWidth(width);
        pen.setCapStyle(Qt::RoundCap);
    }
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}
