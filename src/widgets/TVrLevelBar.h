#pragma once

#include "LevelBarGeometry.h"
#include "TVrBevel.h"
#include "TVrGraphicImageControl.h"
#include "TVrPalette.h"
#include "VrTypes.h"

#include <cstdint>
#include <functional>

// A segmented bar graph: the segments up to Position are lit, each segment
// coloured by one of three zones along the bar. The control snaps its
// length to a whole number of segments.
class TVrLevelBar : public TVrGraphicImageControl
{
    Q_OBJECT

public:
    using NotifyEvent = std::function<void(TVrLevelBar* sender)>;

    explicit TVrLevelBar(QWidget* parent = nullptr);
    ~TVrLevelBar() override;

    int minValue() const { return m_minValue; }
    void setMinValue(int value); // refuses values not below MaxValue
    int maxValue() const { return m_maxValue; }
    void setMaxValue(int value); // refuses values not above MinValue
    int position() const { return m_position; }
    // Clamped to MinValue .. MaxValue; a new value redraws, then raises
    // OnChange and OnMinValue / OnMaxValue at the ends.
    void setPosition(int value);
    int percent1() const { return m_percent1; }
    // Cut down to 100 - Percent2; negative values are refused.
    void setPercent1(int percent);
    int percent2() const { return m_percent2; }
    // Refused above 100 - Percent1 or below 0.
    void setPercent2(int percent);
    const TVrPalette& palette1() const { return m_palette1; }
    void setPalette1(const TVrPalette& palette);
    const TVrPalette& palette2() const { return m_palette2; }
    void setPalette2(const TVrPalette& palette);
    const TVrPalette& palette3() const { return m_palette3; }
    void setPalette3(const TVrPalette& palette);
    const TVrBevel& bevel() const { return m_bevel; }
    void setBevel(const TVrBevel& bevel);
    TVrOrientation orientation() const { return m_orientation; }
    // Also swaps the control's width and height, keeping its position.
    void setOrientation(TVrOrientation orientation);
    int spacing() const { return m_spacing; }
    void setSpacing(int spacing);
    int tickHeight() const { return m_tickHeight; }
    void setTickHeight(int height); // refuses values below 1
    TVrProgressStyle style() const { return m_style; }
    void setStyle(TVrProgressStyle style);

    // The layout of the current size.
    LevelBarGeometry::Layout currentLayout() const;

    // When set, any position above MinValue lights at least the first
    // segment, so a reading too small for a whole segment still shows that
    // there is one. Off by default: the share rule alone decides.
    bool lightsFirstSegment() const { return m_lightsFirstSegment; }
    void setLightsFirstSegment(bool lights);

    NotifyEvent OnChange;
    NotifyEvent OnMinValue;
    NotifyEvent OnMaxValue;

protected:
    void paintImage(QPainter& painter) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void setPalette(TVrPalette& field, const TVrPalette& palette);
    // Snaps the control's length to whole segments.
    void snapLength();

    int m_minValue = 0;
    int m_maxValue = 100;
    int m_position = 0;
    int m_percent1 = 60;
    int m_percent2 = 25;
    TVrPalette m_palette1{VrColor::clGreen, VrColor::clLime};
    TVrPalette m_palette2{VrColor::clOlive, VrColor::clYellow};
    TVrPalette m_palette3{VrColor::clMaroon, VrColor::clRed};
    TVrBevel m_bevel;
    TVrOrientation m_orientation = voVertical;
    int m_spacing = 1;
    int m_tickHeight = 1;
    TVrProgressStyle m_style = psBottomLeft;
    bool m_lightsFirstSegment = false;
};
