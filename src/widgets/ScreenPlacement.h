#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

#include <vector>

// Where a window goes so that a user can see and reach it: a saved place
// from a monitor that is gone, a larger screen or another scale may lie
// partly or wholly outside every screen of today.
namespace ScreenPlacement {

// The top left corner that puts `window` wholly inside the nearest of
// `areas` (the screens' available areas): the one it overlaps most, or, when
// it overlaps none, the one closest to it. A window already wholly inside
// one area keeps its place; one larger than the area is aligned with the
// area's top left corner. No areas: the window keeps its place.
QPoint onScreen(const QRect& window, const std::vector<QRect>& areas);

// The top left corner of a window of `size` opened beside `anchor` (the
// strip): `gap` pixels to its right where it fits wholly on a screen, else as
// far to its left, else the right-hand place brought onto the nearest screen.
QPoint beside(const QRect& anchor, const QSize& size, int gap, const std::vector<QRect>& areas);

} // namespace ScreenPlacement
