#pragma once

#include "TVrGraphicImageControl.h"
#include "VrTypes.h"

#include <QRect>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

// The numeric ruler beside a scope graph: Ticks + 1 labels from MinValue
// upward in equal steps, one per cell; labels at or above PeakLevel in
// PeakColor.
class TVrScale : public TVrGraphicImageControl
{
    Q_OBJECT

public:
    explicit TVrScale(QWidget* parent = nullptr);
    ~TVrScale() override;

    int minValue() const { return m_minValue; }
    void setMinValue(int value);
    int maxValue() const { return m_maxValue; }
    void setMaxValue(int value);
    int ticks() const { return m_ticks; }
    void setTicks(int ticks); // refuses values below 1
    int ticksWidth() const { return m_ticksWidth; }
    void setTicksWidth(int width);
    int ticksHeight() const { return m_ticksHeight; }
    void setTicksHeight(int height);
    TVrOrientation orientation() const { return m_orientation; }
    // Also swaps the control's width and height, keeping its position.
    void setOrientation(TVrOrientation orientation);
    int digits() const { return m_digits; }
    void setDigits(int digits);
    bool leadingZero() const { return m_leadingZero; }
    void setLeadingZero(bool leadingZero);
    TAlignment alignment() const { return m_alignment; }
    void setAlignment(TAlignment alignment);
    TTextLayout layout() const { return m_layout; }
    void setLayout(TTextLayout layout);
    TColor scaleColor() const { return m_scaleColor; }
    void setScaleColor(TColor color);
    int peakLevel() const { return m_peakLevel; }
    void setPeakLevel(int level);
    TColor peakColor() const { return m_peakColor; }
    void setPeakColor(TColor color);
    bool showSign() const { return m_showSign; }
    void setShowSign(bool showSign);
    TVrTickMarks tickMarks() const { return m_tickMarks; }
    void setTickMarks(TVrTickMarks marks);
    int scaleOffset() const { return m_scaleOffset; }
    void setScaleOffset(int offset);
    // Colour of the labels below PeakLevel (the font's colour).
    TColor fontColor() const { return m_fontColor; }
    void setFontColor(TColor color);

    // The text of one label from its value and the scale's maximum; when
    // empty (the default) the labels are the digits as Digits, LeadingZero
    // and ShowSign say. Lets the owner show the values in another unit.
    using LabelFormat = std::function<QString(std::int64_t value, int maxValue)>;
    void setLabelFormat(LabelFormat format);
    bool hasLabelFormat() const { return static_cast<bool>(m_labelFormat); }

    struct Label
    {
        QRect cell;
        QString text;
        TColor color;
    };
    // The labels the next paint draws, lowest value first.
    std::vector<Label> labels() const;

protected:
    void paintImage(QPainter& painter) override;
    void changeEvent(QEvent* event) override;

private:
    template <class T> void store(T& field, T value);

    int m_minValue = 0;
    int m_maxValue = 100;
    int m_ticks = 5;
    int m_ticksWidth = 1;
    int m_ticksHeight = 5;
    TVrOrientation m_orientation = voHorizontal;
    int m_digits = 3;
    bool m_leadingZero = false;
    TAlignment m_alignment = taCenter;
    TTextLayout m_layout = tlCenter;
    TColor m_scaleColor = VrColor::clGreen;
    int m_peakLevel = 80;
    TColor m_peakColor = VrColor::clLime;
    bool m_showSign = true;
    TVrTickMarks m_tickMarks = tmNone;
    int m_scaleOffset = 4;
    TColor m_fontColor = VrColor::clGreen;
    LabelFormat m_labelFormat;
};
