#include "TVrScope.h"

#include "TVrTimer.h"
#include "VrPen.h"
#include "VrRaster.h"

#include <QPainter>

#include <algorithm>

TVrScope::TVrScope(QWidget* parent)
    : TVrGraphicImageControl(parent), m_timer(std::make_unique<TVrTimer>()),
      m_channels([this] { updateRequest(); })
{
    m_timer->setEnabled(false);
    m_timer->setInterval(100);
    m_timer->setOnTimer([this](TVrTimer*) { tick(); });
    resize(249, 137);
}

TVrScope::~TVrScope()
{
    // The timer goes first so that no tick reaches a half-destroyed scope.
    m_timer.reset();
}

void TVrScope::setMinValue(int value)
{
    if (value == m_minValue || value >= m_maxValue || value < MinScopeInt)
        return;
    m_minValue = value;
    clearHistory();
    updateRequest();
}

void TVrScope::setMaxValue(int value)
{
    if (value == m_maxValue || value <= m_minValue || value > MaxScopeInt)
        return;
    m_maxValue = value;
    clearHistory();
    updateRequest();
}

void TVrScope::setActive(bool active)
{
    if (active == m_active)
        return;
    m_active = active;
    applyTimerEnabled();
}

void TVrScope::setAutoUpdate(bool autoUpdate)
{
    m_autoUpdate = autoUpdate;
    applyTimerEnabled();
}

void TVrScope::applyTimerEnabled()
{
    m_timer->setEnabled(m_active && m_autoUpdate);
}

void TVrScope::setGridSize(int size)
{
    if (size == m_gridSize || size < 1)
        return;
    m_gridSize = size;
    updateRequest();
}

void TVrScope::setBaseOffset(int percent)
{
    if (percent == m_baseOffset || percent < 0 || percent > 255)
        return;
    m_baseOffset = percent;
    updateRequest();
}

void TVrScope::setBaseColor(TColor color)
{
    if (color == m_baseColor)
        return;
    m_baseColor = color;
    updateRequest();
}

void TVrScope::setGridLineWidth(int width)
{
    if (width == m_gridLineWidth)
        return;
    m_gridLineWidth = width;
    updateRequest();
}

void TVrScope::setGridColor(TColor color)
{
    if (color == m_gridColor)
        return;
    m_gridColor = color;
    updateRequest();
}

void TVrScope::setFrequency(int pixels)
{
    if (pixels == m_frequency || pixels < 1)
        return;
    m_frequency = pixels;
    updateRequest();
}

void TVrScope::setBufferSize(int samples)
{
    if (samples == m_bufferSize || samples < 1)
        return;
    m_bufferSize = samples;
    for (int i = 0; i < m_channels.count(); ++i)
        m_channels.items(i).setCapacity(samples);
    updateRequest();
}

void TVrScope::setDirection(TScrolldirection direction)
{
    if (direction == m_direction)
        return;
    m_direction = direction;
    updateRequest();
}

std::uint32_t TVrScope::interval() const
{
    return m_timer->interval();
}

void TVrScope::setInterval(std::uint32_t milliseconds)
{
    m_timer->setInterval(milliseconds);
}

bool TVrScope::threaded() const
{
    return m_timer->timerType() == ttThread;
}

void TVrScope::setThreaded(bool threaded)
{
    m_timer->setTimerType(threaded ? ttThread : ttSystem);
}

int TVrScope::clampValue(int value) const
{
    return value < m_minValue ? m_minValue : (value > m_maxValue ? m_maxValue : value);
}

void TVrScope::pushValue(int channel, int value)
{
    const int count = m_channels.count();
    if (count == 0)
        return;
    channel = channel < 0 ? 0 : (channel > count - 1 ? count - 1 : channel);
    m_channels.items(channel).push(clampValue(value), m_bufferSize);
    if (!m_painting)
        updateRequest();
}

void TVrScope::clearHistory()
{
    for (int i = 0; i < m_channels.count(); ++i)
        m_channels.items(i).clear();
}

void TVrScope::tick()
{
    if (m_animateGrid) {
        // One correction only: with Frequency above GridSize the offset
        // may leave 0 .. GridSize, as the lines then jump anyway.
        if (m_direction == sdRightToLeft) {
            m_gridOffset += m_frequency;
            if (m_gridOffset >= m_gridSize)
                m_gridOffset -= m_gridSize;
        } else {
            m_gridOffset -= m_frequency;
            if (m_gridOffset <= 0)
                m_gridOffset += m_gridSize;
        }
    }
    for (int i = 0; i < m_channels.count(); ++i) {
        int value = m_minValue;
        if (OnNeedData)
            OnNeedData(this, i, value);
        m_channels.items(i).push(clampValue(value), m_bufferSize);
    }
    if (!m_painting)
        updateRequest();
}

int TVrScope::baseRow() const
{
    return ScopeGeometry::baseRow(height(), m_baseOffset);
}

void TVrScope::paintImage(QPainter& painter)
{
    PaintingGuard guard(m_painting);
    const int base = baseRow();
    paintGrid(painter, base);
    // The last channel first, so that channel 0 lies on top.
    for (int i = m_channels.count() - 1; i >= 0; --i) {
        const TVrChannel& channel = m_channels.items(i);
        if (channel.visible())
            paintTrace(painter, base, channel, channel.sampleCount(),
                       [&channel](int k) { return channel.sample(k); });
    }
}

void TVrScope::clearImage(QImage& target)
{
    m_verticalGridDrawn = false;
    if (m_gridLineWidth > 1 || target.depth() != 32) {
        TVrGraphicImageControl::clearImage(target);
        return;
    }
    // Every vertical grid line runs through all rows, so the cleared image
    // with those lines is one row repeated.
    const int w = target.width();
    const QRgb background = VrColor::toQColor(color()).rgb();
    const QRgb grid = VrColor::toQColor(m_gridColor).rgb();
    m_rowTemplate.assign(static_cast<std::size_t>(w), background);
    for (int x : ScopeGeometry::verticalGridLines(width(), m_gridSize, m_gridOffset))
        if (x >= 0 && x < w)
            m_rowTemplate[static_cast<std::size_t>(x)] = grid;
    for (int y = 0; y < target.height(); ++y)
        std::copy(m_rowTemplate.begin(), m_rowTemplate.end(),
                  reinterpret_cast<QRgb*>(target.scanLine(y)));
    m_verticalGridDrawn = true;
}

void TVrScope::paintGrid(QPainter& painter, int base)
{
    const int w = width();
    const int h = height();
    if (m_gridLineWidth <= 1) {
        QImage& target = image();
        if (!m_verticalGridDrawn) {
            for (int x : ScopeGeometry::verticalGridLines(w, m_gridSize, m_gridOffset))
                VrRaster::line(target, QPoint(x, 0), QPoint(x, h), m_gridColor);
        }
        for (int y : ScopeGeometry::horizontalGridLines(h, m_gridSize, base))
            VrRaster::line(target, QPoint(0, y), QPoint(w, y), m_gridColor);
        VrRaster::line(target, QPoint(0, base), QPoint(w, base), m_baseColor);
        return;
    }
    painter.setPen(vrPen(m_gridColor, m_gridLineWidth));
    for (int x : ScopeGeometry::verticalGridLines(w, m_gridSize, m_gridOffset))
        painter.drawLine(x, 0, x, h);
    for (int y : ScopeGeometry::horizontalGridLines(h, m_gridSize, base))
        painter.drawLine(0, y, w, y);
    painter.setPen(vrPen(m_baseColor, m_gridLineWidth));
    painter.drawLine(0, base, w, base);
}

void TVrScope::drawTrace(QPainter& painter, const TVrChannel& channel, int pointCount)
{
    if (channel.width() <= 1) {
        VrRaster::polyline(image(), m_points.data(), pointCount, channel.color());
        return;
    }
    painter.setPen(vrPen(channel.color(), channel.width()));
    painter.drawPolyline(m_points.data(), pointCount);
}
