#pragma once

class QWidget;

namespace WindowScaling {

// v * m / d rounded to the nearest integer, halves away from zero.
int mulDiv(int v, int m, int d);

// Scales the window's size and the position, size and font of every child
// by m / d. The window keeps its place on the screen.
void scaleBy(QWidget* window, int m, int d);

} // namespace WindowScaling
