#pragma once

#include "VrColor.h"

#include <QFont>

#include <string>

class QLabel;
class QWidget;

// The strip's fonts, colours and self-sizing labels, shared by the window
// and its graph sets.
namespace StripLook {

// Design sizes at a scale of 100 %.
constexpr int kLabelHeight = 13;
constexpr int kLabelFontPixels = 11;  // "Tahoma", 11 pixels high
constexpr int kWindowFontPixels = 11; // 8 points
constexpr int kScaleFontPixels = 8;   // 6 points
constexpr int kButtonFontPixels = 13; // 10 points

QFont tahoma(int pixels, bool bold = false);

void setColors(QWidget* widget, TColor text, TColor back);

// A label whose width follows its text; a right-aligned one keeps its right
// edge and grows to the left. The text shows as the characters it is.
void setLabelText(QLabel* label, const std::string& text);

} // namespace StripLook
