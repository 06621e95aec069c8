#include "TVrScope.h"

#include "TVrTimer.h"
#include "VrPen.h"
#include "VrRaster.h"

#include <QPainter>

#include <algorithm>
#include <limits>

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
    noteGrid(base);
    m_drawnCount = 0;
    m_drawnErasable = true;
    paintTraces(&painter, base);
}

void TVrScope::paintTraces(QPainter* painter, int base)
{
    for (int i = m_channels.count() - 1; i >= 0; --i) {
        const TVrChannel& channel = m_channels.items(i);
        if (channel.visible())
            paintTrace(painter, base, channel, channel.sampleCount(),
                       [&channel](int k) { return channel.sample(k); });
    }
}

std::optional<QRect> TVrScope::paintChanges()
{
    const int base = baseRow();
    if (!m_drawnErasable || !gridUnchanged(base))
        return std::nullopt;
    for (int i = 0; i < m_channels.count(); ++i) {
        const TVrChannel& channel = m_channels.items(i);
        if (channel.visible() && channel.width() > 1)
            return std::nullopt;
    }
    PaintingGuard guard(m_painting);
    // The new traces are worked out first: when they lie where the old ones
    // do (a quiet link's flat line), no pixel changes.
    std::swap(m_previous, m_drawn);
    const int previousCount = m_drawnCount;
    m_drawnCount = 0;
    m_collecting = true;
    paintTraces(nullptr, base);
    m_collecting = false;
    const auto oldTraces = m_previous.begin();
    const auto newTraces = m_drawn.begin();
    bool same = previousCount == m_drawnCount;
    for (int i = 0; same && i < m_drawnCount; ++i)
        same =
            oldTraces[i].color == newTraces[i].color && oldTraces[i].points == newTraces[i].points;
    if (same)
        return QRect();

    // The pixels of a segment lie within the rectangle of its end points.
    int left = std::numeric_limits<int>::max(), top = left;
    int right = std::numeric_limits<int>::min(), bottom = right;
    auto cover = [&](const DrawnTrace& trace) {
        for (const QPoint& p : trace.points) {
            left = std::min(left, p.x());
            right = std::max(right, p.x());
            top = std::min(top, p.y());
            bottom = std::max(bottom, p.y());
        }
    };
    QImage& target = image();
    for (int i = 0; i < previousCount; ++i) {
        const DrawnTrace& trace = oldTraces[i];
        VrRaster::restorePolyline(target, trace.points.data(), int(trace.points.size()), m_grid);
        cover(trace);
    }
    for (int i = 0; i < m_drawnCount; ++i) {
        const DrawnTrace& trace = newTraces[i];
        VrRaster::polyline(target, trace.points.data(), int(trace.points.size()), trace.color);
        cover(trace);
    }
    if (left > right)
        return QRect();
    return QRect(QPoint(left, top), QPoint(right, bottom));
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

void TVrScope::drawTrace(QPainter* painter, TColor color, int width, int pointCount)
{
    if (m_drawn.size() <= std::size_t(m_drawnCount))
        m_drawn.resize(std::size_t(m_drawnCount) + 1);
    DrawnTrace& kept = m_drawn[std::size_t(m_drawnCount++)];
    kept.points.assign(m_points.begin(), m_points.begin() + pointCount);
    kept.color = color;
    if (m_collecting)
        return;
    if (width <= 1 || !painter) {
        VrRaster::polyline(image(), m_points.data(), pointCount, color);
        return;
    }
    // A wide trace is QPainter's: its pixels cannot be taken off again.
    m_drawnErasable = false;
    painter->setPen(vrPen(color, width));
    painter->drawPolyline(m_points.data(), pointCount);
}

bool TVrScope::gridIsPlain() const
{
    return m_gridLineWidth <= 1;
}

TVrScope::GridKey TVrScope::gridKey(int base) const
{
    return {width(), height(), base, m_gridSize, m_gridOffset, color(), m_gridColor, m_baseColor};
}

bool TVrScope::gridUnchanged(int base) const
{
    return gridIsPlain() && m_gridKey && *m_gridKey == gridKey(base);
}

void TVrScope::noteGrid(int base)
{
    m_gridKey.reset();
    const QImage& target = image();
    if (!gridIsPlain() || target.depth() != 32 || target.width() != width() ||
        target.height() != height())
        return;
    // The colours exactly as clearImage() and the one-pixel lines wrote them.
    auto rgb = [](TColor c) { return VrColor::toQColor(c).rgb(); };
    const int w = target.width();
    const int h = target.height();
    m_grid.columns.assign(std::size_t(w), rgb(color()));
    for (int x : ScopeGeometry::verticalGridLines(width(), m_gridSize, m_gridOffset))
        if (x >= 0 && x < w)
            m_grid.columns[std::size_t(x)] = rgb(m_gridColor);
    m_grid.rows.assign(std::size_t(h), 0);
    for (int y : ScopeGeometry::horizontalGridLines(h, m_gridSize, base))
        if (y >= 0 && y < h)
            m_grid.rows[std::size_t(y)] = rgb(m_gridColor);
    if (base >= 0 && base < h)
        m_grid.rows[std::size_t(base)] = rgb(m_baseColor);
    m_gridKey = gridKey(base);
}
