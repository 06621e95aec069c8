#pragma once

#include "VrColor.h"

#include <QImage>
#include <QPoint>

#include <vector>

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

// A picture of one-pixel grid lines: rows[y] is the colour of a line
// across the whole of row y, or 0 (no opaque colour is 0) where the row
// shows columns[x].
struct GridPicture
{
    std::vector<QRgb> columns;
    std::vector<QRgb> rows;
};
// Puts back the grid's pixels on exactly the pixels polyline() would set
// for the same points: a trace drawn over the grid is taken away again.
void restorePolyline(QImage& image, const QPoint* points, int count, const GridPicture& grid);

} // namespace VrRaster
