#include "TVrLevelBar.h"

#include <QPainter>

TVrLevelBar::TVrLevelBar(QWidget* parent) : TVrGraphicImageControl(parent)
{
    m_bevel.InnerStyle = bsLowered;
    m_bevel.InnerWidth = 2;
    m_bevel.InnerColor = VrColor::clBlack;
    resize(20, 170);
    snapLength();
}

TVrLevelBar::~TVrLevelBar() = default;

void TVrLevelBar::setMinValue(int value)
{
    if (value == m_minValue || value >= m_maxValue)
        return;
    m_minValue = value;
    if (m_position < value)
        setPosition(value);
    else
        updateRequest();
}

void TVrLevelBar::setMaxValue(int value)
{
    if (value == m_maxValue || value <= m_minValue)
        return;
    m_maxValue = value;
    if (m_position > value)
        setPosition(value);
    else
        updateRequest();
}

void TVrLevelBar::setPosition(int value)
{
    value = value < m_minValue ? m_minValue : (value > m_maxValue ? m_maxValue : value);
    if (value == m_position)
        return;
    m_position = value;
    updateRequest();
    if (OnChange)
        OnChange(this);
    if (m_position == m_minValue && OnMinValue)
        OnMinValue(this);
    if (m_position == m_maxValue && OnMaxValue)
        OnMaxValue(this);
}

void TVrLevelBar::setPercent1(int percent)
{
    if (percent == m_percent1 || percent < 0)
        return;
    if (percent + m_percent2 > 100)
        percent = 100 - m_percent2;
    m_percent1 = percent;
    updateRequest();
}

void TVrLevelBar::setPercent2(int percent)
{
    if (percent == m_percent2 || percent < 0 || m_percent1 + percent > 100)
        return;
    m_percent2 = percent;
    updateRequest();
}

void TVrLevelBar::setPalette(TVrPalette& field, const TVrPalette& palette)
{
    if (field == palette)
        return;
    field = palette;
    updateRequest();
}

void TVrLevelBar::setPalette1(const TVrPalette& palette)
{
    setPalette(m_palette1, palette);
}

void TVrLevelBar::setPalette2(const TVrPalette& palette)
{
    setPalette(m_palette2, palette);
}

void TVrLevelBar::setPalette3(const TVrPalette& palette)
{
    setPalette(m_palette3, palette);
}

void TVrLevelBar::setBevel(const TVrBevel& bevel)
{
    if (bevel == m_bevel)
        return;
    m_bevel = bevel;
    snapLength();
    updateRequest();
}

void TVrLevelBar::setOrientation(TVrOrientation orientation)
{
    if (orientation == m_orientation)
        return;
    m_orientation = orientation;
    resize(height(), width());
    snapLength();
    updateRequest();
}

void TVrLevelBar::setSpacing(int spacing)
{
    if (spacing == m_spacing)
        return;
    m_spacing = spacing;
    snapLength();
    updateRequest();
}

void TVrLevelBar::setTickHeight(int height)
{
    if (height == m_tickHeight || height <= 0)
        return;
    m_tickHeight = height;
    snapLength();
    updateRequest();
}

void TVrLevelBar::setStyle(TVrProgressStyle style)
{
    if (style == m_style)
        return;
    m_style = style;
    updateRequest();
}

LevelBarGeometry::Layout TVrLevelBar::currentLayout() const
{
    return LevelBarGeometry::layout(width(), height(), m_bevel.width(), m_tickHeight, m_spacing,
                                    m_orientation);
}

void TVrLevelBar::snapLength()
{
    const LevelBarGeometry::Layout l = currentLayout();
    if (m_orientation == voHorizontal && l.length != width())
        resize(l.length, height());
    else if (m_orientation == voVertical && l.length != height())
        resize(width(), l.length);
}

void TVrLevelBar::resizeEvent(QResizeEvent* event)
{
    TVrGraphicImageControl::resizeEvent(event);
    snapLength();
}

void TVrLevelBar::paintImage(QPainter& painter)
{
    for (const auto& frame : LevelBarGeometry::bevelFrames(rect(), m_bevel)) {
        // One-pixel outline: the bottom-right colour takes both far corners,
        // the top-left colour the rest of the top and left edges.
        const QRect& r = frame.rect;
        const int right = r.left() + r.width() - 1;
        const int bottom = r.top() + r.height() - 1;
        const QColor topLeft = VrColor::toQColor(frame.topLeft);
        const QColor bottomRight = VrColor::toQColor(frame.bottomRight);
        painter.fillRect(QRect(r.left(), r.top(), 1, bottom - r.top()), topLeft);
        painter.fillRect(QRect(r.left(), r.top(), right - r.left(), 1), topLeft);
        painter.fillRect(QRect(right, r.top(), 1, bottom - r.top() + 1), bottomRight);
        painter.fillRect(QRect(r.left(), bottom, right - r.left() + 1, 1), bottomRight);
    }
    const LevelBarGeometry::Layout l = currentLayout();
    int lit = LevelBarGeometry::litCount(m_position, m_minValue, m_maxValue, l.count);
    if (m_lightsFirstSegment && lit == 0 && m_position > m_minValue && l.count > 0)
        lit = 1;
    const LevelBarGeometry::Zones zones = LevelBarGeometry::zones(m_percent1, m_percent2, l.count);
    const TVrPalette* palettes[] = {&m_palette1, &m_palette2, &m_palette3};
    for (int k = 1; k <= l.count; ++k) {
        const TVrPalette& palette = *palettes[LevelBarGeometry::zoneOf(k, zones) - 1];
        const QRect segment =
            LevelBarGeometry::segmentRect(k, l, m_tickHeight, m_orientation, m_style);
        painter.fillRect(segment, VrColor::toQColor(k <= lit ? palette.High : palette.Low));
    }
}

void TVrLevelBar::setLightsFirstSegment(bool lights)
{
    if (lights == m_lightsFirstSegment)
        return;
    m_lightsFirstSegment = lights;
    updateRequest();
}
