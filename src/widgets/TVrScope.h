#pragma once

#include "ScopeGeometry.h"
#include "TVrChannels.h"
#include "TVrGraphicImageControl.h"
#include "VrRaster.h"

#include <QPoint>

#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

class TVrTimer;

// The scrolling graph of a sensor: every channel is a trace over a grid,
// the newest sample at one edge and each older one Frequency pixels further
// away. A change that leaves the grid as it was takes the old traces off
// and draws the new ones; any other redraws the whole control.
class TVrScope : public TVrGraphicImageControl
{
    Q_OBJECT

public:
    // Limits of MinValue and MaxValue; every sample then fits the
    // fixed-width fields of the history text (a positive one takes ten
    // digits up to 2^31 - 1, so a graph of a 10 Gbit/s link keeps its range).
    static constexpr int MinScopeInt = -999999999;
    static constexpr int MaxScopeInt = std::numeric_limits<int>::max();

    // Asked for one value per channel on each internal tick.
    using NeedDataEvent = std::function<void(TVrScope* sender, int channel, int& value)>;

    explicit TVrScope(QWidget* parent = nullptr);
    ~TVrScope() override;

    int minValue() const { return m_minValue; }
    // Both refuse a value that would empty or invert the range (or lies
    // outside MinScopeInt .. MaxScopeInt); an accepted one empties every
    // channel's history.
    void setMinValue(int value);
    int maxValue() const { return m_maxValue; }
    void setMaxValue(int value);

    bool active() const { return m_active; }
    void setActive(bool active);
    bool autoUpdate() const { return m_autoUpdate; }
    void setAutoUpdate(bool autoUpdate);
    bool animateGrid() const { return m_animateGrid; }
    void setAnimateGrid(bool animate) { m_animateGrid = animate; }

    int gridSize() const { return m_gridSize; }
    void setGridSize(int size); // refuses values below 1
    int gridOffset() const { return m_gridOffset; }
    int baseOffset() const { return m_baseOffset; }
    // 0 .. 255; above 100 the base line lies above the top edge.
    void setBaseOffset(int percent);
    TColor baseColor() const { return m_baseColor; }
    void setBaseColor(TColor color);
    int gridLineWidth() const { return m_gridLineWidth; }
    void setGridLineWidth(int width);
    TColor gridColor() const { return m_gridColor; }
    void setGridColor(TColor color);
    int frequency() const { return m_frequency; }
    void setFrequency(int pixels); // refuses values below 1
    int bufferSize() const { return m_bufferSize; }
    void setBufferSize(int samples); // refuses values below 1; keeps the newest samples
    TScrolldirection direction() const { return m_direction; }
    void setDirection(TScrolldirection direction);

    // The internal timer's period and kind.
    std::uint32_t interval() const;
    void setInterval(std::uint32_t milliseconds);
    bool threaded() const;
    void setThreaded(bool threaded);

    TVrChannels& channels() { return m_channels; }
    const TVrChannels& channels() const { return m_channels; }

    // Adds one sample (clamped to the range) to one channel (index clamped
    // to the channels there are) and redraws. Without channels, nothing.
    void pushValue(int channel, int value);
    // Empties every channel's history; no redraw of its own.
    void clearHistory();

    // One internal tick: moves the grid when animated, asks OnNeedData for
    // one value per channel and redraws. The internal timer runs it while
    // Active and AutoUpdate are both True.
    void tick();

    bool isPainting() const { return m_painting; }
    // Row of the base line for the current height.
    int baseRow() const;

    NeedDataEvent OnNeedData;

protected:
    void paintImage(QPainter& painter) override;
    std::optional<QRect> paintChanges() override;
    // Draws every visible channel's trace with paintTrace(), the last
    // channel first so that channel 0 lies on top; painter is null where
    // every trace is one pixel wide.
    virtual void paintTraces(QPainter* painter, int base);
    // Clears the image and draws the vertical grid lines in one pass.
    void clearImage(QImage& image) override;

    // The drawing steps, for painters of other sample stores.
    void paintGrid(QPainter& painter, int base);
    // Draws one channel's trace; sampleAt(k) is the k-th newest sample.
    template <class SampleAt>
    void paintTrace(QPainter* painter, int base, const TVrChannel& channel, int sampleCount,
                    SampleAt sampleAt)
    {
        ScopeGeometry::TraceParams params;
        params.width = width();
        params.height = height();
        params.frequency = m_frequency;
        params.base = base;
        params.minValue = m_minValue;
        params.maxValue = m_maxValue;
        params.direction = m_direction;
        params.style = channel.style();
        params.penWidth = channel.width();
        if (!m_rows || !m_rows->matches(m_minValue, m_maxValue, params.height))
            m_rows.emplace(m_minValue, m_maxValue, params.height);
        params.rows = &*m_rows;
        const int count = ScopeGeometry::tracePoints(m_points, params, sampleCount, sampleAt);
        drawTrace(painter, channel.color(), channel.width(), count);
    }
    int clampValue(int value) const;
    // Sets the painting flag for the lifetime of the guard.
    struct PaintingGuard
    {
        bool& flag;
        explicit PaintingGuard(bool& f) : flag(f) { flag = true; }
        ~PaintingGuard() { flag = false; }
        PaintingGuard(const PaintingGuard&) = delete;
        PaintingGuard& operator=(const PaintingGuard&) = delete;
    };
    bool& paintingFlag() { return m_painting; }

private:
    void applyTimerEnabled();
    // Draws m_points[0 .. pointCount) and keeps them, to take them off again.
    void drawTrace(QPainter* painter, TColor color, int width, int pointCount);
    // The grid as paintGrid() draws it for the current properties, when its
    // lines are one pixel wide.
    bool gridIsPlain() const;
    void noteGrid(int base);
    bool gridUnchanged(int base) const;

    // One drawn trace, as it lies on the image.
    struct DrawnTrace
    {
        std::vector<QPoint> points;
        TColor color = 0;
    };
    struct GridKey
    {
        int width, height, base, gridSize, gridOffset;
        TColor color, gridColor, baseColor;
        bool operator==(const GridKey& o) const
        {
            return width == o.width && height == o.height && base == o.base &&
                   gridSize == o.gridSize && gridOffset == o.gridOffset && color == o.color &&
                   gridColor == o.gridColor && baseColor == o.baseColor;
        }
    };
    GridKey gridKey(int base) const;

    int m_minValue = 0;
    int m_maxValue = 100;
    bool m_active = false;
    bool m_animateGrid = true;
    int m_gridSize = 16;
    int m_gridOffset = 0;
    int m_baseOffset = 50;
    TColor m_baseColor = VrColor::clLime;
    std::unique_ptr<TVrTimer> m_timer;
    TVrChannels m_channels;
    int m_gridLineWidth = 1;
    TColor m_gridColor = VrColor::clGreen;
    int m_frequency = 1;
    int m_bufferSize = 999;
    bool m_painting = false;
    TScrolldirection m_direction = sdRightToLeft;
    bool m_autoUpdate = true;
    std::vector<QPoint> m_points;
    std::optional<ScopeGeometry::RowMap> m_rows;
    std::vector<QRgb> m_rowTemplate;
    bool m_verticalGridDrawn = false;
    // What the image holds besides the grid: the traces drawn since it was
    // cleared, in drawing order, while every one was one pixel wide.
    std::vector<DrawnTrace> m_drawn;
    int m_drawnCount = 0;
    bool m_drawnErasable = false;
    std::vector<DrawnTrace> m_previous;
    // While only collecting the new traces (drawTrace keeps, not draws).
    bool m_collecting = false;
    std::optional<GridKey> m_gridKey;
    VrRaster::GridPicture m_grid;
};
