#pragma once

#include "VrColor.h"

#include <QImage>
#include <QPoint>

// One-pixel lines written straight into a 32-bit image. The traces of a
// scope are hundreds of short segments per paint; QPainter sets each one up
// at a cost far above the few pixels it draws, and rounds the minor axis
// down where the drawing rules want it rounded to nearest.
//
// Rule: a line from a to b sets the pixels of the major axis from a up to,
// but not including, b (so joined segments meet without overdraw, and a
// polyline leaves out its very last point); on the minor axis each pixel is
// the exact position rounded to nearest, halves away from a. Everything
// outside the image is clipped; coordinates may lie far outside it.
namespace VrRaster {

// image must be Format_RGB32 or Format_ARGB32(_Premultiplied).
void line(QImage& image, QPoint a, QPoint b, TColor color);
void polyline(QImage& image, const QPoint* points, int count, TColor color);

} // namespace VrRaster
