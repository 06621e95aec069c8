#include "TVrBevel.h"

#include <QGuiApplication>
#include <QPalette>

#include <tuple>

namespace VrSystemColors {
namespace {
TColor fromPalette(QPalette::ColorRole role, TColor fallback)
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return fallback;
    return VrColor::fromQColor(QGuiApplication::palette().color(role));
}
} // namespace

TColor buttonFace()
{
    return fromPalette(QPalette::Button, 0xF0F0F0);
}

TColor buttonShadow()
{
    return fromPalette(QPalette::Dark, 0xA0A0A0);
}

TColor buttonHighlight()
{
    return fromPalette(QPalette::Light, 0xFFFFFF);
}
} // namespace VrSystemColors

int TVrBevel::width() const
{
    if (!Visible)
        return 0;
    return BorderWidth + InnerSpace + OuterSpace + (InnerOutline != osNone ? 1 : 0) +
           (OuterOutline != osNone ? 1 : 0) + (InnerStyle != bsNone ? InnerWidth : 0) +
           (OuterStyle != bsNone ? OuterWidth : 0);
}

TVrBevel TVrBevel::blackFrame()
{
    TVrBevel b;
    b.InnerStyle = bsNone;
    b.OuterStyle = bsNone;
    b.InnerWidth = 2;
    b.InnerSpace = 1;
    b.InnerColor = VrColor::clBlack;
    b.OuterOutline = osNone;
    return b;
}

bool TVrBevel::operator==(const TVrBevel& o) const
{
    auto tie = [](const TVrBevel& b) {
        return std::tie(b.BorderWidth, b.BorderColor, b.InnerShadow, b.InnerHighlight, b.InnerWidth,
                        b.InnerStyle, b.InnerOutline, b.InnerSpace, b.InnerColor, b.OuterShadow,
                        b.OuterHighlight, b.OuterWidth, b.OuterStyle, b.OuterOutline, b.OuterSpace,
                        b.OuterColor, b.Visible);
    };
    return tie(*this) == tie(o);
}
