#pragma once

#include <Qt>

class QWidget;

// The windows besides the strip (dialogs, message boxes, the usage window)
// under a window manager: what their title bar offers and where they open.
namespace WindowFrame {

// A window of a fixed size: title, system menu and close button only. A
// window manager that is not told otherwise offers maximise (and minimise)
// on every dialog, fixed or not.
Qt::WindowFlags fixedDialogFlags(bool stayOnTop);
void makeFixedDialog(QWidget* window, bool stayOnTop);

// Each time the window is shown, it is brought wholly inside the available
// area of the nearest screen, title bar and frame included, as soon as the
// window manager has told their size: a place computed for the client alone
// puts the title bar above the top of the screen, out of reach.
void keepReachable(QWidget* window);

} // namespace WindowFrame
