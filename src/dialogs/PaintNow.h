#pragma once

class QWidget;

// Puts a window's current look on the screen before the program waits for
// something: a window that has just been shown is not drawn until the
// windowing system has exposed it, and a wait that starts earlier shows an
// empty black frame for its whole length.
namespace PaintNow {

// Processes events until the top-level window of `widget` is exposed (for at
// most `limitMs`), then paints it at once.
void paintNow(QWidget* widget, int limitMs = 2000);

} // namespace PaintNow
