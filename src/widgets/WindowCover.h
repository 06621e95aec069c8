#pragma once

#include <QEvent>

class QWidget;

// Whether a shown top-level window lies wholly behind other windows, as the
// windowing system reports it. A covered window's graphs need not be drawn:
// nobody sees them until the window comes forward again, and then it is sent
// the event uncoveredEvent(). Where the windowing system does not tell (or
// a compositor keeps every window's picture), no window counts as covered.
namespace WindowCover {

// Starts following `window` (a top-level with a native window); again for
// the same window does nothing.
void watch(QWidget* window);
bool covered(const QWidget* window);
// Posted to a followed window that was covered and no longer is.
QEvent::Type uncoveredEvent();

} // namespace WindowCover
