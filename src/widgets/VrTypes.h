#pragma once

// Enumerations shared by the display components.
enum TVrOrientation
{
    voVertical,
    voHorizontal
};
enum TVrTickMarks
{
    tmNone,
    tmBoth,
    tmBottomRight,
    tmTopLeft
};
enum TAlignment
{
    taLeftJustify,
    taRightJustify,
    taCenter
};
enum TTextLayout
{
    tlTop,
    tlCenter,
    tlBottom
};
enum TVrProgressStyle
{
    psBottomLeft,
    psTopRight
};
