#pragma once

#include "VrColor.h"

#include <QImage>

#include <vector>

// Pixel look-ups on rendered control images.
inline TColor pixelAt(const QImage& image, int x, int y)
{
    return VrColor::fromQColor(image.pixelColor(x, y));
}

// The x of every pixel of row y that has the given colour.
inline std::vector<int> columnsOf(const QImage& image, int y, TColor color)
{
    std::vector<int> xs;
    for (int x = 0; x < image.width(); ++x)
        if (pixelAt(image, x, y) == color)
            xs.push_back(x);
    return xs;
}

// The y of every pixel of column x that has the given colour.
inline std::vector<int> rowsOf(const QImage& image, int x, TColor color)
{
    std::vector<int> ys;
    for (int y = 0; y < image.height(); ++y)
        if (pixelAt(image, x, y) == color)
            ys.push_back(y);
    return ys;
}
