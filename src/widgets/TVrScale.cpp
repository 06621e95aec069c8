#include "TVrScale.h"

#include "ScaleGeometry.h"
#include "VrPen.h"

#include <QEvent>
#include <QPainter>

TVrScale::TVrScale(QWidget* parent) : TVrGraphicImageControl(parent)
{
    QFont labelFont(QStringLiteral("Arial"));
    labelFont.setPixelSize(9);
    setFont(labelFont);
    resize(215, 11);
}

TVrScale::~TVrScale() = default;

template <class T> void TVrScale::store(T& field, T value)
{
    if (field == value)
        return;
    field = value;
    updateRequest();
}

void TVrScale::setMinValue(int value)
{
    store(m_minValue, value);
}

void TVrScale::setMaxValue(int value)
{
    store(m_maxValue, value);
}

void TVrScale::setTicks(int ticks)
{
    // Zero or fewer steps have no cells to divide into.
    if (ticks < 1)
        return;
    store(m_ticks, ticks);
}

void TVrScale::setTicksWidth(int width)
{
    store(m_ticksWidth, width);
}

void TVrScale::setTicksHeight(int height)
{
    store(m_ticksHeight, height);
}

void TVrScale::setOrientation(TVrOrientation orientation)
{
    if (orientation == m_orientation)
        return;
    m_orientation = orientation;
    resize(height(), width());
    updateRequest();
}

void TVrScale::setDigits(int digits)
{
    store(m_digits, digits);
}

void TVrScale::setLeadingZero(bool leadingZero)
{
    store(m_leadingZero, leadingZero);
}

void TVrScale::setAlignment(TAlignment alignment)
{
    store(m_alignment, alignment);
}

void TVrScale::setLayout(TTextLayout layout)
{
    store(m_layout, layout);
}

void TVrScale::setScaleColor(TColor color)
{
    store(m_scaleColor, color);
}

void TVrScale::setPeakLevel(int level)
{
    store(m_peakLevel, level);
}

void TVrScale::setPeakColor(TColor color)
{
    store(m_peakColor, color);
}

void TVrScale::setShowSign(bool showSign)
{
    store(m_showSign, showSign);
}

void TVrScale::setTickMarks(TVrTickMarks marks)
{
    store(m_tickMarks, marks);
}

void TVrScale::setScaleOffset(int offset)
{
    store(m_scaleOffset, offset);
}

void TVrScale::setFontColor(TColor color)
{
    store(m_fontColor, color);
}

void TVrScale::setLabelFormat(LabelFormat format)
{
    // Functions cannot be compared: every call repaints.
    m_labelFormat = std::move(format);
    updateRequest();
}

void TVrScale::changeEvent(QEvent* event)
{
    TVrGraphicImageControl::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        updateRequest();
}

std::vector<TVrScale::Label> TVrScale::labels() const
{
    std::vector<Label> result;
    const std::int64_t step = ScaleGeometry::step(m_minValue, m_maxValue, m_ticks);
    const int cell =
        ScaleGeometry::cellSize(m_orientation == voVertical ? height() : width(), m_ticks);
    // Cells of less than a pixel would stack every label on one spot.
    if (cell < 1)
        return result;
    result.reserve(static_cast<std::size_t>(m_ticks) + 1);
    for (int k = 0; k <= m_ticks; ++k) {
        const std::int64_t value = m_minValue + k * step;
        result.push_back(
            {ScaleGeometry::labelCell(k, m_orientation, width(), height(), cell),
             m_labelFormat ? m_labelFormat(value, m_maxValue)
                           : ScaleGeometry::labelText(value, m_leadingZero, m_digits, m_showSign),
             value < m_peakLevel ? m_fontColor : m_peakColor});
    }
    return result;
}

void TVrScale::paintImage(QPainter& painter)
{
    int flags = Qt::TextSingleLine | Qt::TextDontClip;
    flags |= m_alignment == taLeftJustify    ? Qt::AlignLeft
             : m_alignment == taRightJustify ? Qt::AlignRight
                                             : Qt::AlignHCenter;
    flags |= m_layout == tlTop      ? Qt::AlignTop
             : m_layout == tlBottom ? Qt::AlignBottom
                                    : Qt::AlignVCenter;
    // Labels are drawn in exactly their two colours: antialiased glyphs
    // blend into the background and a dark colour on black becomes
    // unreadable.
    QFont crisp = font();
    crisp.setStyleStrategy(QFont::NoAntialias);
    painter.setFont(crisp);
    for (const Label& label : labels()) {
        painter.setPen(VrColor::toQColor(label.color));
        painter.drawText(label.cell, flags, label.text);
    }
    if (m_tickMarks == tmNone)
        return;
    const int cell =
        ScaleGeometry::cellSize(m_orientation == voVertical ? height() : width(), m_ticks);
    painter.setPen(vrPen(m_scaleColor, m_ticksWidth));
    for (const QLine& line : ScaleGeometry::tickMarks(m_orientation, m_tickMarks, width(), height(),
                                                      cell, m_ticks, m_scaleOffset, m_ticksHeight))
        painter.drawLine(line);
}
